#include "config/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace glanix;
using glanix::test::TempHome;

TEST(AtomicFile, ReplacesKeepingPermissionsAndLeavesNoTemporaryFile)
{
    TempHome home;
    const QString path = home.write("f.txt", "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(writeFileAtomically(path, "new").ok);
    EXPECT_EQ(home.read("f.txt"), "new");
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"f.txt"}));
}

TEST(AtomicFile, NeverWritesThroughASymlink)
{
    TempHome home;
    const QString outside = home.write("outside/secret", "keep");
    home.mkdir("store");
    const QString link = home.file("store/page.htm");
    ASSERT_TRUE(QFile::link(outside, link));
    ASSERT_TRUE(writeFileAtomically(link, "page").ok);
    EXPECT_EQ(home.read("outside/secret"), "keep");
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(home.read("store/page.htm"), "page");
}

TEST(AtomicFile, FailureKeepsTheOldFileAndSaysWhy)
{
    TempHome home;
    const QString path = home.write("f.txt", "old");
    failNextAtomicWrites(1);
    const WriteResult r = writeFileAtomically(path, "new");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(home.read("f.txt"), "old");
    EXPECT_FALSE(writeFileAtomically(home.file("missing/dir/f.txt"), "x").ok);
}

TEST(AtomicFile, LongTargetNamesStillGetATemporaryFile)
{
    TempHome home;
    const QString name = QString(255, u'a');
    EXPECT_TRUE(writeFileAtomically(home.file(name), "x").ok);
    EXPECT_EQ(home.read(name), "x");
}

TEST(AtomicFile, PreparedCopyIsInvisibleUntilCommittedAndNeverLeftBehind)
{
    TempHome home;
    const QString path = home.write("dir/page.htm", "old");
    const auto files = [&] { return QDir(home.file("dir")).entryList(QDir::Files | QDir::Hidden); };

    PreparedFile fresh = prepareFileAtomically(path, "new");
    ASSERT_TRUE(fresh.ok());
    EXPECT_EQ(home.read("dir/page.htm"), "old");
    // Another name in the same folder (the extension followed the content type).
    ASSERT_TRUE(commitPreparedFile(fresh, home.file("dir/page.html")).ok);
    EXPECT_FALSE(fresh.ok());
    EXPECT_EQ(home.read("dir/page.html"), "new");

    // Never into another folder; a refused or discarded copy leaves nothing.
    home.mkdir("other");
    fresh = prepareFileAtomically(path, "elsewhere");
    EXPECT_FALSE(commitPreparedFile(fresh, home.file("other/page.htm")).ok);
    EXPECT_FALSE(QFileInfo::exists(home.file("other/page.htm")));
    fresh = prepareFileAtomically(path, "dropped");
    discardPreparedFile(fresh);
    EXPECT_EQ(files(), QStringList({"page.htm", "page.html"}));
    EXPECT_EQ(home.read("dir/page.htm"), "old");

    EXPECT_FALSE(prepareFileAtomically(home.file("missing/f.txt"), "x").ok());
    EXPECT_FALSE(prepareFileAtomically(home.file("missing/f.txt"), "x").error.isEmpty());
}
