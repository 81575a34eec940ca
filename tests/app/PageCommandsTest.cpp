#include "tests/support/CliRunner.h"
#include "tests/support/TempHome.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

using namespace glanix::test;

namespace {

void touch(const QString& path, const QDateTime& when)
{
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace

TEST(PageCommands, AnalysePrintsFindingsInListOrder)
{
    TempHome home;
    const QString file = home.write("my page.htm", "<head><title>Caf\xE9 &#8217; ici</title></head>"
                                                   "<img src=i.gif><a href=b.htm><frame src=f.htm>");
    const CliResult r = runCli({"--home", home.path(), "analyse", file, "--url", "http://h/d/p.htm"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "title\tCafé ’ ici\nbase\t\nrefresh\t\n"
                     "frame\thttp://h/d/f.htm\tf.htm\nlink\thttp://h/d/b.htm\tb.htm\nimage\thttp://h/d/i.gif\ti.gif\n");

    // Without --url the page is its file:// address.
    const CliResult local = runCli({"--home", home.path(), "analyse", file});
    ASSERT_EQ(local.code, 0);
    EXPECT_TRUE(local.out.contains("link\tfile://" + home.path() + "b.htm\tb.htm\n")) << local.out.toStdString();
}

TEST(PageCommands, AnalyseOfAnEndlessStreamStopsAtTheCap)
{
    TempHome home;
    const CliResult r = runCli({"--home", home.path(), "analyse", "/dev/zero"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Fichier trop grand (plus de 536870912 octets) : /dev/zero\n");
    EXPECT_EQ(r.out, "");
}

TEST(PageCommands, CompareWritesTheMarkedPageAndSummary)
{
    TempHome home;
    QByteArray text = "<html><head></head><body>\n";
    for (int i = 0; i < 50; ++i)
        text += "phrase numero " + QByteArray::number(i) + " du texte de la page.\n";
    QByteArray changed = text;
    changed.replace("numero 25 ", "numero 99 ");
    const QString oldFile = home.write("p (2).htm", text);
    const QString newFile = home.write("p.htm", changed);
    touch(oldFile, QDateTime(QDate(2026, 3, 9), QTime(8, 5)));   // a Monday
    touch(newFile, QDateTime(QDate(2026, 3, 15), QTime(17, 30))); // a Sunday

    const CliResult r = runCli({"--home", home.path(), "compare", oldFile, newFile});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "0\t1\n0% modifiés\n1 nouveauté le\ndimanche 15/03/26 17:30 par rapport au\n"
                     "lundi 09/03/26 08:05\n");
    const QByteArray compared = home.read("Compared.html");
    EXPECT_TRUE(compared.contains("numero <FONT COLOR=\"#F000F0\">99 </FONT>du texte de la page.\r\n")) << compared.toStdString();
    EXPECT_FALSE(compared.contains("\n\n"));

    // The home's settings are used, and --out chooses the file.
    home.write("Glanix.ini", "[General]\nHighLightColor=255\n");
    const CliResult same = runCli({"--home", home.path(), "compare", oldFile, oldFile, "--out", home.file("o.html")});
    ASSERT_EQ(same.code, 0);
    EXPECT_TRUE(same.out.startsWith("0\t0\nPas de nouveauté visible le\nlundi 09/03/26 08:05 par rapport au\n"));
    runCli({"--home", home.path(), "compare", oldFile, newFile, "--out", home.file("o.html")});
    EXPECT_TRUE(home.read("o.html").contains("#FF0000"));
}

TEST(PageCommands, BadUsageAndUnreadableFiles)
{
    TempHome home;
    const QString file = home.write("a.htm", "<p>a</p>");
    for (const QStringList& args : {QStringList {"analyse"}, QStringList {"analyse", file, "--url"},
                                    QStringList {"compare", file}, QStringList {"compare", file, file, "--out"}}) {
        const CliResult r = runCli(QStringList {"--home", home.path()} + args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("Usage : ")) << r.err.toStdString();
    }
    const CliResult missing = runCli({"--home", home.path(), "compare", file, home.file("none.htm")});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("Impossible de lire le fichier"));
    EXPECT_EQ(runCli({"--home", home.path(), "analyse", home.path()}).code, 2); // a folder
}
