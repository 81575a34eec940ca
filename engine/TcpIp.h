#pragma once

#include "engine/SocketChannel.h"
#include "engine/TcpIpErrors.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

// The socket layer of the HTTP client: one blocking connection at a time to `Hostname` and
// a port, over IPv4 or IPv6, in clear or TLS, with the trace lines a download records.
// Owned and driven by one worker thread; its callbacks run on that thread. The worker stops
// it through the terminate flag it lends (setTerminateFlag) and bounds it with the deadline
// (deadline().start()), both checked at every block and at least five times a second while
// the client waits.
namespace glanix {

class T_TcpIp;

// Level 0: a line sent; 1: a header line received; 2: a socket event.
using TTraceProc = std::function<void(T_TcpIp& client, const QString& line, int level)>;

class T_TcpIp {
public:
    static constexpr qsizetype kBufferSize = 0x7F00;
    static constexpr qsizetype kMaxLineLength = 8192;

    T_TcpIp();
    virtual ~T_TcpIp();
    T_TcpIp(const T_TcpIp&) = delete;
    T_TcpIp& operator=(const T_TcpIp&) = delete;

    QString Hostname;
    TTraceProc OnTrace;
    QByteArray Stream;
    QByteArray Buffer;
    bool LoggedIn = false;

    int port() const { return m_port; }

    void setPort(int port) { m_port = port; }

    // The address connected to last, as text ("127.0.0.1", "::1").
    const QString& address() const { return m_address; }

    // Whether the next Login negotiates TLS (https).
    bool secure() const { return m_secure; }

    void setSecure(bool on) { m_secure = on; }

    void setTerminateFlag(const std::atomic<bool>* flag) { m_policy.terminate = flag; }

    // Longest silence of the server on one wait; 0 (the default) waits for the terminate flag.
    void setIdleTimeout(int milliseconds) { m_policy.idleTimeoutMs = milliseconds; }

    const WaitPolicy& waitPolicy() const { return m_policy; }

    // The limit of everything this client does from start() on: connections, requests,
    // headers and bodies, however many.
    TransferDeadline& deadline() { return m_deadline; }

    void setTlsOptions(TlsOptions options);

    const TlsOptions& tlsOptions() const { return m_tlsOptions; }

    // Opens the connection to Hostname:port, trying each address the name resolves to.
    void Login();
    // Queues the line and CR LF; it leaves with the next data or before the next read.
    void SendCommand(const QString& line);
    // Sends `count` bytes; returns the number sent.
    qint64 SendData(const char* data, qint64 count);
    // At most `maximum` bytes; 0 once the connection is closed.
    qint64 ReadData(char* buffer, qint64 maximum);
    // One line without its CR and LF; false, with `line` untouched, when the connection ends
    // first. Throws EProtocolError past kMaxLineLength bytes.
    bool ReadLine(QByteArray& line);
    bool Eof() const;
    void Logout();

    // Test seam: the next Login uses this channel instead of a socket.
    void attachChannelForTesting(std::unique_ptr<ByteChannel> channel) { m_testChannel = std::move(channel); }

protected:
    void trace(const QString& line, int level);
    // Negotiates TLS over the open connection for `host`.
    void startTls(const QString& host);
    void flushCommands();

    ByteChannel* channel() const { return m_channel.get(); }

private:
    int connectTo(const QByteArray& host);

    std::unique_ptr<ByteChannel> m_channel;
    std::unique_ptr<ByteChannel> m_testChannel;
    int m_port = 0;
    QString m_address;
    bool m_closed = false;
    bool m_secure = false;
    TransferDeadline m_deadline;
    WaitPolicy m_policy;
    TlsOptions m_tlsOptions;
    std::unique_ptr<TlsContext> m_tls;
    QByteArray m_pending; // commands not yet sent
    QByteArray m_readAhead; // received, not yet consumed
    qsizetype m_readPos = 0;
};

} // namespace glanix
