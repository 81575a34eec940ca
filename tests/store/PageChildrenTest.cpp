#include "store/ElementStore.h"
#include "store/ModifiedTest.h"
#include "store/PageAnalysis.h"
#include "store/TElement.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::TempHome;

namespace {

// A store with two agents; "Veille" holds the address http://servera/dir/index.htm.
struct PageChildrenTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    TElement* agent = nullptr;
    TElement* other = nullptr;
    TElement* address = nullptr;

    TElement* addAgent(const QString& name)
    {
        home.mkdir(name + "/Favs");
        home.mkdir(name + "/DL");
        auto* a = new TElement(store);
        a->SetHasExt(true);
        a->Kind = kindAgent;
        a->SetParent(store.RootElement());
        a->SetName(name);
        a->SetDirChilds(home.file(name + "/Favs/"));
        a->SetFileName(home.file(name + "/DL/"));
        store.tree().addTopLevel(name, a);
        a->Load();
        return a;
    }

    TElement* addChild(TElement* parent, quint8 kind, const QString& name, const QString& url)
    {
        auto* e = new TElement(store);
        e->SetHasExt(true);
        e->Kind = kind;
        e->SetParent(parent);
        e->SetName(name);
        e->SetURL(url);
        e->ContentType = "text/html";
        parent->Node()->addChild(e->GetName(), e);
        return e;
    }

    void SetUp() override
    {
        agent = addAgent("Veille");
        other = addAgent("Autre");
        address = addChild(agent, kindAddress, "Accueil", "http://servera/dir/index.htm");
        address->SetDownLoadLinksDepth(2);
    }

    QStringList childNames(TElement* e) const
    {
        QStringList names;
        for (int i = 0; i < e->Node()->childCount(); ++i)
            names.append(e->Node()->child(i)->element()->GetName());
        return names;
    }

    TElement* child(TElement* e, int row) const { return e->Node()->child(row)->element(); }
};

} // namespace

TEST_F(PageChildrenTest, AnalysisListsLiveBetweenAnalysisAndSave)
{
    const QByteArray html = "<head><meta http-equiv=refresh content='0; url=next.htm'></head>"
                            "<a href=a.htm><img src=i.gif><frame src=f.htm>";
    EXPECT_EQ(AnalysePage(*address, &html), "next.htm");
    EXPECT_TRUE(address->Ext()->Analysed);
    EXPECT_EQ(address->Ext()->PageLinks, QStringList({"http://servera/dir/a.htm a.htm"}));
    // Already analysed: nothing happens.
    const QByteArray other = "<a href=b.htm>";
    EXPECT_EQ(AnalysePage(*address, &other), "");
    EXPECT_EQ(address->Ext()->PageLinks.size(), 1);

    // Saving frees the lists; without content the stored file is read, or nothing is found.
    address->Save();
    EXPECT_FALSE(address->Ext()->Analysed);
    EXPECT_EQ(AnalysePage(*address), "");
    EXPECT_TRUE(address->Ext()->PageLinks.isEmpty());
    address->FreeAnalysis();
    home.write(address->GetSavePath(), other);
    AnalysePage(*address);
    EXPECT_EQ(address->Ext()->PageLinks, QStringList({"http://servera/dir/b.htm b.htm"}));

    // Not HTML: flagged, nothing found.
    address->FreeAnalysis();
    address->ContentType = "image/gif";
    AnalysePage(*address, &html);
    EXPECT_TRUE(address->Ext()->Analysed);
    EXPECT_TRUE(address->Ext()->FrameLinks.isEmpty());
}

TEST_F(PageChildrenTest, ProvisionalNamesTakeTheTitle)
{
    TElement* page = addChild(address, kindPage, "index ", "http://servera/dir/p.htm");
    const QByteArray html = "<html><head><title> Caf\xE9 &amp; cr&egrave;me </title></head></html>";
    AnalysePage(*page, &html);
    EXPECT_EQ(page->GetName(), u"Café & crème");
    EXPECT_EQ(page->GetIniFileName(), home.file(u"Veille/DL/accu/Café & crème.url"_qs));

    // A sibling already bears the (cleaned) title: the provisional name stays.
    addChild(address, kindPage, "Prix- 10 euros", "http://servera/dir/q.htm");
    TElement* second = addChild(address, kindPage, "suite ", "http://servera/dir/r.htm");
    const QByteArray priced = "<title>Prix: 10 euros</title>";
    AnalysePage(*second, &priced);
    EXPECT_EQ(second->GetName(), "suite ");

    // A settled name is never replaced; an empty title changes nothing.
    address->FreeAnalysis();
    AnalysePage(*address, &priced);
    EXPECT_EQ(address->GetName(), "Accueil");
    TElement* blank = addChild(address, kindPage, "vide ", "http://servera/dir/v.htm");
    const QByteArray empty = "<title> &nbsp; </title>";
    AnalysePage(*blank, &empty);
    EXPECT_EQ(blank->GetName(), "vide ");
}

TEST_F(PageChildrenTest, FramesKeepTheDepthAndSkipKnownAddresses)
{
    const QByteArray html = "<frameset><frame src=menu.htm><frame src=index.htm><frame src=menu.htm>"
                            "<frame src=\"http://servera/dir/menu.htm#haut\"><frame src=\"sub/\"></frameset>";
    AnalysePage(*address, &html);
    CreateFramePages(*address);
    EXPECT_EQ(childNames(address), QStringList({"menu ", "sub "}));
    TElement* menu = child(address, 0);
    EXPECT_EQ(menu->Kind, kindPage);
    EXPECT_EQ(menu->GetURL(), "http://servera/dir/menu.htm");
    EXPECT_EQ(menu->GetDownLoadLinksDepth(), 2);
    EXPECT_TRUE(home.exists(menu->GetIniFileName()));
}

TEST_F(PageChildrenTest, ImagesAreMadeOnceEvenWhenAnalysedAgain)
{
    store.setSeeImages(true);
    const QByteArray html = "<body background=bg.gif><img src=logo.gif><img src=../img/logo.gif>"
                            "<img src=LOGO.GIF>";
    AnalysePage(*address, &html);
    CreateImageChildren(*address);
    ASSERT_EQ(address->Ext()->ImgList.size(), 3u);
    EXPECT_EQ(address->Ext()->ImgList[1]->GetName(), "logo.gif");
    EXPECT_EQ(address->Ext()->ImgList[2]->GetName(), "logo~.gif");
    EXPECT_EQ(address->Ext()->ImgList[2]->GetURL(), "http://servera/img/logo.gif");
    EXPECT_TRUE(home.read(address->GetIniFileName()).contains("logo~.gif"));
    ASSERT_NE(address->imageGroupNode(), nullptr);
    EXPECT_EQ(address->imageGroupNode()->childCount(), 3);

    // The next download finds the same images: none is added.
    address->FreeAnalysis();
    AnalysePage(*address, &html);
    CreateImageChildren(*address);
    EXPECT_EQ(address->Ext()->ImgList.size(), 3u);

    // An image held by a sibling on the same server is not fetched again.
    TElement* sibling = addChild(agent, kindAddress, "Voisin", "http://servera/dir/voisin.htm");
    const QByteArray same = "<img src=logo.gif><img src=new.gif>";
    AnalysePage(*sibling, &same);
    CreateImageChildren(*sibling);
    ASSERT_EQ(sibling->Ext()->ImgList.size(), 1u);
    EXPECT_EQ(sibling->Ext()->ImgList[0]->GetName(), "new.gif");
}

TEST_F(PageChildrenTest, LinksPassMasksStartAndOtherAgents)
{
    address->SetIncludeMask("htm");
    address->SetExcludeMask("*.zip, *.exe");
    address->SetDownLoadLinksStart("http://servera/dir/");
    addChild(other, kindAddress, "Ailleurs", "HTTP://servera/dir/kept.htm/");
    const QByteArray html = "<a href=a.htm><a href=b.zip><a href=c.gif><a href=d.htm.exe>"
                            "<a href=/other/e.htm><a href=kept.htm><a href=sub/><a href=a.htm>";
    AnalysePage(*address, &html);
    CreateLinkedPages(*address);
    EXPECT_EQ(childNames(address), QStringList({"a "}));
    TElement* a = child(address, 0);
    EXPECT_EQ(a->GetURL(), "http://servera/dir/a.htm");
    EXPECT_EQ(a->GetDownLoadLinksDepth(), 1);
    EXPECT_EQ(a->GetDownLoadLinksStart(), "http://servera/dir/");
    EXPECT_TRUE(home.exists(a->GetIniFileName()));

    // No masks, no start: everything new is followed, names made unique.
    address->SetIncludeMask("");
    address->SetExcludeMask("");
    address->SetDownLoadLinksStart("");
    address->FreeAnalysis();
    const QByteArray more = "<a href=x/a.htm><a href=b.zip><a href=http://serverb/>";
    AnalysePage(*address, &more);
    CreateLinkedPages(*address);
    EXPECT_EQ(childNames(address), QStringList({"a ", "a~1 ", "b.zip ", "serverb "}));
}

TEST_F(PageChildrenTest, ModifiedTestComparesTextOrBytes)
{
    const QString stored = home.write("stored.htm", "<p>Le   texte</p>\n");
    const QByteArray markupOnly = "<div class=x>Le texte</div>";
    EXPECT_FALSE(IsModifiedContent(*address, markupOnly, stored, true));
    EXPECT_TRUE(IsModifiedContent(*address, markupOnly, stored, false));
    EXPECT_TRUE(IsModifiedContent(*address, "<p>Le texte change</p>", stored, true));
    EXPECT_TRUE(IsModifiedContent(*address, "<p>Le texte</p>", home.file("missing.htm"), true));

    address->ContentType = "text/plain";
    EXPECT_FALSE(IsModifiedContent(*address, markupOnly, stored, true));
    // Other documents: bytes only, whatever the option.
    address->ContentType = "application/pdf";
    EXPECT_TRUE(IsModifiedContent(*address, markupOnly, stored, true));
    EXPECT_FALSE(IsModifiedContent(*address, "<p>Le   texte</p>\n", stored, true));
}

TEST_F(PageChildrenTest, RequisitesAndWhatSheetsLoadBelongToThePageOnce)
{
    store.setSeeImages(true);
    const QByteArray html = "<link rel=stylesheet href=css/a.css><link rel=icon href=/favicon.ico>"
                            "<link rel=next href=b.htm>";
    AnalysePage(*address, &html);
    CreateImageChildren(*address);
    CreateLinkedPages(*address);
    // The style sheet and the icon are images of the page; only the document is a page.
    EXPECT_EQ(childNames(address), QStringList({"Images", "b "}));
    ASSERT_EQ(address->Ext()->ImgList.size(), 2u);
    TElement* sheet = address->Ext()->ImgList[0];
    EXPECT_EQ(sheet->GetURL(), "http://servera/dir/css/a.css");
    EXPECT_TRUE(IsStyleSheet(*sheet));

    // A fetched sheet brings what it names, taken from its own address.
    EXPECT_TRUE(CreateStyleSheetChildren(
        *sheet, "@import 'b.css'; body{background:url(../img/bg.png)} @font-face{src:url(f.woff2)}"));
    QStringList urls;
    for (const TElement* image : address->Ext()->ImgList)
        urls << image->GetURL();
    EXPECT_EQ(urls,
              QStringList({"http://servera/dir/css/a.css", "http://servera/favicon.ico",
                           "http://servera/dir/css/b.css", "http://servera/dir/img/bg.png",
                           "http://servera/dir/css/f.woff2"}));
    EXPECT_EQ(address->imageGroupNode()->childCount(), 5);
    EXPECT_TRUE(home.read(address->GetIniFileName()).contains("f.woff2"));

    // An import loop ends: b imports a and itself, nothing new.
    TElement* imported = address->Ext()->ImgList[2];
    EXPECT_FALSE(CreateStyleSheetChildren(*imported, "@import url(a.css); @import 'b.css';"));
    EXPECT_EQ(address->Ext()->ImgList.size(), 5u);

    // The next check of the page reads its stored sheets for what is still missing.
    imported->ContentType = "text/css";
    imported->LastModified = 1;
    home.write(imported->GetSavePath(), "@import 'a.css'; x{background:url(late.png)}");
    address->FreeAnalysis();
    AnalysePage(*address, &html);
    CreateImageChildren(*address);
    ASSERT_EQ(address->Ext()->ImgList.size(), 6u);
    EXPECT_EQ(address->Ext()->ImgList[5]->GetURL(), "http://servera/dir/css/late.png");
    EXPECT_EQ(childNames(address), QStringList({"Images", "b "}));

    // A page that does not keep its images takes nothing from its sheets.
    address->SetDownLoadImages(false);
    EXPECT_FALSE(CreateStyleSheetChildren(*sheet, "a{background:url(other.png)}"));
}
