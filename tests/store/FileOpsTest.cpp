#include "store/FileOps.h"

#include "config/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
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
    for (int i = 0; i < c.before.size(); ++i) {
        if (c.before[i] != "-")
            home.write(name(i + 1), c.before[i].toUtf8());
    }
    PreparedFile file = prepareFileAtomically(p("p.htm"), QByteArray("new"));
    ASSERT_TRUE(StoreNewCopy(file, p("p.htm"), c.keep).ok);
    QStringList after;
    for (int n = 1; n <= 8; ++n)
        after << (home.exists(name(n)) ? QString::fromUtf8(home.read(name(n))) : QString("-"));
    while (!after.isEmpty() && after.last() == "-")
        after.removeLast();
    EXPECT_EQ(after, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Keep, ShiftVersionsTest,
    ::testing::Values(ShiftCase {0, {"cur", "v2", "v3"}, {"new"}},
                      ShiftCase {1, {"cur", "v2", "v3"}, {"new", "cur"}},
                      ShiftCase {3, {"cur", "v2", "v3"}, {"new", "cur", "v2", "v3"}},
                      ShiftCase {2, {"cur", "v2", "v3"}, {"new", "cur", "v2"}},
                      // A gap left by a killed shift is closed.
                      ShiftCase {3, {"cur", "v2", "-", "v4"}, {"new", "cur", "v2", "v4"}},
                      ShiftCase {3, {"cur"}, {"new", "cur"}}, ShiftCase {1, {}, {"new"}}));

TEST_F(FileOpsTest, ShiftingVersionsNeverWritesThroughAPlantedLink)
{
    home.write("outside/secret", "secret");
    home.write("s/p.htm", "cur");
    home.write("s/p (2).htm", "v2");
    ASSERT_TRUE(QFile::link(p("outside/secret"), p("s/p (3).htm")));
    PreparedFile file = prepareFileAtomically(p("s/p.htm"), QByteArray("new"));
    ASSERT_TRUE(StoreNewCopy(file, p("s/p.htm"), 5).ok);
    EXPECT_EQ(home.read("outside/secret"), "secret");
    EXPECT_EQ(home.read("s/p.htm"), "new");
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

// A store killed at each file step in turn (the temporary write, every rename, link and
// removal): at every one the stored copy is the old one or the new one, each old version that
// must stay still has a name, and the next store, with nothing failing, puts everything right.
TEST_F(FileOpsTest, StoringSurvivesAKillAtEveryStep)
{
    auto name = [](int n) { return n == 1 ? QString("d/p.htm") : QString("d/p (%1).htm").arg(n); };
    auto contents = [&] {
        QSet<QByteArray> out;
        for (int n = 1; n <= 6; ++n) {
            if (home.exists(name(n)))
                out << home.read(name(n));
        }
        return out;
    };
    int killedAt = 0;
    for (int step = 1; step < 30; ++step) {
        QDir(p("d")).removeRecursively();
        home.write(name(1), "cur");
        home.write(name(2), "v2");
        home.write(name(3), "v3");
        PreparedFile file;
        failFileSteps(step, 1000, EIO);
        file = prepareFileAtomically(p("d/p.htm"), QByteArray("new"));
        const WriteResult r = StoreNewCopy(file, p("d/p.htm"), 3);
        failFileSteps(0, 0, 0);
        const QByteArray current = home.read(name(1));
        ASSERT_TRUE(current == "cur" || current == "new") << "step " << step;
        const QSet<QByteArray> kept = contents();
        EXPECT_TRUE(kept.contains("v2") && kept.contains("v3")) << "step " << step;
        if (current == "new")
            EXPECT_TRUE(kept.contains("cur")) << "step " << step;
        if (r.ok) {
            killedAt = step;
            break;
        }
        EXPECT_FALSE(r.error.isEmpty());
        // The next run: its leftovers go, and the next store keeps every version in order.
        EXPECT_GE(RemoveStrayTemporaryFiles(p("d")), 0);
        PreparedFile again = prepareFileAtomically(p("d/p.htm"), QByteArray("next"));
        ASSERT_TRUE(StoreNewCopy(again, p("d/p.htm"), 3).ok) << "step " << step;
        EXPECT_EQ(home.read(name(1)), "next");
        EXPECT_EQ(home.read(name(2)), current) << "step " << step;
        EXPECT_EQ(contents(), (QSet<QByteArray> {"next", "cur", "v2", "v3", current})) << "step " << step;
    }
    // Every step was tried until one run had nothing left to fail.
    EXPECT_GT(killedAt, 4);
    EXPECT_EQ(home.read(name(1)), "new");
    EXPECT_EQ(home.read(name(2)), "cur");
    EXPECT_EQ(home.read(name(3)), "v2");
    EXPECT_EQ(home.read(name(4)), "v3");
}

TEST_F(FileOpsTest, AFullDiskWhileStoringLeavesTheStoredCopyAndNoStrayFile)
{
    home.write("d/p.htm", "cur");
    home.write("d/p (2).htm", "v2");
    failFileSteps(1, 1, ENOSPC);
    PreparedFile file = prepareFileAtomically(p("d/p.htm"), QByteArray("new"));
    failFileSteps(0, 0, 0);
    EXPECT_FALSE(file.ok());
    EXPECT_TRUE(file.noSpace);
    const WriteResult r = StoreNewCopy(file, p("d/p.htm"), 3);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.noSpace);
    EXPECT_EQ(home.read("d/p.htm"), "cur");
    EXPECT_EQ(home.read("d/p (2).htm"), "v2");
    EXPECT_EQ(QDir(p("d")).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(FileOpsTest, StrayTemporaryFilesGoUnlessTheirProcessRuns)
{
    home.write("d/.glanix-999999999-0000abcd.tmp", "dead process");
    const QString mine
        = QStringLiteral("d/sub/.glanix-%1-0000abcd.tmp").arg(QCoreApplication::applicationPid());
    home.write(mine, "this process");
    home.write("d/sub/.glanix-00000000ab.tmp", "old name, just written");
    home.write("d/p.htm", "document");
    home.write("outside/.glanix-999999999-0000abcd.tmp", "behind a link");
    ASSERT_TRUE(QFile::link(p("outside"), p("d/link")));
    EXPECT_EQ(RemoveStrayTemporaryFiles(p("d/")), 1);
    EXPECT_FALSE(home.exists("d/.glanix-999999999-0000abcd.tmp"));
    EXPECT_TRUE(home.exists(mine));
    EXPECT_TRUE(home.exists("d/sub/.glanix-00000000ab.tmp"));
    EXPECT_TRUE(home.exists("d/p.htm"));
    EXPECT_TRUE(home.exists("outside/.glanix-999999999-0000abcd.tmp"));
}
