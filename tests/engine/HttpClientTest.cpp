// The download decision and the bytes on the wire, against the loopback server.
#include "tests/engine/HttpTestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

const QDateTime kModified = utc(2024, 5, 17, 10, 30, 0);

Document page(const QByteArray& body = "<html>hello</html>")
{
    return {.body = body, .contentType = "text/html", .lastModified = kModified, .etag = "v1"};
}

} // namespace

TEST(HttpClient, FirstDownloadSendsHeadThenGetWithTheExactBytes)
{
    TestServer server;
    server.setDocument("/page.html", page());
    TracedClient c(server.url("/page.html"));
    c.http.Reference = QStringLiteral("http://127.0.0.1/parent.html");

    ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(c.http.StatusCode, 200);
    EXPECT_EQ(c.http.StatusText, u"OK");
    EXPECT_EQ(c.http.Stream, QByteArray("<html>hello</html>"));
    EXPECT_EQ(c.http.ContentLength, 18);
    EXPECT_EQ(c.http.ContentType, u"text/html");
    EXPECT_EQ(c.http.ETag, u"v1"); // quotes removed
    EXPECT_DOUBLE_EQ(c.http.LastModified, days(kModified));
    EXPECT_GT(c.http.ServerDate, 0);

    const QList<RecordedRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    const QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n";
    EXPECT_EQ(requests[0].raw,
              "HEAD /page.html HTTP/1.0\r\nAccept: */*\r\n" + host
                  + "Referer: http://127.0.0.1/parent.html\r\nUser-Agent: Glanix/3.0\r\n\r\n");
    EXPECT_EQ(requests[1].raw,
              "GET /page.html HTTP/1.0\r\nAccept: */*\r\n" + host
                  + "Referer: http://127.0.0.1/parent.html\r\nUser-Agent: Glanix/3.0\r\n\r\n");

    // The trace a download records: the socket opened and closed twice, the lines sent and
    // the headers received.
    const QString port = QString::number(server.port());
    EXPECT_TRUE(c.tracedStartingWith(u" -- Socket "_qs));
    EXPECT_EQ(c.trace.filter(u" ouverte avec le serveur 127.0.0.1 sur le port "_qs + port).size(), 2);
    EXPECT_EQ(c.trace.filter(QRegularExpression(u"^ -- Socket \\d+ fermée$"_qs)).size(), 2);
    EXPECT_TRUE(c.traced(u" <- HEAD /page.html HTTP/1.0"_qs));
    EXPECT_TRUE(c.traced(u" -> HTTP/1.0 200 OK"_qs));
    EXPECT_TRUE(c.traced(u" -> ETag: \"v1\""_qs));
    EXPECT_TRUE(c.tracedStartingWith(u" -- Received 18 bytes on socket ID "_qs));
}

TEST(HttpClient, AddressesWithoutPathAndWithDefaultPort)
{
    TestServer server;
    server.setDocument("/", page());
    TracedClient c(u"127.0.0.1:"_qs + QString::number(server.port()));
    ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(server.lastRequest().target, "/");
    EXPECT_EQ(c.http.Path, u"/");
    EXPECT_EQ(c.http.port(), server.port());

    // A query alone still starts from "/", and a fragment never leaves the client.
    TracedClient q(u"http://127.0.0.1:"_qs + QString::number(server.port()) + u"?a=1#frag"_qs);
    q.http.GetIfModified({}, 0, true, 0);
    EXPECT_EQ(server.lastRequest().target, "/?a=1");
}

TEST(HttpClient, UnchangedDocumentCostsOneHead)
{
    TestServer server;
    server.setDocument("/page.html", page());
    const TDateTime stored = days(kModified);

    // Same date, and a server date at most one minute later: no GET.
    for (const TDateTime d : {stored, stored - 59.0 / 86400}) {
        server.clearRequests();
        TracedClient c(server.url("/page.html"));
        EXPECT_FALSE(c.http.GetIfModified(u"v1"_qs, 18, false, d));
        EXPECT_EQ(c.http.StatusCode, 200);
        EXPECT_EQ(server.count("HEAD"), 1);
        EXPECT_EQ(server.count("GET"), 0);
    }
    // Older by two minutes: the GET carries the stored date.
    server.clearRequests();
    TracedClient c(server.url("/page.html"));
    EXPECT_TRUE(c.http.GetIfModified(u"v1"_qs, 18, false, stored - 2.0 / 1440));
    ASSERT_EQ(server.count("GET"), 1);
    EXPECT_EQ(server.lastRequest().header("If-Modified-Since"),
              FormatHttpDate(stored - 2.0 / 1440).toLatin1());
    EXPECT_EQ(c.http.Stream, page().body);

    // Head only: never a GET.
    server.clearRequests();
    TracedClient h(server.url("/page.html"));
    EXPECT_FALSE(h.http.GetIfModified({}, 0, true, 0));
    EXPECT_EQ(server.count("GET"), 0);
}

TEST(HttpClient, NoDateDecidesBySizeAndTag)
{
    TestServer server;
    server.setDocument("/nodate", {.body = QByteArray(100, 'a'), .contentType = "text/plain"});
    server.setDocument("/tagonly", {.body = "x", .contentType = "text/plain", .etag = "new"});

    TracedClient same(server.url("/nodate"));
    same.http.Stream = QByteArray(100, 'a');
    EXPECT_FALSE(same.http.GetIfModified({}, 100, false, 1000.0)); // same size, copy in hand
    TracedClient other(server.url("/nodate"));
    EXPECT_TRUE(other.http.GetIfModified({}, 99, false, 1000.0));
    EXPECT_EQ(other.http.Stream.size(), 100);

    TracedClient tag(server.url("/tagonly"));
    EXPECT_TRUE(tag.http.GetIfModified(u"old"_qs, 1, false, 1000.0));
    EXPECT_EQ(tag.http.ETag, u"new");
}

TEST(HttpClient, ResumesAPartialCopyWithARangeAndAppendsOnly206)
{
    QByteArray body;
    for (int i = 0; i < 5000; ++i)
        body += char('a' + i % 26);
    TestServer server;
    server.setDocument("/big", {.body = body, .contentType = "text/plain", .lastModified = kModified});
    // A server that ignores ranges answers the whole document.
    server.on("/norange", [&](const RecordedRequest& r) {
        RecordedRequest plain = r;
        plain.headers.clear();
        return TestServer::answerDocument(
            plain, {.body = body, .contentType = "text/plain", .lastModified = kModified});
    });

    TracedClient c(server.url("/big"));
    c.http.Stream = body.left(1000);
    ASSERT_TRUE(c.http.GetIfModified({}, 5000, false, days(kModified)));
    const RecordedRequest get = server.lastRequest();
    EXPECT_EQ(get.header("Range"), "bytes=1000-4999/5000");
    EXPECT_EQ(get.header("If-Range"), FormatHttpDate(days(kModified)).toLatin1());
    EXPECT_FALSE(get.hasHeader("If-Modified-Since"));
    EXPECT_EQ(c.http.StatusCode, 206);
    EXPECT_EQ(c.http.ContentLength, 5000); // the HEAD's length stays
    EXPECT_EQ(c.http.Stream, body);

    TracedClient full(server.url("/norange"));
    full.http.Stream = body.left(1000);
    ASSERT_TRUE(full.http.GetIfModified({}, 5000, false, days(kModified)));
    EXPECT_EQ(full.http.StatusCode, 200);
    EXPECT_EQ(full.http.Stream, body);

    // The same client used again for a changed document asks for all of it.
    server.setDocument("/big", {.body = "changed", .lastModified = kModified.addDays(1)});
    ASSERT_TRUE(c.http.GetIfModified({}, 5000, false, days(kModified)));
    EXPECT_FALSE(server.lastRequest().hasHeader("Range"));
    EXPECT_EQ(c.http.Stream, "changed");
}

TEST(HttpClient, ResumeNeedsAValidatorAndAMatchingPart)
{
    TestServer server;
    server.setDocument("/nodate", {.body = QByteArray(300, 'b'), .contentType = "text/plain"});
    TracedClient c(server.url("/nodate"));
    c.http.Stream = QByteArray(100, 'b');
    ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0));
    EXPECT_FALSE(server.lastRequest().hasHeader("Range"));
    EXPECT_EQ(c.http.Stream.size(), 300);

    // A part that does not continue the copy would corrupt it.
    server.on("/liar", [](const RecordedRequest& r) {
        Reply reply = Reply::text(r.method == "HEAD" ? 200 : 206, QByteArray(50, 'z'));
        reply.header("ETag", "\"t\"");
        if (r.method == "GET")
            reply.header("Content-Range", "bytes 0-49/300");
        else
            reply.header("Content-Length", "300");
        return reply;
    });
    TracedClient liar(server.url("/liar"));
    liar.http.Stream = QByteArray(100, 'b');
    EXPECT_FALSE(liar.http.GetIfModified(u"t"_qs, 300, false, 0));
    EXPECT_EQ(liar.http.StatusCode, kStatusProtocolError);
    EXPECT_TRUE(liar.http.StatusText.contains(u"partielle"_qs));
    EXPECT_TRUE(liar.http.Stream.isEmpty());
}

TEST(HttpClient, RedirectionsAndRefusalsOfTheHead)
{
    TestServer server;
    server.setDocument("/target", page());
    const QString self = server.url("/self");
    server.on("/self", [&](const RecordedRequest& r) {
        return r.method == "HEAD" ? Reply::redirect(302, self.toLatin1()) : Reply::text(200, "self body");
    });
    server.on("/moved", [](const RecordedRequest&) { return Reply::redirect(301, "/target"); });
    server.on("/temp", [](const RecordedRequest&) { return Reply::redirect(302, "/target"); });
    for (int status : {400, 401, 404, 405, 406, 500, 503}) {
        server.on("/status" + QByteArray::number(status), [status](const RecordedRequest& r) {
            return r.method == "HEAD" ? Reply::text(status, {}) : Reply::text(200, "got it");
        });
    }

    TracedClient toSelf(self);
    EXPECT_TRUE(toSelf.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(toSelf.http.Stream, "self body");

    TracedClient moved(server.url("/moved"));
    EXPECT_FALSE(moved.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(moved.http.StatusCode, 301);
    EXPECT_EQ(moved.http.Location, u"/target");
    TracedClient temp(server.url("/temp"));
    EXPECT_FALSE(temp.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(server.count("GET"), 1);

    // 400, 401, 406 and 5xx still lead to the GET; other refusals end the operation.
    for (int status : {400, 401, 404, 405, 406, 500, 503}) {
        const QByteArray path = "/status" + QByteArray::number(status);
        TracedClient c(server.url(QString::fromLatin1(path)));
        const bool expectGet = status != 404 && status != 405;
        EXPECT_EQ(c.http.GetIfModified({}, 0, false, 0), expectGet) << status;
        EXPECT_EQ(server.count("GET", path), expectGet ? 1 : 0) << status;
        EXPECT_EQ(c.http.StatusCode, expectGet ? 200 : status);
    }
}

TEST(HttpClient, ErrorAnswersKeepTheirHeadersOutOfTheBody)
{
    TestServer server;
    server.on("/secret", [](const RecordedRequest&) {
        return Reply::text(401, "<p>no</p>")
            .header("WWW-Authenticate", "Basic realm=\"a\"")
            .header("WWW-Authenticate", "Digest realm=\"b\"");
    });
    TracedClient c(server.url("/secret"));
    EXPECT_TRUE(c.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(c.http.StatusCode, 401);
    EXPECT_EQ(c.http.Authenticate, QStringList({u"Basic realm=\"a\""_qs, u"Digest realm=\"b\""_qs}));
    EXPECT_EQ(c.http.Stream, "<p>no</p>");
}

TEST(HttpClient, ProxyGetsTheWholeAddressAndDefaultsTo8080)
{
    TestServer origin;
    origin.setDocument("/doc", page());
    TestServer proxy({.proxy = true});

    TracedClient c(u"127.0.0.1:"_qs + QString::number(origin.port()) + u"/doc"_qs);
    c.http.Proxy = proxy.authority();
    ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(c.http.Stream, page().body);
    const QByteArray absolute = "http://127.0.0.1:" + QByteArray::number(origin.port()) + "/doc";
    ASSERT_EQ(proxy.count("GET"), 1);
    EXPECT_EQ(proxy.lastRequest().target, absolute);
    EXPECT_TRUE(c.traced(u" <- GET "_qs + QString::fromLatin1(absolute) + u" HTTP/1.0"_qs));
    EXPECT_EQ(proxy.lastRequest().header("Host"), "127.0.0.1:" + QByteArray::number(origin.port()));
    EXPECT_EQ(origin.lastRequest().target, "/doc");

    // Without a port the proxy is looked for on 8080.
    TracedClient d(origin.url("/doc"));
    d.http.Proxy = u"127.0.0.1"_qs;
    d.http.GetIfModified({}, 0, true, 0);
    EXPECT_EQ(d.http.port(), 8080);
    EXPECT_TRUE(d.trace.join(u'\n').contains(u"sur le port 8080"_qs));
}

TEST(HttpClient, ActionAndPost)
{
    TestServer server;
    server.on("/news.ini", [](const RecordedRequest& r) {
        return r.method == "HEAD" ? Reply::text(404, {})
                                  : Reply::text(200, "[Glanix]\nLastVersion=Glanix/3.1\n");
    });
    server.on("/form.cgi", [](const RecordedRequest& r) {
        return Reply::text(200, "posted:" + r.body + ':' + r.header("Content-Type"));
    });

    TracedClient a(server.url("/news.ini"));
    a.http.NoCache = true;
    a.http.Action();
    EXPECT_EQ(a.http.StatusCode, 200);
    EXPECT_TRUE(a.http.Stream.contains("LastVersion"));
    EXPECT_EQ(server.lastRequest().header("Pragma"), "no-cache");

    TracedClient p(server.url("/form.cgi"));
    p.http.Stream = "name=value&x=%20";
    p.http.Post();
    EXPECT_EQ(p.http.Stream, "posted:name=value&x=%20:application/x-www-form-urlencoded");
    const RecordedRequest post = server.lastRequest();
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.header("Content-Length"), "16");
    EXPECT_TRUE(p.tracedStartingWith(u" -- Sent 16 bytes on socket ID "_qs));
}

TEST(HttpClient, ProgressIsReportedPerBlockAndEndsWithZero)
{
    TestServer server;
    server.setDocument("/big", {.body = QByteArray(100000, 'q'), .contentType = "application/octet-stream"});
    TracedClient c(server.url("/big"));
    qint64 total = 0;
    QList<qint64> counts;
    c.http.OnDataReceived = [&](T_HTTP& h, TransferMode, qint64 count) {
        EXPECT_EQ(h.Stream.size(), total); // called before the block is appended
        total += count;
        counts << count;
    };
    ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(total, 100000);
    EXPECT_EQ(counts.last(), 0);
    for (qint64 n : counts)
        EXPECT_LE(n, T_TcpIp::kBufferSize);

    // A callback that throws abandons the operation; the exception reaches the caller.
    TracedClient t(server.url("/big"));
    t.http.OnDataReceived = [](T_HTTP&, TransferMode, qint64) { throw std::runtime_error("TimeOut"); };
    EXPECT_THROW(t.http.GetIfModified({}, 0, false, 0), std::runtime_error);
    EXPECT_FALSE(t.http.LoggedIn);
}
