#pragma once

#include "tests/support/TestCertificates.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

// A loopback HTTP(S) server for tests: it listens on 127.0.0.1 and ::1 on ephemeral ports,
// answers one request per connection (HTTP/1.0 style) on threads of its own, and records
// every request byte for byte. Answers come, in this order, from:
//   1. the proxy (when enabled): absolute addresses and CONNECT, relayed to loopback servers;
//   2. handlers registered per path with on();
//   3. documents set with setDocument() (HEAD, If-Modified-Since, Range/If-Range, 206);
//   4. a folder served with serveFolder() (same logic, dates and tags from the files);
//   5. 404.
// Every accessor is thread-safe; the destructor ends stalled answers and joins the threads.
//
//     TestServer server;
//     server.setDocument("/page.html", {.body = "<html>...", .lastModified = when});
//     server.on("/moved", [](const RecordedRequest&) { return Reply::redirect(301, "/page.html"); });
//     server.on("/broken", [](const RecordedRequest&) { return Reply::raw("HTTP/1.0 abc\r\n\r\n"); });
//     server.on("/slow", [](const RecordedRequest&) {
//         Reply r = Reply::text(200, QByteArray(5000, 'x'));
//         r.stallAfter = 100; // headers and a little body, then silence until the client leaves
//         return r;
//     });
//     server.on("/drip", [](const RecordedRequest&) {
//         Reply r = Reply::text(200, QByteArray(5000, 'x'));
//         r.chunkSize = 1; // one byte every 50 ms: never silent, never done
//         r.chunkDelayMs = 50;
//         return r;
//     });
//     ... run the client against server.url("/page.html") ...
//     EXPECT_EQ(server.count("HEAD", "/page.html"), 1);
//     EXPECT_TRUE(server.requests().front().raw.startsWith("HEAD /page.html HTTP/1.0\r\n"));
//
//     TestCertificates certs;                       // https
//     TestServer secure({.tls = true, .certificate = certs.server()});
namespace glanix::test {

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

struct RecordedRequest {
    QByteArray raw; // the request as received (decrypted for TLS): head and body
    QByteArray method; // "GET"
    QByteArray target; // "/a/b?c", an absolute address for a proxy, "host:port" for CONNECT
    QByteArray version; // "HTTP/1.0"
    HeaderList headers;
    QByteArray body;
    bool tls = false;
    bool ipv6 = false;

    // The first header of that name (case ignored); empty when absent.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
    // The target without its query.
    QByteArray path() const;
};

struct Reply {
    int status = 200;
    QByteArray reason; // the usual phrase of the status when empty
    HeaderList headers;
    QByteArray body;
    bool addContentLength = true;
    QByteArray rawBytes; // with `verbatim`, sent as they stand instead of the above
    bool verbatim = false;

    // Pacing and faults, counted on the whole answer (head and body).
    qsizetype chunkSize = 0; // send in pieces of this size ...
    int chunkDelayMs = 0; // ... with this pause between them ...
    qsizetype chunkFrom = 0; // ... after this many bytes sent at once (a drip after the head)
    qsizetype closeAfter = -1; // close the connection after this many bytes
    qsizetype stallAfter = -1; // after this many bytes, send nothing more until the client leaves

    static Reply text(int status, const QByteArray& body, const QByteArray& contentType = "text/html");
    static Reply redirect(int status, const QByteArray& location);
    static Reply raw(const QByteArray& bytes);
    Reply& header(const QByteArray& name, const QByteArray& value);
};

using Handler = std::function<Reply(const RecordedRequest&)>;

struct Document {
    QByteArray body;
    QByteArray contentType = "text/html";
    QDateTime lastModified; // none when invalid
    QByteArray etag; // without quotes; none when empty
};

struct TestServerOptions {
    bool tls = false;
    PemPair certificate; // required with tls
    bool proxy = false; // also act as an HTTP proxy towards loopback addresses
};

class TestServer {
public:
    explicit TestServer(TestServerOptions options = {});
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    quint16 port() const { return m_port; } // on 127.0.0.1

    quint16 port6() const { return m_port6; } // on ::1; 0 when the machine has no IPv6

    // "http://127.0.0.1:PORT/path" ("https" with TLS).
    QString url(const QString& path = QStringLiteral("/")) const;
    // "http://[::1]:PORT/path".
    QString url6(const QString& path = QStringLiteral("/")) const;
    // "127.0.0.1:PORT", as a proxy setting.
    QString authority() const;

    void on(const QByteArray& path, Handler handler);
    void setDocument(const QByteArray& path, Document document);
    void removeDocument(const QByteArray& path);
    void serveFolder(const QString& folder);

    void setProxy(bool on) { m_proxy = on; }

    QList<RecordedRequest> requests() const;
    RecordedRequest lastRequest() const;
    // Requests with that method (and that path without query, when given).
    int count(const QByteArray& method, const QByteArray& path = {}) const;
    void clearRequests();

    // TLS handshakes that failed (a client that refused the certificate, for instance).
    int failedHandshakes() const { return m_failedHandshakes; }

    // The answer the document logic gives; usable from a handler that wraps it.
    static Reply answerDocument(const RecordedRequest& request, const Document& document);
    static QByteArray httpDate(const QDateTime& when);

private:
    struct Impl;
    void serve(int fd, bool ipv6);
    Reply dispatch(const RecordedRequest& request);

    std::unique_ptr<Impl> m_impl;
    quint16 m_port = 0;
    quint16 m_port6 = 0;
    bool m_tls = false;
    std::atomic<bool> m_proxy = false;
    std::atomic<int> m_failedHandshakes = 0;
};

} // namespace glanix::test
