#include "config/Numbers.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::TempHome;

namespace {

// A store on a temporary home with one agent "Veille" (folders Favs/ and DL/ in the home).
struct ElementModelTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    TElement* agent = nullptr;

    void SetUp() override
    {
        home.mkdir("Veille/Favs");
        home.mkdir("Veille/DL");
        agent = new TElement(store);
        agent->SetHasExt(true);
        agent->Kind = kindAgent;
        agent->SetParent(store.RootElement());
        agent->SetName("Veille");
        agent->SetDirChilds(home.file("Veille/Favs/"));
        agent->SetFileName(home.file("Veille/DL/"));
        store.tree().addTopLevel("Veille", agent);
        agent->Load();
    }

    TElement* addChild(TElement* parent, quint8 kind, const QString& name, const QString& url = {})
    {
        auto* e = new TElement(store);
        e->SetHasExt(kind != kindImage);
        e->Kind = kind;
        e->SetParent(parent);
        e->SetName(name);
        if (!url.isEmpty())
            e->SetURL(url);
        parent->Node()->addChild(e->GetName(), e);
        return e;
    }
};

TEST_F(ElementModelTest, PathsFollowKindAndParent)
{
    TElement* folder = addChild(agent, kindFolder, "Docs");
    TElement* address = addChild(folder, kindAddress, "Accueil", "http://servera/index.htm");
    address->ContentType = "text/html";
    TElement* page = addChild(address, kindPage, "Suite", "http://servera/suite.htm");
    page->ContentType = "text/html";

    EXPECT_EQ(agent->GetIniFileName(), home.file("Veille/DL/GlanixDefault.ini"));
    EXPECT_EQ(folder->GetSavePath(), home.file("Veille/DL/Docs/"));
    EXPECT_EQ(folder->GetChildsPath(), home.file("Veille/Favs/Docs/"));
    EXPECT_EQ(folder->GetIniFileName(), home.file("Veille/DL/Docs/GlanixDefault.ini"));
    EXPECT_EQ(address->GetIniFileName(), home.file("Veille/Favs/Docs/Accueil.url"));
    EXPECT_EQ(address->GetSavePath(), home.file("Veille/DL/Docs/accueil.html"));
    EXPECT_EQ(address->GetChildsPath(), home.file("Veille/DL/Docs/accu/"));
    EXPECT_EQ(page->GetIniFileName(), home.file("Veille/DL/Docs/accu/Suite.url"));
    EXPECT_EQ(page->GetSavePath(), home.file("Veille/DL/Docs/accu/suite.html"));
    EXPECT_EQ(page->GetChildsPath(), home.file("Veille/DL/Docs/accu/suit/"));
    EXPECT_EQ(page->TreePath(), "Veille\\Docs\\Accueil\\Suite");
    EXPECT_EQ(store.RootElement()->GetIniFileName(), home.file("Glanix.ini"));
}

} // namespace
