#include "views/VersionComparison.h"

#include "config/AtomicFile.h"
#include "tests/support/TempHome.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

QByteArray body(const QByteArray& changedWord)
{
    QByteArray t = "<html><head><title>t</title></head><body>\n";
    for (int i = 0; i < 40; ++i)
        t += "ligne " + QByteArray::number(i) + (i == 20 ? " " + changedWord : QByteArray()) + " de la page\n";
    return t;
}

void setTime(const QString& path, const QDateTime& when)
{
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace

TEST(VersionComparison, SamePairIsShownAgainUntilReloadOrChange)
{
    TempHome home;
    const QString oldFile = home.write("p (2).htm", body("ancien"));
    const QString newFile = home.write("p.htm", body("nouveau"));
    LastComparedPair last;
    const VersionComparison first = CompareWithOldVersion(home.env(), last, oldFile, newFile, {});
    ASSERT_TRUE(first.shown);
    EXPECT_TRUE(first.recomputed);
    EXPECT_EQ(first.resultFile, home.file("Compared.html"));
    EXPECT_EQ(first.blocks, 1);
    EXPECT_TRUE(first.summary.startsWith("0% modifiés\r1 nouveauté le\r"));

    // Asked again: nothing recomputed, the hint stays.
    const VersionComparison again = CompareWithOldVersion(home.env(), last, oldFile, newFile, {});
    EXPECT_TRUE(again.shown);
    EXPECT_FALSE(again.recomputed);
    EXPECT_TRUE(again.summary.isEmpty());

    // A result file changed behind our back is written afresh.
    home.write("Compared.html", "autre chose");
    EXPECT_TRUE(CompareWithOldVersion(home.env(), last, oldFile, newFile, {}).recomputed);
    EXPECT_TRUE(home.read("Compared.html").contains("nouveau"));

    // The reload button forgets the pair.
    last.clear();
    EXPECT_TRUE(CompareWithOldVersion(home.env(), last, oldFile, newFile, {}).recomputed);

    // A new download under the same names is compared anew.
    home.write("p.htm", body("encore un autre mot"));
    setTime(newFile, QDateTime::currentDateTime().addSecs(60));
    const VersionComparison redone = CompareWithOldVersion(home.env(), last, oldFile, newFile, {});
    EXPECT_TRUE(redone.recomputed);
    EXPECT_TRUE(home.read("Compared.html").contains("encore"));
}

TEST(VersionComparison, SummaryTexts)
{
    const QDateTime monday(QDate(2026, 3, 9), QTime(8, 5)), sunday(QDate(2026, 3, 15), QTime(17, 30));
    EXPECT_EQ(comparisonDate(sunday), u"dimanche 15/03/26 17:30");
    EXPECT_EQ(comparisonSummary(0, 0, sunday, monday),
              u"Pas de nouveauté visible le\rdimanche 15/03/26 17:30 par rapport au\rlundi 09/03/26 08:05");
    EXPECT_EQ(comparisonSummary(12, 3, sunday, monday),
              u"12% modifiés\r3 nouveautés le\rdimanche 15/03/26 17:30 par rapport au\rlundi 09/03/26 08:05");
}

TEST(VersionComparison, FailuresAreReportedNotShown)
{
    TempHome home;
    const QString oldFile = home.write("p (2).htm", body("ancien"));
    const QString newFile = home.write("p.htm", body("nouveau"));
    LastComparedPair last;
    const VersionComparison missing = CompareWithOldVersion(home.env(), last, home.file("none.htm"), newFile, {});
    EXPECT_FALSE(missing.shown);
    EXPECT_TRUE(missing.error.contains("none.htm"));

    // A result that cannot be written leaves nothing remembered, and the next call retries.
    failNextAtomicWrites(1);
    const VersionComparison unwritten = CompareWithOldVersion(home.env(), last, oldFile, newFile, {});
    EXPECT_FALSE(unwritten.shown);
    EXPECT_TRUE(home.env().errorLogged());
    EXPECT_TRUE(last.isEmpty());
    EXPECT_TRUE(CompareWithOldVersion(home.env(), last, oldFile, newFile, {}).shown);
}
