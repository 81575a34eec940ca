#include "store/FileOps.h"

#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::TempHome;

namespace {

struct FileOpsTest : ::testing::Test {
    TempHome home;

    QString p(const QString& rel) const { return home.file(rel); }
};

TEST_F(FileOpsTest, CreatesFoldersWithTheirParentsAndLogsFailures)
{
    CreeRepIfNotExists(p("a/b/c/"), &home.env());
    EXPECT_TRUE(DirectoryExists(p("a/b/c/")));
    home.write("file", "x");
    home.env().setDebug(true);
    CreeRepIfNotExists(p("file/sub"), &home.env());
    EXPECT_TRUE(home.read("Erreurs.log").contains("Répertoire " + p("file/sub").toUtf8() + " non créé"));
}

TEST_F(FileOpsTest, MovesNeverReplaceAndCarryFolders)
{
    home.write("src/x.htm", "x");
    home.write("src/sub/y.gif", "y");
    EXPECT_TRUE(MoveFileOrDir(p("src/"), p("dst/")));
    EXPECT_EQ(home.read("dst/sub/y.gif"), "y");
    EXPECT_FALSE(home.exists("src"));

    home.write("a.htm", "new");
    home.write("b.htm", "keep");
    EXPECT_FALSE(MoveFileOrDir(p("a.htm"), p("b.htm")));
    EXPECT_EQ(home.read("b.htm"), "keep");
    EXPECT_EQ(home.read("a.htm"), "new");
    EXPECT_FALSE(MoveFileOrDir(p("missing"), p("c")));
}

TEST_F(FileOpsTest, MovesAcrossFileSystems)
{
    const QString shm = QStringLiteral("/dev/shm");
    if (!QFileInfo(shm).isWritable() || QFileInfo(shm).canonicalFilePath().isEmpty())
        GTEST_SKIP() << "no second file system";
    QTemporaryDir other(shm + "/glanix-XXXXXX");
    ASSERT_TRUE(other.isValid());
    home.write("src/a/x.htm", "x");
    home.write("file.htm", "f");
    EXPECT_TRUE(MoveFileOrDir(p("src"), other.path() + "/dst"));
    EXPECT_TRUE(QFileInfo::exists(other.path() + "/dst/a/x.htm"));
    EXPECT_FALSE(home.exists("src"));
    EXPECT_TRUE(MoveFileOrDir(p("file.htm"), other.path() + "/file.htm"));
    EXPECT_FALSE(home.exists("file.htm"));
}

TEST_F(FileOpsTest, DeletingATreeRemovesLinksNotTheirTargets)
{
    home.write("outside/keep.txt", "k");
    home.write("tree/a/b.txt", "b");
    ASSERT_TRUE(QFile::link(p("outside"), p("tree/a/link")));
    EXPECT_TRUE(DeleteTree(p("tree/")));
    EXPECT_FALSE(home.exists("tree"));
    EXPECT_EQ(home.read("outside/keep.txt"), "k");
    home.mkdir("empty");
    home.write("full/x", "x");
    EXPECT_TRUE(RemoveDirIfEmpty(p("empty/")));
    EXPECT_FALSE(RemoveDirIfEmpty(p("full/")));
    EXPECT_TRUE(home.exists("full/x"));
}

TEST_F(FileOpsTest, SizesAndDates)
{
    home.write("f", "12345");
    EXPECT_EQ(FileSizeOf(p("f")), 5);
    EXPECT_EQ(FileSizeOf(p("nope")), -1);
    EXPECT_EQ(FileDateOf(p("nope")), -1);
    const TDateTime when = 45000.5; // 2023-03-15 12:00
    ASSERT_TRUE(SetFileDate(p("f"), when));
    EXPECT_NEAR(FileDateOf(p("f")), when, 1e-6);
}

TEST_F(FileOpsTest, ComparisonsOfNewContentWithTheStoredFile)
{
    home.write("s.htm", "<p>Hello  world</p>\r\n");
    EXPECT_FALSE(StreamDiffers("<p>Hello  world</p>\r\n", p("s.htm")));
    EXPECT_TRUE(StreamDiffers("<p>Hello  world</p>\n", p("s.htm")));
    EXPECT_TRUE(StreamDiffers("<p>Hello  world</p>\r\r", p("s.htm")));
    EXPECT_TRUE(StreamDiffers("x", p("missing.htm")));

    EXPECT_TRUE(SameTextIgnoringTags("<b>Hello</b> world", p("s.htm")));
    EXPECT_TRUE(SameTextIgnoringTags("Hel\nlo<br>world", p("s.htm")));
    EXPECT_FALSE(SameTextIgnoringTags("<p>Hello world!</p>", p("s.htm")));
    EXPECT_FALSE(SameTextIgnoringTags("<p>Hello there</p>", p("s.htm")));
    EXPECT_FALSE(SameTextIgnoringTags("Hello world", p("missing.htm")));
    // An unclosed tag hides the rest of its side.
    EXPECT_TRUE(SameTextIgnoringTags("Helloworld<unclosed text", p("s.htm")));
}

// Version files around "p.htm": which exist afterwards, and what each holds.
struct ShiftCase {
    int keep;
    QStringList before; // contents of p.htm, p (2).htm, ... in order
    QStringList after;
};

class ShiftVersionsTest : public FileOpsTest, public ::testing::WithParamInterface<ShiftCase> { };

TEST_P(ShiftVersionsTest, KeepsTheAskedNumberOfOldVersions)
{
    const ShiftCase& c = GetParam();
    auto name = [](int n) { return n == 1 ? QString("p.htm") : QString("p (%1).htm").arg(n); };
    for (int i = 0; i < c.before.size(); ++i)
        home.write(name(i + 1), c.before[i].toUtf8());
    ShiftVersions(p("p.htm"), c.keep);
    QStringList after;
    for (int n = 1; n <= 8; ++n)
        after << (home.exists(name(n)) ? QString::fromUtf8(home.read(name(n))) : QString("-"));
    while (!after.isEmpty() && after.last() == "-")
        after.removeLast();
    EXPECT_EQ(after, c.after);
}

INSTANTIATE_TEST_SUITE_P(Keep, ShiftVersionsTest,
                         ::testing::Values(ShiftCase {0, {"cur", "v2", "v3"}, {"cur"}},
                                           ShiftCase {1, {"cur", "v2", "v3"}, {"-", "cur"}},
                                           ShiftCase {3, {"cur", "v2", "v3"}, {"-", "cur", "v2", "v3"}},
                                           ShiftCase {3, {"cur"}, {"-", "cur"}}, ShiftCase {1, {}, {}}));

TEST_F(FileOpsTest, ShiftingVersionsNeverWritesThroughAPlantedLink)
{
    home.write("outside/secret", "secret");
    home.write("s/p.htm", "cur");
    home.write("s/p (2).htm", "v2");
    ASSERT_TRUE(QFile::link(p("outside/secret"), p("s/p (3).htm")));
    ShiftVersions(p("s/p.htm"), 5);
    EXPECT_EQ(home.read("outside/secret"), "secret");
    EXPECT_EQ(home.read("s/p (2).htm"), "cur");
    EXPECT_EQ(home.read("s/p (3).htm"), "v2");
    EXPECT_TRUE(QFileInfo(p("s/p (4).htm")).isSymLink());
}

TEST_F(FileOpsTest, PathLimitsAndContainment)
{
    EXPECT_FALSE(PathTooLong("/a/" + QString(255, u'x')));
    EXPECT_TRUE(PathTooLong("/a/" + QString(256, u'x')));
    EXPECT_TRUE(PathTooLong("/a/" + QString(128, QChar(0x00E9)))); // 256 bytes
    QString deep;
    for (int i = 0; i < 25; ++i)
        deep += "/" + QString(200, u'd');
    EXPECT_TRUE(PathTooLong(deep));

    home.mkdir("store/dl");
    home.mkdir("elsewhere");
    ASSERT_TRUE(QFile::link(p("elsewhere"), p("store/dl/inde")));
    EXPECT_TRUE(isInsideFolder(p("store/dl/new/x.htm"), p("store/")));
    EXPECT_FALSE(isInsideFolder(p("store/dl/inde/x.htm"), p("store/")));
    EXPECT_FALSE(isInsideFolder(p("store/../elsewhere/x"), p("store")));
}

} // namespace
