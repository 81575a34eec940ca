#include "agents/TreeWalks.h"

#include "store/TElement.h"
#include "store/TreeNode.h"
#include "tests/agents/ElementFixture.h"

using namespace glanix;
using glanix::test::ElementFixture;

namespace {

struct TreeWalksTest : ElementFixture {
    TElement* folder = nullptr;
    TElement* journal = nullptr;
    TElement* suite = nullptr;
    TElement* meteo = nullptr;

    void SetUp() override
    {
        ElementFixture::SetUp();
        folder = add(agent, kindFolder, "Presse");
        journal = add(folder, kindAddress, "Le Journal", "http://journal.example/index.htm");
        suite = add(journal, kindPage, "Suite", "http://journal.example/suite.htm");
        meteo = add(agent, kindAddress, "Météo", "https://meteo.example/region/");
        for (TElement* e : {journal, suite, meteo})
            e->LastModified = 45000;
    }
};

TEST_F(TreeWalksTest, NextUnreadWrapsAndEndsWhereItStarted)
{
    EXPECT_EQ(findNextUnread(store.tree(), journal->Node(), false), nullptr);
    journal->SetState(stateUnread);
    suite->SetState(stateUnread);
    suite->BeforeLastModified = 44000; // has an earlier version: read before
    // From the last node, the walk wraps to the first.
    EXPECT_EQ(findNextUnread(store.tree(), meteo->Node(), false), journal->Node());
    EXPECT_EQ(findNextUnread(store.tree(), journal->Node(), false), suite->Node());
    // Never read: Suite has an earlier version, so only the journal qualifies.
    EXPECT_EQ(findNextUnread(store.tree(), journal->Node(), true), nullptr);
    EXPECT_EQ(findNextUnread(store.tree(), suite->Node(), true), journal->Node());
    EXPECT_EQ(findNextUnread(store.tree(), nullptr, false), journal->Node());
    // Escape ends it.
    EXPECT_EQ(findNextUnread(store.tree(), meteo->Node(), false, {.stopped = [] { return true; }}), nullptr);
}

TEST_F(TreeWalksTest, AWalkOutlivesTheNodesRemovedUnderIt)
{
    meteo->SetState(stateUnread);
    // While the walk lets events run, the user deletes the folder the walk is in, then the
    // node it started from: it carries on from where the folder was and still finds Météo.
    bool deleted = false;
    WalkControl control;
    control.letEventsRun = [&] {
        if (!deleted) {
            deleted = true;
            folder->Node()->deleteNode();
        }
    };
    EXPECT_EQ(findNextUnread(store.tree(), agent->Node(), false, control), meteo->Node());

    TElement* other = add(agent, kindAddress, "Autre", "http://autre/");
    int steps = 0;
    control.letEventsRun = [&] {
        if (++steps == 1)
            other->Node()->deleteNode();
    };
    meteo->SetState(stateRead);
    EXPECT_EQ(findNextUnread(store.tree(), other->Node(), false, control), nullptr);
}

TEST_F(TreeWalksTest, TheAddressBoxFindsByNameAddressPrefixAndSubstring)
{
    QStringList entries {"meteo.example/region/"};
    TreeNode* at = agent->Node();
    // The address without its "http://", in the exact pass: selected, remembered.
    AddressFind f = findFromAddressBox(store.tree(), at, "journal.example/index.htm", entries);
    EXPECT_EQ(f.pass, AddressFind::Pass::Exact);
    EXPECT_EQ(f.node, journal->Node());
    EXPECT_EQ(entries, QStringList({"journal.example/index.htm", "meteo.example/region/"}));
    // By name, whatever the case.
    f = findFromAddressBox(store.tree(), at, "SUITE", entries);
    EXPECT_EQ(f.node, suite->Node());
    EXPECT_EQ(f.text, "Suite");
    // A prefix is offered, the rest selected, and the typed entry leaves the history.
    entries << "Le J";
    f = findFromAddressBox(store.tree(), at, "Le J", entries);
    EXPECT_EQ(f.pass, AddressFind::Pass::Prefix);
    EXPECT_EQ(f.text, "Le Journal");
    EXPECT_EQ(f.selectionStart, 4);
    EXPECT_FALSE(entries.contains("Le J"));
    // Found only inside a name: offered whole, all selected.
    f = findFromAddressBox(store.tree(), at, "ourna", entries);
    EXPECT_EQ(f.pass, AddressFind::Pass::Substring);
    EXPECT_EQ(f.text, "Le Journal");
    EXPECT_EQ(f.selectionStart, 0);
    // The current element's own name: found at once.
    f = findFromAddressBox(store.tree(), meteo->Node(), "Météo", entries);
    EXPECT_EQ(f.pass, AddressFind::Pass::Current);
    EXPECT_EQ(findFromAddressBox(store.tree(), at, "introuvable", entries).pass, AddressFind::Pass::None);
}

} // namespace
