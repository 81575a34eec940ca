#include "views/SearchWalk.h"

#include "tests/store/StoreFixture.h"

using namespace glanix;
using namespace glanix::test;

namespace {

// Veille: F (A1 (P1), A2 an image, A3 never stored), B text/plain, C no type, D html with a
// charset; Autre: X.
struct SearchWalkTest : StoreFixture {
    TElement *f, *a1, *p1, *a2, *a3, *b, *c, *d, *other, *x;

    TElement* doc(TElement* parent, quint8 kind, const QString& name, const QByteArray& content,
                  const QString& type = "text/html")
    {
        TElement* e = add(parent, kind, name, "http://h/" + name + ".htm", type);
        if (!content.isNull())
            store_(e, content);
        return e;
    }

    void SetUp() override
    {
        StoreFixture::SetUp();
        f = add(agent, kindFolder, "F");
        a1 = doc(f, kindAddress, "A1", "mot");
        p1 = doc(a1, kindPage, "P1", "mot");
        a2 = doc(f, kindAddress, "A2", "GIF89a", "image/gif");
        a3 = doc(f, kindAddress, "A3", QByteArray());
        b = doc(agent, kindAddress, "B", "mot", "text/plain");
        c = doc(agent, kindAddress, "C", "mot", "");
        d = doc(agent, kindAddress, "D", "mot", "text/html; charset=utf-8");

        other = makeAgent("Autre");
        x = doc(other, kindAddress, "X", "mot");
    }

    // Names of the elements the walk hands out, with `during` run after each one.
    QStringList names(SearchWalk& walk, const std::function<void(TElement*)>& during = {})
    {
        QStringList out;
        SearchItem item;
        while (walk.next(item)) {
            out << walk.current()->GetName();
            if (during)
                during(walk.current());
            if (out.size() > 50)
                break; // a walk that never ends fails below
        }
        return out;
    }

    QStringList walk(TreeNode* start, int where, SearchSettings s = {})
    {
        s.where = where;
        SearchWalk w(store, start, s);
        return names(w);
    }
};

} // namespace

TEST_F(SearchWalkTest, ScopesWrapAndEndAsTheUserChose)
{
    struct Scope {
        TElement* start;
        int where;
        QStringList expected;
    };

    const Scope scopes[] = {
        {f, 0, {"A1", "P1"}},
        {a1, 0, {"A1", "P1"}},
        {b, 0, {"B"}},
        {b, 1, {"B", "C", "D", "A1", "P1"}},
        {agent, 1, {"A1", "P1", "B", "C", "D"}},
        {c, 2, {"C", "D", "X", "A1", "P1", "B"}},
        {x, 1, {"X"}},
    };
    for (const Scope& s : scopes) {
        SCOPED_TRACE(s.start->GetName().toStdString() + " scope " + std::to_string(s.where));
        EXPECT_EQ(walk(s.start->Node(), s.where), s.expected);
    }
}

TEST_F(SearchWalkTest, TheTextHandedOutIsThePageThenNameNotesAndAddress)
{
    ASSERT_TRUE(b->WriteNotes({"une note", "deux"}));
    SearchSettings s;
    SearchWalk w(store, b->Node(), s);
    SearchItem item;
    ASSERT_TRUE(w.next(item));
    EXPECT_EQ(item.page, "mot");
    EXPECT_EQ(item.tail, " B  une note  deux  http://h/B.htm  x");

    s.inPages = s.inNotes = false;
    d->ContentType = "text/html; charset=ISO-8859-1";
    SearchWalk only(store, d->Node(), s);
    ASSERT_TRUE(only.next(item));
    EXPECT_TRUE(item.page.isEmpty());
    EXPECT_EQ(item.tail, " D  http://h/D.htm  x");

    s.inPages = true;
    SearchWalk withCharset(store, d->Node(), s);
    ASSERT_TRUE(withCharset.next(item));
    EXPECT_EQ(item.headerCharset, "ISO-8859-1");
}

TEST_F(SearchWalkTest, AgeFiltersKeepOnlyElementsBetweenTheLimits)
{
    const TDateTime now = home.env().now();
    b->LastModified = now - 0.5;
    c->LastModified = now - 10;
    d->LastModified = now - 400;
    SearchSettings s;
    s.checkMinAge = true;
    EXPECT_EQ(walk(b->Node(), 1, s), (QStringList {"C", "D", "A1", "P1"}));
    s.checkMaxAge = true;
    EXPECT_EQ(walk(b->Node(), 1, s), (QStringList {"C"}));
    s.checkMinAge = false;
    EXPECT_EQ(walk(b->Node(), 1, s), (QStringList {"B", "C"}));
}

TEST_F(SearchWalkTest, DeletingTheCurrentElementNeitherStopsNorBreaksTheWalk)
{
    SearchWalk w(store, a1->Node(), {.where = 1});
    SearchItem item;
    ASSERT_TRUE(w.next(item));
    a1->Delete(false); // the start node and the current element, with its page
    EXPECT_EQ(w.current(), nullptr);
    EXPECT_EQ(names(w), (QStringList {"B", "C", "D"}));
}

TEST_F(SearchWalkTest, DeletingElementsAheadOrTheLastStartEndsTheRoundOnce)
{
    SearchWalk ahead(store, b->Node(), {.where = 2});
    EXPECT_EQ(names(ahead,
                    [&](TElement* e) {
                        if (e == b)
                            c->Delete(false);
                    }),
              (QStringList {"B", "D", "X", "A1", "P1"}));

    // The start was the last node of the tree: the walk goes round once and ends.
    SearchWalk last(store, x->Node(), {.where = 2});
    EXPECT_EQ(names(last,
                    [&](TElement* e) {
                        if (e == x)
                            x->Delete(false);
                    }),
              (QStringList {"X", "A1", "P1", "B", "D"}));
}

TEST_F(SearchWalkTest, ClosingTheAgentEndsASearchInIt)
{
    SearchWalk w(store, b->Node(), {.where = 1});
    SearchItem item;
    ASSERT_TRUE(w.next(item));
    agent->Node()->deleteNode();
    EXPECT_EQ(w.current(), nullptr);
    EXPECT_FALSE(w.next(item));
}

TEST_F(SearchWalkTest, AStepPassesOverABoundedNumberOfNodes)
{
    SearchWalk w(store, agent->Node(), {.where = 0});
    SearchItem item;
    EXPECT_EQ(w.step(item, 2), SearchWalk::Step::Later); // the agent and F: nothing to search
    EXPECT_EQ(w.current(), nullptr);
    EXPECT_EQ(w.step(item, 1), SearchWalk::Step::Found);
    EXPECT_EQ(w.current(), a1);
    EXPECT_EQ(names(w), (QStringList {"P1", "B", "C", "D"}));
    EXPECT_EQ(w.step(item, 5), SearchWalk::Step::End);
}
