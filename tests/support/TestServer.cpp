#include "tests/support/TestServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace glanix::test {

namespace {

constexpr int kSliceMs = 50;
constexpr int kRequestTimeoutMs = 10000;
constexpr qsizetype kMaxRequestHead = 1 << 20;

QByteArray reasonFor(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray typeForSuffix(const QString& suffix)
{
    const QString s = suffix.toLower();
    if (s == u"html" || s == u"htm")
        return "text/html";
    if (s == u"txt")
        return "text/plain";
    if (s == u"css")
        return "text/css";
    if (s == u"gif")
        return "image/gif";
    if (s == u"png")
        return "image/png";
    if (s == u"jpg" || s == u"jpeg")
        return "image/jpeg";
    if (s == u"ico")
        return "image/x-icon";
    if (s == u"woff2")
        return "font/woff2";
    if (s == u"js")
        return "text/javascript";
    return "application/octet-stream";
}

std::optional<QDateTime> parseDate(const QByteArray& text)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\w{3}, (\d{1,2}) (\w{3}) (\d{4}) (\d{2}):(\d{2}):(\d{2}) GMT$)"));
    const auto m = re.match(QString::fromLatin1(text.trimmed()));
    if (!m.hasMatch())
        return std::nullopt;
    static const QStringList months = {u"Jan"_qs, u"Feb"_qs, u"Mar"_qs, u"Apr"_qs, u"May"_qs, u"Jun"_qs,
                                       u"Jul"_qs, u"Aug"_qs, u"Sep"_qs, u"Oct"_qs, u"Nov"_qs, u"Dec"_qs};
    const int month = static_cast<int>(months.indexOf(m.captured(2))) + 1;
    const QDate date(m.captured(3).toInt(), month, m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (month == 0 || !date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

// One accepted connection, plain or TLS, with waits that give up when the server stops.
class Conn {
public:
    Conn(int fd, const std::atomic<bool>& stopping)
        : m_fd(fd)
        , m_stopping(stopping)
    {
    }

    ~Conn()
    {
        if (m_ssl)
            SSL_free(m_ssl);
        ::close(m_fd);
    }

    int fd() const { return m_fd; }

    bool waitFor(short events, int timeoutMs) const
    {
        for (int waited = 0; !m_stopping && (timeoutMs < 0 || waited < timeoutMs); waited += kSliceMs) {
            pollfd p {m_fd, events, 0};
            if (::poll(&p, 1, kSliceMs) > 0)
                return true;
        }
        return false;
    }

    bool handshake(SSL_CTX* ctx)
    {
        m_ssl = SSL_new(ctx);
        SSL_set_fd(m_ssl, m_fd);
        for (;;) {
            const int r = SSL_accept(m_ssl);
            if (r == 1)
                return true;
            const int err = SSL_get_error(m_ssl, r);
            if ((err != SSL_ERROR_WANT_READ && err != SSL_ERROR_WANT_WRITE)
                || !waitFor(err == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, kRequestTimeoutMs)) {
                ERR_clear_error();
                return false;
            }
        }
    }

    // Bytes read, 0 when the peer closed, -1 on time-out, stop or error.
    qint64 receive(char* data, qint64 max, int timeoutMs)
    {
        for (;;) {
            if (m_ssl) {
                const int n = SSL_read(m_ssl, data, static_cast<int>(max));
                if (n > 0)
                    return n;
                const int err = SSL_get_error(m_ssl, n);
                ERR_clear_error();
                if (err == SSL_ERROR_ZERO_RETURN)
                    return 0;
                if (err != SSL_ERROR_WANT_READ && err != SSL_ERROR_WANT_WRITE)
                    return 0;
                if (!waitFor(err == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, timeoutMs))
                    return -1;
                continue;
            }
            const ssize_t n = ::recv(m_fd, data, static_cast<size_t>(max), 0);
            if (n >= 0)
                return n;
            if (errno != EAGAIN && errno != EINTR)
                return 0;
            if (!waitFor(POLLIN, timeoutMs))
                return -1;
        }
    }

    bool sendAll(const char* data, qint64 size)
    {
        qint64 done = 0;
        while (done < size) {
            if (m_ssl) {
                const int n = SSL_write(m_ssl, data + done, static_cast<int>(size - done));
                if (n > 0) {
                    done += n;
                    continue;
                }
                const int err = SSL_get_error(m_ssl, n);
                ERR_clear_error();
                if ((err != SSL_ERROR_WANT_READ && err != SSL_ERROR_WANT_WRITE)
                    || !waitFor(err == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, kRequestTimeoutMs))
                    return false;
                continue;
            }
            const ssize_t n = ::send(m_fd, data + done, static_cast<size_t>(size - done), MSG_NOSIGNAL);
            if (n > 0)
                done += n;
            else if (n < 0 && (errno == EAGAIN || errno == EINTR))
                waitFor(POLLOUT, kRequestTimeoutMs);
            else
                return false;
        }
        return true;
    }

    // Tells the client the answer is over, then lets it read everything before closing, so
    // that no reset can destroy the end of the answer.
    void finish()
    {
        if (m_ssl)
            SSL_shutdown(m_ssl);
        ::shutdown(m_fd, SHUT_WR);
        char sink[4096];
        for (int i = 0; i < 100; ++i) {
            if (!waitFor(POLLIN, 1000))
                break;
            const ssize_t n = ::recv(m_fd, sink, sizeof sink, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
        }
    }

    // Waits until the client closes the connection (or the server stops).
    void waitForClientToLeave()
    {
        char sink[4096];
        while (waitFor(POLLIN, -1)) {
            const ssize_t n = ::recv(m_fd, sink, sizeof sink, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                return;
        }
    }

private:
    int m_fd;
    const std::atomic<bool>& m_stopping;
    SSL* m_ssl = nullptr;
};

int listenOn(int family, quint16* port)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    sockaddr_storage storage {};
    socklen_t length = 0;
    if (family == AF_INET) {
        auto* a = reinterpret_cast<sockaddr_in*>(&storage);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a->sin_port = htons(*port);
        length = sizeof *a;
    } else {
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
        auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_loopback;
        a->sin6_port = htons(*port);
        length = sizeof *a;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(fd, 128) != 0) {
        ::close(fd);
        return -1;
    }
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    *port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&storage)->sin_port
                                    : reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
    return fd;
}

// 127.0.0.1 and ::1 on one port number, so that "localhost:PORT" reaches this server
// whichever address the resolver gives first.
void listenOnBoth(int* fd4, quint16* port4, int* fd6, quint16* port6)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        *port4 = 0;
        *fd4 = listenOn(AF_INET, port4);
        if (*fd4 < 0)
            return;
        *port6 = *port4;
        *fd6 = listenOn(AF_INET6, port6);
        if (*fd6 >= 0)
            return;
        if (errno != EADDRINUSE) {
            *port6 = 0; // no IPv6 loopback here
            return;
        }
        ::close(*fd4);
    }
    *port6 = 0;
}

// Connects to a loopback address only: the proxy never reaches the outside.
int connectLoopback(const QByteArray& hostPort)
{
    const qsizetype colon = hostPort.lastIndexOf(':');
    if (colon <= 0)
        return -1;
    QByteArray host = hostPort.left(colon);
    const int port = hostPort.mid(colon + 1).toInt();
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    if (host == "localhost")
        host = "127.0.0.1";
    sockaddr_storage storage {};
    socklen_t length = 0;
    int family = AF_INET;
    if (host == "127.0.0.1") {
        auto* a = reinterpret_cast<sockaddr_in*>(&storage);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a->sin_port = htons(static_cast<quint16>(port));
        length = sizeof *a;
    } else if (host == "::1") {
        family = AF_INET6;
        auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_loopback;
        a->sin6_port = htons(static_cast<quint16>(port));
        length = sizeof *a;
    } else {
        return -1;
    }
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool parseHead(const QByteArray& head, RecordedRequest& r)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& l : lines) {
        if (l.endsWith('\r'))
            l.chop(1);
    }
    const QList<QByteArray> first = lines.value(0).split(' ');
    if (first.size() != 3)
        return false;
    r.method = first[0];
    r.target = first[1];
    r.version = first[2];
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            r.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    return true;
}

} // namespace

QByteArray RecordedRequest::header(const QByteArray& name) const
{
    for (const auto& h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray& name) const
{
    for (const auto& h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray RecordedRequest::path() const
{
    const qsizetype q = target.indexOf('?');
    return q >= 0 ? target.left(q) : target;
}

Reply Reply::text(int status, const QByteArray& body, const QByteArray& contentType)
{
    Reply r;
    r.status = status;
    r.body = body;
    r.headers.append({"Content-Type", contentType});
    return r;
}

Reply Reply::redirect(int status, const QByteArray& location)
{
    Reply r;
    r.status = status;
    r.headers.append({"Location", location});
    return r;
}

Reply Reply::raw(const QByteArray& bytes)
{
    Reply r;
    r.rawBytes = bytes;
    r.verbatim = true;
    return r;
}

Reply& Reply::header(const QByteArray& name, const QByteArray& value)
{
    headers.append({name, value});
    return *this;
}

struct TestServer::Impl {
    int listen4 = -1;
    int listen6 = -1;
    int wake[2] = {-1, -1};
    std::atomic<bool> stopping = false;
    std::thread acceptor;

    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    std::list<Worker> workers;
    SSL_CTX* ssl = nullptr;

    mutable std::mutex mutex;
    std::map<QByteArray, Handler> handlers;
    std::map<QByteArray, Document> documents;
    QString folder;
    QList<RecordedRequest> requests;
};

TestServer::TestServer(TestServerOptions options)
    : m_impl(std::make_unique<Impl>())
    , m_tls(options.tls)
    , m_proxy(options.proxy)
{
    if (m_tls) {
        m_impl->ssl = SSL_CTX_new(TLS_server_method());
        BIO* certBio = BIO_new_mem_buf(options.certificate.certificate.constData(),
                                       static_cast<int>(options.certificate.certificate.size()));
        X509* cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
        BIO* keyBio = BIO_new_mem_buf(options.certificate.key.constData(),
                                      static_cast<int>(options.certificate.key.size()));
        EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
        if (!cert || !key || SSL_CTX_use_certificate(m_impl->ssl, cert) != 1
            || SSL_CTX_use_PrivateKey(m_impl->ssl, key) != 1)
            throw std::runtime_error("TestServer: unusable certificate");
        X509_free(cert);
        EVP_PKEY_free(key);
        BIO_free(certBio);
        BIO_free(keyBio);
    }
    listenOnBoth(&m_impl->listen4, &m_port, &m_impl->listen6, &m_port6);
    if (m_impl->listen4 < 0)
        throw std::runtime_error("TestServer: cannot listen on 127.0.0.1");
    if (::pipe2(m_impl->wake, O_CLOEXEC) != 0)
        throw std::runtime_error("TestServer: no pipe");

    m_impl->acceptor = std::thread([this] {
        Impl& d = *m_impl;
        while (!d.stopping) {
            pollfd fds[3] = {{d.listen4, POLLIN, 0}, {d.listen6, POLLIN, 0}, {d.wake[0], POLLIN, 0}};
            if (::poll(fds, 3, 1000) <= 0)
                continue;
            for (int i = 0; i < 2; ++i) {
                if (!(fds[i].revents & POLLIN))
                    continue;
                const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0)
                    continue;
                auto done = std::make_shared<std::atomic<bool>>(false);
                const bool ipv6 = i == 1;
                d.workers.push_back({std::thread([this, fd, ipv6, done] {
                                         serve(fd, ipv6);
                                         *done = true;
                                     }),
                                     done});
            }
            for (auto it = d.workers.begin(); it != d.workers.end();) {
                if (*it->done) {
                    it->thread.join();
                    it = d.workers.erase(it);
                } else {
                    ++it;
                }
            }
        }
    });
}

TestServer::~TestServer()
{
    m_impl->stopping = true;
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(m_impl->wake[1], &byte, 1);
    m_impl->acceptor.join();
    for (auto& w : m_impl->workers)
        w.thread.join();
    for (int fd : {m_impl->listen4, m_impl->listen6, m_impl->wake[0], m_impl->wake[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
    SSL_CTX_free(m_impl->ssl);
}

QString TestServer::url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_tls ? u"https" : u"http").arg(m_port).arg(path);
}

QString TestServer::url6(const QString& path) const
{
    return QStringLiteral("%1://[::1]:%2%3").arg(m_tls ? u"https" : u"http").arg(m_port6).arg(path);
}

QString TestServer::authority() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void TestServer::on(const QByteArray& path, Handler handler)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->handlers[path] = std::move(handler);
}

void TestServer::setDocument(const QByteArray& path, Document document)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->documents[path] = std::move(document);
}

void TestServer::removeDocument(const QByteArray& path)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->documents.erase(path);
}

void TestServer::serveFolder(const QString& folder)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->folder = QFileInfo(folder).canonicalFilePath();
}

QList<RecordedRequest> TestServer::requests() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

RecordedRequest TestServer::lastRequest() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests.isEmpty() ? RecordedRequest() : m_impl->requests.last();
}

int TestServer::count(const QByteArray& method, const QByteArray& path) const
{
    std::lock_guard lock(m_impl->mutex);
    int n = 0;
    for (const RecordedRequest& r : m_impl->requests)
        n += r.method == method && (path.isEmpty() || r.path() == path);
    return n;
}

void TestServer::clearRequests()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->requests.clear();
}

QByteArray TestServer::httpDate(const QDateTime& when)
{
    return QLocale::c().toString(when.toUTC(), u"ddd, dd MMM yyyy hh:mm:ss 'GMT'").toLatin1();
}

Reply TestServer::answerDocument(const RecordedRequest& request, const Document& document)
{
    if (request.method != "GET" && request.method != "HEAD") {
        Reply r = Reply::text(405, "method not allowed\n", "text/plain");
        return r.header("Allow", "GET, HEAD");
    }
    const QByteArray quotedTag = document.etag.isEmpty() ? QByteArray() : '"' + document.etag + '"';
    const qint64 modified = document.lastModified.isValid() ? document.lastModified.toSecsSinceEpoch() : -1;
    Reply r;
    r.headers.append({"Content-Type", document.contentType});
    if (modified >= 0)
        r.headers.append({"Last-Modified", httpDate(document.lastModified)});
    if (!quotedTag.isEmpty())
        r.headers.append({"ETag", quotedTag});

    const auto since = parseDate(request.header("If-Modified-Since"));
    if (since && modified >= 0 && modified <= since->toSecsSinceEpoch()) {
        r.status = 304;
        r.addContentLength = false;
        return r;
    }
    r.body = document.body;
    const QByteArray range = request.header("Range");
    if (range.startsWith("bytes=") && !range.contains(',')) {
        const QByteArray ifRange = request.header("If-Range");
        bool honour = ifRange.isEmpty();
        if (!honour && ifRange.startsWith('"'))
            honour = ifRange == quotedTag;
        else if (!honour)
            honour
                = modified >= 0 && parseDate(ifRange) && parseDate(ifRange)->toSecsSinceEpoch() == modified;
        // "bytes=A-B" as usual, and "bytes=A-B/C" as some clients write it.
        QByteArray spec = range.mid(6);
        if (spec.contains('/'))
            spec.truncate(spec.indexOf('/'));
        const qsizetype dash = spec.indexOf('-');
        bool okStart = false;
        const qint64 size = document.body.size();
        const qint64 start = spec.left(dash).toLongLong(&okStart);
        bool okEnd = false;
        qint64 end = spec.mid(dash + 1).toLongLong(&okEnd);
        if (!okEnd)
            end = size - 1;
        if (honour && dash > 0 && okStart) {
            if (start >= size || end < start) {
                r.status = 416;
                r.body.clear();
                r.headers.append({"Content-Range", "bytes */" + QByteArray::number(size)});
                return r;
            }
            end = std::min(end, size - 1);
            r.status = 206;
            r.body = document.body.mid(start, end - start + 1);
            r.headers.append({"Content-Range",
                              "bytes " + QByteArray::number(start) + '-' + QByteArray::number(end) + '/'
                                  + QByteArray::number(size)});
        }
    }
    return r;
}

Reply TestServer::dispatch(const RecordedRequest& request)
{
    Handler handler;
    std::optional<Document> document;
    QString folder;
    {
        std::lock_guard lock(m_impl->mutex);
        const QByteArray path = request.path();
        if (auto it = m_impl->handlers.find(path); it != m_impl->handlers.end())
            handler = it->second;
        else if (auto doc = m_impl->documents.find(path); doc != m_impl->documents.end())
            document = doc->second;
        folder = m_impl->folder;
    }
    if (handler)
        return handler(request);
    if (document)
        return answerDocument(request, *document);
    if (!folder.isEmpty()) {
        const QString relative = QString::fromUtf8(QByteArray::fromPercentEncoding(request.path()));
        const QStringList segments = relative.split(u'/', Qt::SkipEmptyParts);
        if (!segments.contains(u".."_qs)) {
            QFileInfo info(folder + u'/' + segments.join(u'/'));
            if (info.isDir())
                info.setFile(info.filePath() + u"/index.html"_qs);
            const QString canonical = info.canonicalFilePath();
            QFile file(canonical);
            if (!canonical.isEmpty() && canonical.startsWith(folder + u'/') && info.isFile()
                && file.open(QIODevice::ReadOnly)) {
                Document d;
                d.body = file.readAll();
                d.contentType = typeForSuffix(info.suffix());
                d.lastModified = info.lastModified().toUTC();
                d.etag = QByteArray::number(d.body.size(), 16) + '-'
                    + QByteArray::number(info.lastModified().toMSecsSinceEpoch(), 16);
                return answerDocument(request, d);
            }
        }
    }
    return Reply::text(404, "not found\n", "text/plain");
}

void TestServer::serve(int fd, bool ipv6)
{
    Conn conn(fd, m_impl->stopping);
    if (m_tls && !conn.handshake(m_impl->ssl)) {
        ++m_failedHandshakes;
        return;
    }
    QByteArray received;
    qsizetype headEnd = -1;
    qsizetype separator = 0;
    char buffer[16384];
    while (headEnd < 0) {
        const qint64 n = conn.receive(buffer, sizeof buffer, kRequestTimeoutMs);
        if (n <= 0)
            return;
        received.append(buffer, n);
        if (received.startsWith('\x16'))
            break; // a TLS hello sent to a plain server: answered 400 like real servers do
        if ((headEnd = received.indexOf("\r\n\r\n")) >= 0)
            separator = 4;
        else if ((headEnd = received.indexOf("\n\n")) >= 0)
            separator = 2;
        if (received.size() > kMaxRequestHead)
            return;
    }
    RecordedRequest request;
    request.tls = m_tls;
    request.ipv6 = ipv6;
    const bool parsed = headEnd >= 0 && parseHead(received.left(headEnd), request);
    const qint64 length = request.header("Content-Length").toLongLong();
    while (parsed && received.size() < headEnd + separator + length) {
        const qint64 n = conn.receive(buffer, sizeof buffer, kRequestTimeoutMs);
        if (n <= 0)
            break;
        received.append(buffer, n);
    }
    request.raw = received;
    request.body = received.mid(headEnd + separator);
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->requests.append(request);
    }
    if (!parsed) {
        const QByteArray bad = "HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
        conn.sendAll(bad.constData(), bad.size());
        conn.finish();
        return;
    }

    if (m_proxy && (request.method == "CONNECT" || request.target.startsWith("http://"))) {
        QByteArray hostPort = request.target;
        QByteArray forward;
        if (request.method != "CONNECT") {
            const QByteArray rest = request.target.mid(7);
            const qsizetype slash = rest.indexOf('/');
            hostPort = slash >= 0 ? rest.left(slash) : rest;
            if (!hostPort.contains(':') || hostPort.endsWith(']'))
                hostPort += ":80";
            // A proxy sends the origin server the path alone.
            forward = request.method + ' ' + (slash >= 0 ? rest.mid(slash) : QByteArray("/")) + ' '
                + request.version + "\r\n";
            for (const auto& h : request.headers) {
                if (!h.first.startsWith("Proxy-"))
                    forward += h.first + ": " + h.second + "\r\n";
            }
            forward += "\r\n" + request.body;
        }
        const int target = connectLoopback(hostPort);
        if (target < 0) {
            const QByteArray bad = "HTTP/1.0 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n";
            conn.sendAll(bad.constData(), bad.size());
            conn.finish();
            return;
        }
        Conn upstream(target, m_impl->stopping);
        if (request.method == "CONNECT") {
            const QByteArray ok = "HTTP/1.0 200 Connection established\r\n\r\n";
            conn.sendAll(ok.constData(), ok.size());
        } else {
            upstream.sendAll(forward.constData(), forward.size());
        }
        // Relay both ways until one side closes.
        while (!m_impl->stopping) {
            pollfd fds[2] = {{conn.fd(), POLLIN, 0}, {upstream.fd(), POLLIN, 0}};
            if (::poll(fds, 2, kSliceMs) <= 0)
                continue;
            bool closed = false;
            for (int i = 0; i < 2 && !closed; ++i) {
                if (!fds[i].revents)
                    continue;
                const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    closed = !(n < 0 && (errno == EAGAIN || errno == EINTR));
                    continue;
                }
                Conn& to = i == 0 ? upstream : conn;
                closed = !to.sendAll(buffer, n);
            }
            if (closed)
                break;
        }
        conn.finish();
        return;
    }

    Reply reply;
    try {
        reply = dispatch(request);
    } catch (const std::exception& e) {
        reply = Reply::text(500, QByteArray("handler failed: ") + e.what(), "text/plain");
    }
    QByteArray bytes = reply.rawBytes;
    if (!reply.verbatim) {
        bytes = "HTTP/1.0 " + QByteArray::number(reply.status) + ' '
            + (reply.reason.isEmpty() ? reasonFor(reply.status) : reply.reason) + "\r\n";
        bool hasDate = false;
        bool hasLength = false;
        for (const auto& h : reply.headers) {
            hasDate = hasDate || h.first.compare("Date", Qt::CaseInsensitive) == 0;
            hasLength = hasLength || h.first.compare("Content-Length", Qt::CaseInsensitive) == 0;
        }
        if (!hasDate)
            bytes += "Date: " + httpDate(QDateTime::currentDateTimeUtc()) + "\r\n";
        for (const auto& h : reply.headers)
            bytes += h.first + ": " + h.second + "\r\n";
        if (reply.addContentLength && !hasLength)
            bytes += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        bytes += "\r\n";
        if (request.method != "HEAD")
            bytes += reply.body;
    }
    qsizetype limit = bytes.size();
    if (reply.closeAfter >= 0)
        limit = std::min(limit, reply.closeAfter);
    if (reply.stallAfter >= 0)
        limit = std::min(limit, reply.stallAfter);
    const qsizetype piece = reply.chunkSize > 0 ? reply.chunkSize : limit;
    const qsizetype first = std::clamp<qsizetype>(reply.chunkFrom, 0, limit);
    if (first > 0 && !conn.sendAll(bytes.constData(), first))
        return;
    for (qsizetype sent = first; sent < limit && !m_impl->stopping; sent += piece) {
        if (sent > 0 && reply.chunkDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.chunkDelayMs));
        if (!conn.sendAll(bytes.constData() + sent, std::min(piece, limit - sent)))
            return;
    }
    if (reply.stallAfter >= 0 && reply.stallAfter < bytes.size() && reply.closeAfter < 0) {
        conn.waitForClientToLeave();
        return;
    }
    if (reply.closeAfter >= 0)
        return; // cut without a word
    conn.finish();
}

} // namespace glanix::test
