#include "store/FileNames.h"

#include "tests/support/TempHome.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace glanix;

namespace {

// The file a name would give in `folder`, resolved: it must be a direct child of the folder.
bool staysInFolder(const QString& name)
{
    if (name.contains(u'/') || name.contains(QChar(0)))
        return false;
    const QString path = QDir::cleanPath(QStringLiteral("/store/dir/") + name);
    return QFileInfo(path).absolutePath() == u"/store/dir" && QFileInfo(path).fileName() == name;
}

TEST(FileNames, UrlToFileNameTakesTheCleanedLastSegment)
{
    EXPECT_EQ(UrlToFileName("http://servera/img/logo%20big.gif?v=2"), "logo big.gif");
    EXPECT_EQ(UrlToFileName("http://servera/"), "servera");
    EXPECT_EQ(UrlToFileName("http://servera"), "servera");
    EXPECT_EQ(UrlToFileName("http://servera/a/b.htm#top"), "b.htm");
    EXPECT_EQ(UrlToFileName("http://servera/it's \"q\".htm"), "its q.htm");
    EXPECT_EQ(UrlToFileName("http://servera/a|b*c.htm"), "a_b c.htm");
    EXPECT_EQ(UrlToFileName("http://servera/" + QString(100, u'x') + ".htm").size(), 63);
}

TEST(FileNames, UrlToExportNameGivesFoldersAnIndexPage)
{
    EXPECT_EQ(UrlToExportName("http://servera/d/page(1).htm"), "page");
    EXPECT_EQ(UrlToExportName("http://servera/d/"), "d/index.html");
    EXPECT_EQ(UrlToExportName("http://servera/dir"), "dir/index.html");
    EXPECT_EQ(UrlToExportName("http://servera/d/p.htm"), "p.htm");
    const QString longFolder = "http://servera/" + QString(70, u'f') + "/";
    EXPECT_EQ(UrlToExportName(longFolder), QString(52, u'f') + "/index.html");
}

TEST(FileNames, CleanNameReplacesForbiddenCharactersAndCollapsesBlanks)
{
    EXPECT_EQ(CleanName("Prix: 10% / an"), "Prix- 10 an");
    EXPECT_EQ(CleanName("a\tb\nc<d>e|f?g*h\"i\\j"), "a b c d e f g h i j");
    EXPECT_EQ(CleanName("Page "), "Page "); // the provisional mark stays
    EXPECT_EQ(CleanName(QString(80, u'é')).size(), 63);
}

// Names from titles and addresses such as "../x", "/etc/x", "", ".", "..": one safe name
// that stays in its folder, unchanged by a second pass.
TEST(FileNames, HostileNamesStayInTheirFolder)
{
    const QStringList hostile
        = {"",
           ".",
           "..",
           "...",
           " .. ",
           "/",
           "../x",
           "/etc/x",
           "a\\b",
           "~",
           QString("a") + QChar(0) + "b",
           QString::fromUtf8("evil\u202Egnp.exe"),
           QString(QChar(0xD800)) + "x",
           QString(300, u'a'),
           QString::fromUtf8(QByteArray(60, 'x') + QByteArray("\xF0\x9F\x98\x80").repeated(80))};
    for (const QString& text : hostile) {
        for (const QString& name : {CleanName(text), UrlToFileName("http://h/d/" + text), UrlToFileName(text),
                                    SafeFileName(text)}) {
            EXPECT_TRUE(staysInFolder(name)) << text.toStdString() << " -> " << name.toStdString();
            EXPECT_TRUE(IsSafeFileName(name)) << name.toStdString();
            EXPECT_LE(name.toUtf8().size(), kMaxNameBytes);
            EXPECT_EQ(SafeFileName(name), name);
        }
        EXPECT_EQ(CleanName(CleanName(text)), CleanName(text));
    }
    EXPECT_EQ(SafeFileName(""), "_");
    EXPECT_EQ(SafeFileName(".."), "_..");
    EXPECT_EQ(UrlToFileName("http://h/a/.."), "_..");
    // A multi-byte title is cut on a character boundary.
    const QString cut = SafeFileName(QString(150, QChar(0x00E9)));
    EXPECT_EQ(cut, QString(100, QChar(0x00E9)));
}

TEST(FileNames, ReservedWindowsNamesGetATilde)
{
    auto fixed = [](QString name) {
        FixReservedName(name);
        return name;
    };
    EXPECT_EQ(fixed("con"), "con~");
    EXPECT_EQ(fixed("AUX"), "AUX~");
    EXPECT_EQ(fixed("com1"), "com1~");
    EXPECT_EQ(fixed("LPT9"), "LPT9~");
    EXPECT_EQ(fixed("dir."), "dir.~");
    EXPECT_EQ(fixed("com"), "com");
    EXPECT_EQ(fixed("console"), "console");
    EXPECT_EQ(fixed("nul"), "nul");
    EXPECT_EQ(fixed(""), "");
}

TEST(FileNames, NamesVersionsAndExtensions)
{
    EXPECT_EQ(NameFromFileName("page.htm"), "page");
    EXPECT_EQ(NameFromFileName("page.HTML"), "page");
    EXPECT_EQ(NameFromFileName("logo.gif"), "logo.gif");
    EXPECT_EQ(NameFromFileName(".htm"), ".htm");
    EXPECT_EQ(SaveFileNameVersionPrec("/s/page.htm", 1), "/s/page.htm");
    EXPECT_EQ(SaveFileNameVersionPrec("/s/page.htm", 3), "/s/page (3).htm");
    EXPECT_EQ(SaveFileNameVersionPrec("/s.d/page", 2), "/s.d/page (2)");
    EXPECT_EQ(fileExtension(u"/a.b/c"), "");
    EXPECT_EQ(fileExtension(u"c.tar.gz"), ".gz");

    glanix::test::TempHome home;
    home.env().setDebug(true);
    SaveFileNameVersionPrec("/s/p.htm", 0, &home.env());
    EXPECT_TRUE(home.read("Erreurs.log").contains("SaveFileNameVersionPrec(..., <1)"));
}

TEST(FileNames, UniqueNameCountsUp)
{
    auto among = [](QStringList names) {
        return [names](const QString& n) { return names.contains(n.trimmed().toLower()); };
    };
    EXPECT_EQ(UniqueName("Page", among({"page", "page~1"})), "Page~2");
    EXPECT_EQ(UniqueName("Photo 3", among({"photo 3"})), "Photo4");
    EXPECT_EQ(UniqueName("Page ", among({"page"})), "Page~1 ");
    EXPECT_EQ(UniqueName("Free", among({"page"})), "Free");
    EXPECT_EQ(UniqueName("v+7", among({"v+7"})), "v8");
    // A number too large for 32 bits only counts its last digits.
    EXPECT_EQ(UniqueName("n99999999999", among({"n99999999999"})), "n991000000000");
}

TEST(FileNames, RelativePathClimbsToTheCommonFolder)
{
    EXPECT_EQ(RelativePath("/exp/a/b/page.htm", "/exp/a/img/x.gif"), "../img/x.gif");
    EXPECT_EQ(RelativePath("/exp/a/page.htm", "/exp/a/x.gif"), "x.gif");
    EXPECT_EQ(RelativePath("/exp/a/", "/exp/b/x.gif"), "../b/x.gif");
}

} // namespace
