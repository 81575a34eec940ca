#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

// The byte pipe under the HTTP client: a TCP socket, optionally wrapped in TLS. Every wait
// is a poll of at most a fifth of a second, so a terminate request is seen within that
// time however silent the peer is.
namespace glanix {

// How long a whole transfer may last, however the server paces it: counted on the monotonic
// clock from start(), on the thread that runs the transfer. No limit until started.
class TransferDeadline {
public:
    using Clock = std::chrono::steady_clock;

    void start(std::chrono::milliseconds limit);
    void clear();
    // Time the owner spent holding the transfer back itself (the bandwidth limit) is not
    // the server's.
    void postpone(std::chrono::milliseconds by);

    bool isSet() const { return m_end != Clock::time_point::max(); }

    bool passed() const { return isSet() && Clock::now() >= m_end; }

    // Milliseconds left (at least 0); `fallback` when no limit is set.
    int remainingMs(int fallback) const;

    std::chrono::milliseconds limit() const { return m_limit; }

    // Throws ETransferTimeLimit once passed.
    void check() const;

private:
    Clock::time_point m_end = Clock::time_point::max();
    std::chrono::milliseconds m_limit {0};
};

// How long a transfer may wait and who may stop it. Owned by the client's user.
struct WaitPolicy {
    const std::atomic<bool>* terminate = nullptr; // set by the owner to abandon the transfer
    int idleTimeoutMs = 0; // silence allowed on one wait; 0 = no limit
    const TransferDeadline* deadline = nullptr; // the whole transfer's limit; null = none

    // Waits until `fd` is ready for `events` (poll flags). Throws ETerminated, at the deadline
    // ETransferTimeLimit or, after the idle time-out, ESocketError(ETIMEDOUT).
    void wait(int fd, short events) const;
    void checkTerminate() const;
    // The terminate request, then the deadline.
    void check() const;
};

// What a client trusts besides the system's CA store.
struct TlsOptions {
    QByteArray extraCaPem; // PEM certificates to trust as well (tests, private CAs)
    bool useSystemStore = true; // the system's CA certificates
};

// One SSL_CTX per configuration, shared by the connections of one client.
class TlsContext {
public:
    explicit TlsContext(const TlsOptions& options);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* get() const { return m_ctx; }

private:
    SSL_CTX* m_ctx = nullptr;
};

class ByteChannel {
public:
    virtual ~ByteChannel() = default;
    // Bytes received (at least 1), or 0 once the peer closed or the connection failed.
    virtual qint64 receive(char* data, qint64 maximum) = 0;
    // Sends everything; throws ESocketError on failure.
    virtual void send(const char* data, qint64 size) = 0;
    virtual bool isConnected() const = 0;
    // Wraps the connection in TLS for `host`, checking its certificate; throws
    // EProtocolError with a French reason.
    virtual void startTls(const TlsContext& context, const QString& host) = 0;
    virtual int id() const = 0;
};

class SocketChannel final : public ByteChannel {
public:
    // Takes a connected, non-blocking socket.
    SocketChannel(int fd, WaitPolicy policy);
    ~SocketChannel() override;

    qint64 receive(char* data, qint64 maximum) override;
    void send(const char* data, qint64 size) override;
    bool isConnected() const override;
    void startTls(const TlsContext& context, const QString& host) override;

    int id() const override { return m_fd; }

private:
    int m_fd;
    WaitPolicy m_policy;
    SSL* m_ssl = nullptr;
};

// Why a certificate was refused, in French.
QString certificateErrorText(long verifyResult, const QString& host);

} // namespace glanix
