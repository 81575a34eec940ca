#include "tests/support/AgentBuilder.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace glanix::test;

TEST(CliExport, ExportsAnElementAndPrintsWhatItWrote)
{
    TempHome home;
    AgentBuilder::sample(home.path());
    const QString dest = home.file("Export");
    const CliResult r
        = runCli({"--home", home.path(), "export", "Veille", "Presse\\Le Journal", "--to", dest});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // The page, its stored image (the banner was never fetched) and the page below it.
    EXPECT_TRUE(r.out.startsWith("3 documents exportés (")) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(dest + "/Index Le Journal.html\n"));
    const QByteArray page = home.read("Export/le journal.htm");
    EXPECT_EQ(page,
              "<html><head><title>Le Journal</title></head><body><img src=\"le%20j/logo.gif\">"
              "<a href=\"le%20j/suite.htm\">Suite</a></body></html>");

    // The destination as third argument, depth 0, no index.
    const CliResult flat
        = runCli({"--home", home.path(), "export", "Veille", "http://journal.example/index.htm", dest + "2",
                  "--depth", "0", "--no-index", "--no-images"});
    ASSERT_EQ(flat.code, 0) << flat.err.toStdString();
    EXPECT_EQ(flat.out, "1 document exporté (113 octets)\n");
    EXPECT_TRUE(
        home.read("Export2/le journal.htm").contains("<img src=\"http://journal.example/logo.gif\">"));

    // Bad usage, a missing element, too little room: code 2 and a French message.
    EXPECT_EQ(runCli({"--home", home.path(), "export", "Veille", "Presse"}).code, 2);
    EXPECT_EQ(runCli({"--home", home.path(), "export", "Veille", "--to", dest, "--keep-struct"}).code, 2);
    EXPECT_EQ(runCli({"--home", home.path(), "export", "Veille", "--to", dest, "--depth", "101"}).code, 2);
    const CliResult missing
        = runCli({"--home", home.path(), "export", "Veille", "Presse\\Absent", "--to", dest});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.startsWith("Élément introuvable")) << missing.err.toStdString();
}
