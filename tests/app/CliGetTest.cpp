// `glanix-cli get` run as a user would, against the loopback server.
#include "tests/support/CliRunner.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

using namespace glanix::test;

namespace {

const QDateTime kModified(QDate(2024, 5, 17), QTime(10, 30), Qt::UTC);

} // namespace

TEST(CliGet, PrintsTheExchangeAndWritesTheBody)
{
    TempHome home;
    TestServer server;
    server.setDocument("/page.html", {.body = "<html>hello</html>", .lastModified = kModified, .etag = "v1"});
    const CliResult r
        = runCli({"--home", home.path(), "get", server.url("/page.html"), "--out", home.file("p.html")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(u" <- HEAD /page.html HTTP/1.0"_qs)) << r.out.toStdString();
    EXPECT_TRUE(lines.contains(u" <- GET /page.html HTTP/1.0"_qs));
    EXPECT_TRUE(lines.contains(u" -> HTTP/1.0 200 OK"_qs));
    EXPECT_TRUE(lines.contains(u" -> ETag: \"v1\""_qs));
    EXPECT_TRUE(lines.first().startsWith(u" -- Socket "_qs));
    // The lines a download leaves out of an element's messages.
    EXPECT_FALSE(r.out.contains(u"Received "_qs));
    EXPECT_FALSE(r.out.contains(u"Host: "_qs));
    EXPECT_EQ(lines.mid(lines.size() - 4),
              QStringList({u"OK"_qs, u"status\t200\t200 : OK"_qs, u"downloaded\t1"_qs, u"length\t18"_qs}));
    EXPECT_EQ(home.read("p.html"), "<html>hello</html>");

    const CliResult verbose = runCli({"--home", home.path(), "get", server.url("/page.html"), "--verbose"});
    EXPECT_TRUE(verbose.out.contains(u" -- Received 18 bytes on socket ID "_qs));
}

TEST(CliGet, StoredStateDecidesLikeADownload)
{
    TempHome home;
    TestServer server;
    server.setDocument("/page.html", {.body = "<html>hello</html>", .lastModified = kModified});
    for (const QString& since : {u"Fri, 17 May 2024 10:30:00 GMT"_qs, u"2024-05-17T10:29:30"_qs}) {
        server.clearRequests();
        const CliResult r = runCli({"--home", home.path(), "get", server.url("/page.html"), "--since", since,
                                    "--out", home.file("none.html")});
        EXPECT_EQ(r.code, 0);
        EXPECT_TRUE(r.out.contains(u"downloaded\t0\nlength\t0\n"_qs)) << r.out.toStdString();
        EXPECT_EQ(server.count("GET"), 0);
        EXPECT_FALSE(home.exists("none.html"));
    }
    const CliResult head = runCli({"--home", home.path(), "get", server.url("/page.html"), "--head"});
    EXPECT_TRUE(head.out.contains(u"status\t200\t200 : OK\ndownloaded\t0\n"_qs));
    EXPECT_EQ(server.count("GET"), 0);
}

TEST(CliGet, ProxyComesFromTheSettingsUnlessGiven)
{
    TempHome home;
    TestServer origin;
    origin.setDocument("/doc", {.body = "via proxy"});
    TestServer proxy({.proxy = true});
    home.write("Glanix.ini", "[General]\nProxy=" + proxy.authority().toLatin1() + "\n");
    const CliResult r = runCli({"--home", home.path(), "get", origin.url("/doc")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(proxy.count("GET"), 1);
    EXPECT_TRUE(r.out.contains(u" <- GET "_qs + origin.url("/doc") + u" HTTP/1.0"_qs)) << r.out.toStdString();

    const CliResult direct = runCli({"--home", home.path(), "get", origin.url("/doc"), "--proxy", ""});
    EXPECT_EQ(direct.code, 0);
    EXPECT_EQ(proxy.count("GET"), 1);
    EXPECT_TRUE(direct.out.contains(u"length\t9"_qs));
}

TEST(CliGet, FailuresAndBadUsage)
{
    TempHome home;
    quint16 closed = 0;
    {
        TestServer gone;
        closed = gone.port();
    }
    const CliResult refused
        = runCli({"--home", home.path(), "get", u"http://127.0.0.1:"_qs + QString::number(closed) + u"/"_qs});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.out.contains(u"status\t-3\tServeur momentanément inaccessible"_qs))
        << refused.out.toStdString();

    TestServer server;
    server.on("/404", [](const RecordedRequest&) { return Reply::text(404, "no"); });
    const CliResult missing = runCli({"--home", home.path(), "get", server.url("/404")});
    EXPECT_EQ(missing.code, 0); // a status was obtained
    EXPECT_TRUE(missing.out.contains(u"status\t404\t404 : Non trouvé"_qs));

    for (const QStringList& args :
         {QStringList {"get"}, QStringList {"get", "http://a/", "--size", "-1"},
          QStringList {"get", "http://a/", "--since", "tomorrow"},
          QStringList {"get", "http://a/", "--bogus"}, QStringList {"get", "--out"}}) {
        const CliResult r = runCli(QStringList {"--home", home.path()} + args);
        EXPECT_EQ(r.code, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"Usage : glanix-cli get URL"_qs));
    }
}

TEST(CliGet, TheWholeExchangeHasATimeLimit)
{
    TempHome home;
    TestServer server;
    // A byte every 50 ms from the status line on: never silent, done after 10 s.
    server.on("/drip", [](const RecordedRequest&) {
        Reply reply = Reply::raw("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + QByteArray(200, 'x'));
        reply.chunkSize = 1;
        reply.chunkDelayMs = 50;
        return reply;
    });
    const CliResult r = runCli({"--home", home.path(), "get", server.url("/drip"), "--timeout", "1", "--out",
                                home.file("drip.html")});
    EXPECT_EQ(r.code, 1) << r.out.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(u"Transfert interrompu : durée maximale de 1 s dépassée"_qs))
        << r.out.toStdString();
    EXPECT_TRUE(lines.contains(u"status\t-5\tTransmission incomplète"_qs));
    EXPECT_FALSE(home.exists("drip.html"));

    // The options' limit when none is given: TimeOut + TimeOutByPage.
    home.write("Glanix.ini", "[General]\nTimeOut=1\nTimeOutByPage=1\n");
    const CliResult fromOptions = runCli({"--home", home.path(), "get", server.url("/drip")});
    EXPECT_TRUE(fromOptions.out.contains(u"durée maximale de 2 s dépassée"_qs))
        << fromOptions.out.toStdString();

    for (const char* bad : {"0", "-3", "abc"})
        EXPECT_EQ(runCli({"--home", home.path(), "get", server.url("/drip"), "--timeout", bad}).code, 2)
            << bad;
}
