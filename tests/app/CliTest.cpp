#include "config/HomeLock.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSysInfo>
#include <gtest/gtest.h>

using namespace glanix::test;

TEST(Cli, UsageAndUnknownCommands)
{
    TempHome home;
    const CliResult none = runCli({"--home", home.path()});
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(none.err.contains("Usage"));
    const CliResult unknown = runCli({"--home", home.path(), "frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains("Commande inconnue : frobnicate"));
}

TEST(Cli, TreeListsAWholeAgent)
{
    TempHome home;
    glanix::test::AgentBuilder::sample(home.path());
    const CliResult byName = runCli({"--home", home.path(), "tree", "Veille"});
    EXPECT_EQ(byName.code, 0) << byName.err.toStdString();
    const QStringList lines = byName.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[2], "2\t3\tDictionnaire\t0\t0\tNon téléchargé\thttp://dico.example/");
    const CliResult byPath = runCli({"--home", home.path(), "tree", home.file("Veille.gnx")});
    EXPECT_EQ(byPath.out, byName.out);

    const CliResult missing = runCli({"--home", home.path(), "tree", "Absent"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.err, "Agent Absent.gnx introuvable\n");
    EXPECT_TRUE(missing.out.isEmpty());
    home.write("Cassé.gnx", "[Glanix]\nDirChilds=/nowhere/\n");
    const CliResult broken = runCli({"--home", home.path(), "tree", "Cassé"});
    EXPECT_EQ(broken.code, 2);
    EXPECT_TRUE(broken.err.contains("introuvable"));
    EXPECT_EQ(runCli({"--home", home.path(), "tree"}).code, 2);
}

TEST(Cli, NewAgentAndAddMakeWhatTheWizardMakes)
{
    TempHome home;
    const CliResult made = runCli({"--home", home.path(), "new-agent", "Veille"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.startsWith("Agent créé : Veille\n"));
    EXPECT_TRUE(home.exists("Veille.gnx"));
    EXPECT_TRUE(home.exists("Veille/Favs"));
    EXPECT_TRUE(home.read("Veille/DL/GlanixDefault.ini").contains("Frequency=0")); // "Systématique"

    const CliResult again = runCli({"--home", home.path(), "new-agent", "Veille"});
    EXPECT_EQ(again.code, 2);
    EXPECT_EQ(again.err, "Un agent portant ce nom existe déjà\n");
    EXPECT_EQ(runCli({"--home", home.path(), "new-agent", "../Ailleurs"}).code, 2);
    // Another agent's folder is not taken without a yes, which nobody can give here.
    const CliResult taken
        = runCli({"--home", home.path(), "new-agent", "Autre", "--dir", home.file("Veille")});
    EXPECT_EQ(taken.code, 2);
    EXPECT_TRUE(taken.err.startsWith("Ce répertoire est celui d'un agent existant."));
    const CliResult elsewhere
        = runCli({"--home", home.path(), "new-agent", "Autre", "--dir", home.file("X/Y")});
    EXPECT_EQ(elsewhere.code, 0) << elsewhere.err.toStdString();
    EXPECT_TRUE(home.exists("X/Y/DL/GlanixDefault.ini"));

    const CliResult added
        = runCli({"--home", home.path(), "add", "Veille", "lwn.net/Articles/", "--name", "LWN", "--depth",
                  "1", "--images", "0", "--same-server", "--frequency", "-1"});
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    EXPECT_TRUE(added.out.startsWith("Adresse créée : Veille\\LWN\n"));
    const QByteArray url = home.read("Veille/Favs/LWN.url");
    EXPECT_TRUE(url.contains("URL=http://lwn.net/Articles/"));
    EXPECT_TRUE(url.contains("DownLoadLinksDepth=1"));
    EXPECT_TRUE(url.contains("DownLoadImages=0"));
    EXPECT_TRUE(url.contains("DownLoadLinksStart=http://lwn.net"));
    EXPECT_TRUE(url.contains("Frequency=-1"));
    // The same name again does not replace the first address.
    ASSERT_EQ(runCli({"--home", home.path(), "add", "Veille", "https://lwn.net/", "--name", "LWN"}).code, 0);
    EXPECT_TRUE(home.read("Veille/Favs/LWN.url").contains("URL=http://lwn.net/Articles/"));
    EXPECT_TRUE(home.exists("Veille/Favs/LWN~1.url"));
    const QStringList tree
        = runCli({"--home", home.path(), "tree", "Veille"}).out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(tree.size(), 3);

    const CliResult empty = runCli({"--home", home.path(), "add", "Veille", "  "});
    EXPECT_EQ(empty.code, 2);
    EXPECT_EQ(empty.err, "Vous n'avez pas renseigné l'adresse\n");
    const CliResult noAgent = runCli({"--home", home.path(), "add", "Absent", "lwn.net"});
    EXPECT_EQ(noAgent.code, 2);
    EXPECT_EQ(noAgent.err, "Agent Absent.gnx introuvable\n");
    const CliResult noFolder
        = runCli({"--home", home.path(), "add", "Veille", "lwn.net", "--folder", "Presse"});
    EXPECT_EQ(noFolder.code, 2);
    EXPECT_TRUE(noFolder.err.startsWith("Dossier introuvable"));
    EXPECT_EQ(runCli({"--home", home.path(), "add", "Veille", "lwn.net", "--depth", "-2"}).code, 2);
    EXPECT_EQ(runCli({"--home", home.path(), "add", "Veille", "lwn.net", "--frequency", "-7"}).code, 2);
    EXPECT_EQ(runCli({"--home", home.path(), "add", "Veille", "lwn.net", "--bogus"}).code, 2);
}

TEST(Cli, InfoPrintsTheInformationPageOfAnElement)
{
    TempHome home;
    glanix::test::AgentBuilder::sample(home.path());
    const CliResult byPath = runCli({"--home", home.path(), "info", "Veille", "Presse\\Le Journal"});
    ASSERT_EQ(byPath.code, 0) << byPath.err.toStdString();
    EXPECT_TRUE(byPath.out.startsWith("<body bgcolor=\"#FFFFFF\""));
    EXPECT_TRUE(byPath.out.endsWith("</table></body>"));
    EXPECT_TRUE(byPath.out.contains("<b>&nbsp;Le Journal</b>"));
    EXPECT_TRUE(byPath.out.contains("&nbsp;État&nbsp;:") && byPath.out.contains("&nbsp;Propriétés&nbsp;:"));
    EXPECT_FALSE(byPath.out.contains("lien(s)"));
    EXPECT_EQ(runCli({"--home", home.path(), "info", "Veille", "http://journal.example/index.htm"}).out,
              byPath.out);

    // Naming a section shows that section alone.
    const CliResult links
        = runCli({"--home", home.path(), "info", "Veille", "Presse\\Le Journal", "--links"});
    EXPECT_TRUE(links.out.contains("&nbsp;1 lien(s)&nbsp;:"));
    EXPECT_TRUE(links.out.contains("<a href=\"http://journal.example/suite.htm\">"));
    EXPECT_TRUE(links.out.contains("<a href=\"http://journal.example/logo.gif\">"));
    EXPECT_FALSE(links.out.contains("État"));

    const CliResult folder
        = runCli({"--home", home.path(), "info", "Veille", "Presse", "--state", "--properties"});
    EXPECT_EQ(folder.code, 0);
    EXPECT_FALSE(folder.out.contains("URL&nbsp;:"));
    EXPECT_FALSE(folder.out.contains("État"));

    const CliResult missing = runCli({"--home", home.path(), "info", "Veille", "Presse\\Absent"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_FALSE(missing.err.isEmpty());
    EXPECT_EQ(runCli({"--home", home.path(), "info", "Veille", "Presse", "--flags"}).code, 2);
    EXPECT_EQ(runCli({"--home", home.path(), "info", "Veille"}).code, 2);
}

TEST(Cli, UnreadListsAndMarkChangesTheReadingState)
{
    TempHome home;
    glanix::test::AgentBuilder::sample(home.path());
    const auto unread = [&] { return runCli({"--home", home.path(), "unread", "Veille"}).out; };
    // 45000 is 15/03/23 00:00.
    EXPECT_EQ(unread(), "Veille\\Presse\\Le Journal\t15/03/23 00:00\thttp://journal.example/index.htm\n");

    // The page below it is read: marked unread with the folder and its content.
    CliResult r = runCli({"--home", home.path(), "mark", "Veille", "Presse", "unread", "--deep"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1 élément marqué\n");
    EXPECT_EQ(unread().count('\n'), 2);
    EXPECT_TRUE(unread().contains("Veille\\Presse\\Le Journal\\Suite\t"));

    // By address, without the content: only the journal.
    r = runCli({"--home", home.path(), "mark", "Veille", "http://journal.example/index.htm", "read"});
    EXPECT_EQ(r.out, "1 élément marqué\n");
    EXPECT_EQ(unread().count('\n'), 1);
    // A never downloaded address does not become unread.
    r = runCli({"--home", home.path(), "mark", "Veille", "Outils\\Dictionnaire", "unread"});
    EXPECT_EQ(r.out, "0 élément marqué\n");

    // Refresh with the content: every element below, forms excepted, is checked again.
    const auto verified = [&](const QString& file, const QByteArray& stamp) {
        home.write(file, home.read(file).replace("[Glanix]\n", "[Glanix]\nLastVerified=" + stamp + "\n"));
    };
    verified("Veille/Favs/Presse/Le Journal.url", "46000");
    verified("Veille/Favs/Presse/Régions/Météo locale.url", "46000");
    r = runCli({"--home", home.path(), "mark", "Veille", "Presse", "refresh", "--deep"});
    EXPECT_EQ(r.code, 0);
    EXPECT_FALSE(home.read("Veille/Favs/Presse/Le Journal.url").contains("LastVerified=46000"));
    EXPECT_FALSE(home.read("Veille/Favs/Presse/Régions/Météo locale.url").contains("LastVerified=46000"));

    r = runCli({"--home", home.path(), "mark", "Veille", "Presse\\Absent", "read"});
    EXPECT_EQ(r.code, 2);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_EQ(runCli({"--home", home.path(), "mark", "Veille", "Presse", "lu"}).code, 2);
}

// One writer per home: while another program holds it, commands that write are refused with
// the holder named (or wait with --wait); commands that only read still run.
TEST(CliHome, WritersAreRefusedWhileAnotherProgramHoldsTheHome)
{
    TempHome home;
    glanix::test::AgentBuilder::sample(home.path());
    glanix::HomeLock held(home.path());
    ASSERT_TRUE(held.tryLock());
    const QString busy = QStringLiteral("Glanix est déjà ouvert sur ce dossier (processus %1)\n")
                             .arg(QCoreApplication::applicationPid());
    for (const QStringList& command :
         {QStringList {"new-agent", "Autre"}, QStringList {"add", "Veille", "lwn.net/"},
          QStringList {"tree", "Veille"}, QStringList {"update", "Veille"}}) {
        const CliResult refused = runCli(QStringList {"--home", home.path()} + command);
        EXPECT_EQ(refused.code, 2) << command.join(' ').toStdString();
        EXPECT_EQ(refused.err, busy) << command.join(' ').toStdString();
        EXPECT_TRUE(refused.out.isEmpty());
    }
    EXPECT_FALSE(home.exists("Autre.gnx"));
    home.write("page.html", "<html><head><title>Page</title></head></html>");
    EXPECT_EQ(runCli({"--home", home.path(), "analyse", home.file("page.html")}).code, 0);

    // --wait: the command runs once the holder lets go.
    QProcess waiting;
    waiting.start(QStringLiteral(GLANIX_CLI), {"--home", home.path(), "--wait", "new-agent", "Autre"});
    ASSERT_TRUE(waiting.waitForStarted(10000));
    QByteArray err;
    for (int i = 0; i < 100 && !err.contains('\n'); ++i) {
        waiting.waitForReadyRead(200);
        err += waiting.readAllStandardError();
    }
    EXPECT_EQ(QString::fromUtf8(err), busy.chopped(1) + " : attente de sa fermeture...\n");
    EXPECT_FALSE(waiting.waitForFinished(500));
    EXPECT_FALSE(home.exists("Autre.gnx"));
    held.unlock();
    ASSERT_TRUE(waiting.waitForFinished(30000));
    EXPECT_EQ(waiting.exitCode(), 0) << waiting.readAllStandardError().toStdString();
    EXPECT_TRUE(home.exists("Autre.gnx"));
    EXPECT_FALSE(home.exists(".glanix.lock"));
}

TEST(CliHome, ALockLeftByAProcessThatDiedIsTakenOver)
{
    TempHome home;
    QProcess gone;
    gone.start(QStringLiteral("sh"), {"-c", "exit 0"});
    ASSERT_TRUE(gone.waitForStarted(10000));
    const qint64 pid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished(10000));
    home.write(".glanix.lock",
               QByteArray::number(pid) + "\nglanix-cli\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    const CliResult made = runCli({"--home", home.path(), "new-agent", "Veille"});
    EXPECT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(home.exists("Veille.gnx"));
    EXPECT_FALSE(home.exists(".glanix.lock"));
}

TEST(Cli, ListPrintsTheRowsOfTheListView)
{
    TempHome home;
    glanix::test::AgentBuilder::sample(home.path());
    // By name: the folder first whatever the order, nine tab-separated columns.
    const CliResult byName
        = runCli({"--home", home.path(), "list", "Veille", "Presse", "--sort", "0", "--desc"});
    ASSERT_EQ(byName.code, 0) << byName.err.toStdString();
    const QStringList lines = byName.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Régions\t"));
    EXPECT_TRUE(lines[1].startsWith("Le Journal\ttext/html\t*"));
    EXPECT_EQ(lines[1].count(u'\t'), 8);
    EXPECT_TRUE(lines[1].contains("\thttp://journal.example/index.htm\t"));

    // Everything below the agent, folders left out.
    const CliResult all = runCli({"--home", home.path(), "list", "Veille", "--all", "--no-folders"});
    ASSERT_EQ(all.code, 0);
    EXPECT_TRUE(all.out.contains("Suite\t") && all.out.contains(QString::fromUtf8("Météo locale\t")));
    EXPECT_FALSE(all.out.contains("Régions\t"));

    EXPECT_EQ(runCli({"--home", home.path(), "list", "Veille", "Nulle part"}).code, 2);
    EXPECT_EQ(runCli({"--home", home.path(), "list", "Veille", "--sort", "12"}).code, 2);
}
