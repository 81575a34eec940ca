#pragma once

#include "config/DateTime.h"
#include "engine/HttpText.h"
#include "engine/TcpIp.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The HTTP/1.0 client of every download: one connection per request, a HEAD first, then a
// GET when the document changed (GetIfModified), or a POST of a form. It reads the answer's
// headers into the fields below and its body into Stream. https goes through OpenSSL with
// the system's CA store, through a proxy by CONNECT. The download thread and the update
// check each own one client per transfer and run it on their own thread.
//
//     T_HTTP http;
//     http.URL = "https://example.org/page.html";
//     http.Agent = "Glanix/3.0";
//     http.OnTrace = [](T_TcpIp&, const QString& line, int level) { ... };
//     http.setTerminateFlag(&stopRequested);       // the worker's std::atomic<bool>
//     if (http.GetIfModified(storedETag, storedSize, false, storedDate))
//         save(http.Stream);                        // see http.StatusCode first
namespace glanix {

class T_HTTP;

enum class TransferMode { Download };
using TDataTransferProc = std::function<void(T_HTTP& client, TransferMode mode, qint64 count)>;

class T_HTTP : public T_TcpIp {
public:
    static constexpr int kMaxHeaderLines = 200;
    static constexpr qint64 kDefaultMaxBodySize = qint64(512) << 20;

    // `clock` gives "now" for a date header that does not parse.
    explicit T_HTTP(std::shared_ptr<const Clock> clock = {});
    ~T_HTTP() override;

    QString URL;
    QString Path;
    QString Proxy;
    TDateTime ModifiedSince = 0;
    QString Reference;
    QString Agent;
    bool NoCache = false;
    int StatusCode = 0;
    QString StatusText;
    qint64 ContentLength = 0;
    TDateTime LastModified = 0;
    QString Location;
    QString ETag;
    QString ContentType;
    QStringList Authenticate;
    QString ContentTypePost = QStringLiteral("application/x-www-form-urlencoded");
    TDataTransferProc OnDataReceived;
    TDateTime ServerDate = 0;
    QString Range;
    QString ContentRange;

    // Largest body kept; a bigger one ends the request with a protocol error.
    void setMaxBodySize(qint64 bytes) { m_maxBodySize = bytes; }

    qint64 maxBodySize() const { return m_maxBodySize; }

    // HEAD, then a GET when the document changed since `storedDate` (or is being resumed).
    // True when a GET was made; failures become StatusCode -2, -3 or -4 with StatusText.
    bool GetIfModified(const QString& storedETag, qint64 storedSize, bool headOnly, TDateTime storedDate);
    // The two decisions GetIfModified takes from the HEAD's answer (the fields above): whether
    // its status lets a GET follow, and whether the document changed since the stored copy.
    bool headAnswerAllowsGet() const;
    bool changedSince(const QString& storedETag, qint64 storedSize, TDateTime storedDate) const;
    // A failure of the client as StatusCode (-2 protocol, -3 socket, -5 time limit, -4 any
    // other) and StatusText.
    void setFailure(const ETcpIpError& error);
    // HEAD, then a GET whatever the answer. Failures are thrown.
    void Action();
    // Sends Stream as the body of a POST to URL; Stream then holds the answer.
    void Post();
    void Head();
    void Get();

    // Sets Hostname, port and Path (and the Host header) from URL and Proxy.
    void setTarget();
    void SendRequest(const QString& method, const QString& version = QStringLiteral("1.0"));
    void ReadResponseHeaders();

private:
    void openConnection();
    void openTunnel();
    void applyLocation(const QString& value);
    void setContentLength(const QString& value);
    void checkBodyEncoding() const;
    void readBody(bool reportProgress);
    void closeQuietly();

    std::shared_ptr<const Clock> m_clock;
    qint64 m_maxBodySize = kDefaultMaxBodySize;
    QString m_scheme; // "http" or "https" of the target
    QString m_hostHeader; // target host, with its port when not the scheme's default
    QString m_tunnel; // "host:port" to reach through the proxy's CONNECT
    QString m_tlsHost; // name the server's certificate must carry
    bool m_statusSeen = false;
    bool m_lengthSeen = false;
    QString m_transferEncoding;
    QString m_contentEncoding;
};

} // namespace glanix
