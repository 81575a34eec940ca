#include "config/HomeLock.h"

#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

// The home named through a link is the same home: one lock, one instance socket.
TEST(HomeLock, OneHolderHoweverTheHomeIsNamed)
{
    TempHome home;
    home.mkdir("real");
    const QString real = home.file("real");
    const QString link = home.file("link");
    ASSERT_TRUE(QFile::link(real, link));

    HomeLock first(real + u'/');
    ASSERT_TRUE(first.tryLock());
    HomeLock second(link);
    EXPECT_FALSE(second.tryLock());
    EXPECT_FALSE(second.failed());
    EXPECT_EQ(second.holder(), QCoreApplication::applicationPid());
    EXPECT_EQ(homeInstanceName(link), homeInstanceName(real + u'/'));
    EXPECT_NE(homeInstanceName(link), homeInstanceName(home.path()));

    first.unlock();
    EXPECT_TRUE(second.tryLock());
}

TEST(HomeLock, AHomeThatCannotHoldTheLockSaysSo)
{
    HomeLock lock(QStringLiteral("/proc/"));
    EXPECT_FALSE(lock.tryLock());
    EXPECT_TRUE(lock.failed());
    EXPECT_FALSE(lock.lock()); // no endless wait for what can never come
    EXPECT_TRUE(lock.busyMessage().startsWith("Impossible de réserver le dossier de Glanix : "));
}

} // namespace
