#include "config/DeferredFileWriter.h"

#include "tests/support/TempHome.h"

#include <QDir>
#include <gtest/gtest.h>
#include <thread>

using namespace glanix;
using glanix::test::TempHome;

TEST(DeferredFileWriter, OutsideAScopeWritesAtOnceInsideOneReadersSeeTheNewContent)
{
    TempHome home;
    DeferredFileWriter writer;
    const QString path = home.write("a/page.url", "v0");
    ASSERT_TRUE(writer.write(path, "v1").ok);
    EXPECT_EQ(home.read("a/page.url"), "v1");
    EXPECT_FALSE(writer.pending(path));
    writer.holdForTesting(true);
    {
        DeferredFileWriter::Scope scope(writer);
        writer.write(path, "v2");
        writer.write(path, "v3");
        // Until it is on disk, what waits is what a reader gets.
        EXPECT_EQ(home.read("a/page.url"), "v1");
        EXPECT_EQ(writer.pending(path), "v3");
        {
            DeferredFileWriter::Immediate now(writer);
            writer.write(home.file("a/other.url"), "at once");
            EXPECT_EQ(home.read("a/other.url"), "at once");
        }
    }
    writer.holdForTesting(false);
    writer.settleAll();
    EXPECT_EQ(home.read("a/page.url"), "v3");
    EXPECT_EQ(writer.pendingCount(), 0);
    EXPECT_EQ(QDir(home.file("a")).entryList(QDir::Files | QDir::Hidden),
              QStringList({"other.url", "page.url"}));
}

TEST(DeferredFileWriter, NewestContentWinsWhateverThreadWritesIt)
{
    // The user-interface thread changes a few files again and again while the writing thread
    // and settle() write them: an older content must never end on disk.
    TempHome home;
    DeferredFileWriter writer;
    std::vector<QString> paths;
    for (int f = 0; f < 4; ++f)
        paths.push_back(home.file(QStringLiteral("f%1.url").arg(f)));
    {
        DeferredFileWriter::Scope scope(writer);
        for (int round = 1; round <= 300; ++round) {
            for (const QString& p : paths)
                writer.write(p, QByteArray::number(round));
            if (round % 50 == 0)
                writer.settle(paths[round % 4]);
            if (round % 7 == 0)
                std::this_thread::yield();
        }
    }
    writer.settleAll();
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(home.read(QStringLiteral("f%1.url").arg(f)), "300") << f;
    EXPECT_LE(writer.writtenCount(), 4 * 300);
    EXPECT_TRUE(writer.takeErrors().isEmpty());
}

TEST(DeferredFileWriter, SettlingAFolderWritesWhatWaitsBelowIt)
{
    TempHome home;
    home.mkdir("agent/Page");
    home.mkdir("agent/Pages");
    DeferredFileWriter writer;
    writer.holdForTesting(true);
    {
        DeferredFileWriter::Scope scope(writer);
        writer.write(home.file("agent/Page/child.url"), "child");
        writer.write(home.file("agent/Page.url"), "page");
        writer.write(home.file("agent/Pages/other.url"), "other");
        writer.settle(home.file("agent/Page"));
        EXPECT_EQ(home.read("agent/Page/child.url"), "child");
        EXPECT_FALSE(writer.pending(home.file("agent/Page/child.url")));
        EXPECT_FALSE(home.exists("agent/Page.url"));
        EXPECT_FALSE(home.exists("agent/Pages/other.url"));
        writer.settle(home.file("agent/Page.url"));
        EXPECT_EQ(home.read("agent/Page.url"), "page");
        EXPECT_FALSE(home.exists("agent/Pages/other.url"));
    }
    writer.holdForTesting(false);
}

TEST(DeferredFileWriter, FailuresAreKeptForTheLogAndEverythingIsWrittenAtTheEnd)
{
    TempHome home;
    auto writer = std::make_unique<DeferredFileWriter>();
    {
        DeferredFileWriter::Scope scope(*writer);
        writer->write(home.file("missing/x.url"), "x");
        writer->write(home.file("last.url"), "last");
    }
    writer->settleAll();
    const QStringList errors = writer->takeErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.front().contains(u"missing")) << errors.front().toStdString();
    {
        DeferredFileWriter::Scope scope(*writer);
        writer->write(home.file("end.url"), "end");
    }
    writer.reset();
    EXPECT_EQ(home.read("end.url"), "end");
    EXPECT_EQ(home.read("last.url"), "last");
}

TEST(DeferredFileWriter, AFileOfABatchThatFailsKeepsItsOldContentAndNoTemporary)
{
    TempHome home;
    DeferredFileWriter writer;
    const QStringList names {"a.url", "b.url", "c.url"};
    for (const QString& name : names)
        home.write("d/" + name, "old");
    writer.holdForTesting(true);
    {
        DeferredFileWriter::Scope scope(writer);
        for (const QString& name : names)
            writer.write(home.file("d/" + name), "new");
        failNextAtomicWrites(1);
        writer.settleAll();
    }
    EXPECT_EQ(writer.takeErrors().size(), 1);
    int old = 0;
    for (const QString& name : names) {
        const QByteArray content = home.read("d/" + name);
        EXPECT_TRUE(content == "old" || content == "new") << content.toStdString();
        old += content == "old";
    }
    EXPECT_EQ(old, 1);
    EXPECT_EQ(QDir(home.file("d")).entryList(QDir::Files | QDir::Hidden), names);
    EXPECT_EQ(writer.pendingCount(), 0);
}

TEST(DeferredFileWriter, QueuedFilesReachTheDiskWithoutBeingSettled)
{
    TempHome home;
    DeferredFileWriter writer;
    {
        DeferredFileWriter::Scope scope(writer);
        for (int round = 1; round <= 3; ++round) {
            writer.write(home.file("a.url"), QByteArray::number(round));
            writer.write(home.file("b.url"), QByteArray::number(round));
        }
    }
    for (int waited = 0; writer.pendingCount() > 0 && waited < 200; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(writer.pendingCount(), 0);
    EXPECT_EQ(home.read("a.url"), "3");
    EXPECT_EQ(home.read("b.url"), "3");
}
