#include "engine/SocketChannel.h"

#include "engine/TcpIpErrors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <limits>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace glanix {

namespace {

constexpr int kPollSliceMs = 200;

QString tr(const char* text)
{
    return QCoreApplication::translate("T_HTTP", text);
}

QString lastSslError()
{
    const unsigned long e = ERR_get_error();
    ERR_clear_error();
    if (e == 0)
        return tr("connexion interrompue");
    const char* reason = ERR_reason_error_string(e);
    return QString::fromLatin1(reason ? reason : "?");
}

bool isAddressLiteral(const QByteArray& host)
{
    in_addr a4 {};
    in6_addr a6 {};
    return inet_pton(AF_INET, host.constData(), &a4) == 1 || inet_pton(AF_INET6, host.constData(), &a6) == 1;
}

// OpenSSL's own socket BIO writes with write(), which raises SIGPIPE on a connection the
// server has reset and would end the whole program; this one sends with MSG_NOSIGNAL.
int bioWrite(BIO* bio, const char* data, int length)
{
    const int fd = static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
    BIO_clear_retry_flags(bio);
    const ssize_t n = ::send(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_write(bio);
    return static_cast<int>(n);
}

int bioRead(BIO* bio, char* data, int length)
{
    const int fd = static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
    BIO_clear_retry_flags(bio);
    const ssize_t n = ::recv(fd, data, static_cast<size_t>(length), 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_read(bio);
    return static_cast<int>(n);
}

long bioControl(BIO*, int command, long, void*)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int bioCreate(BIO* bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

const BIO_METHOD* noSignalSocketMethod()
{
    // Built once and never changed afterwards, so every thread may share it.
    static const BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "glanix socket");
        BIO_meth_set_write(m, bioWrite);
        BIO_meth_set_read(m, bioRead);
        BIO_meth_set_ctrl(m, bioControl);
        BIO_meth_set_create(m, bioCreate);
        return m;
    }();
    return method;
}

} // namespace

void TransferDeadline::start(std::chrono::milliseconds limit)
{
    m_limit = limit;
    m_end = Clock::now() + limit;
}

void TransferDeadline::clear()
{
    m_end = Clock::time_point::max();
    m_limit = {};
}

void TransferDeadline::postpone(std::chrono::milliseconds by)
{
    if (isSet() && by.count() > 0)
        m_end += by;
}

int TransferDeadline::remainingMs(int fallback) const
{
    if (!isSet())
        return fallback;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_end - Clock::now()).count();
    return static_cast<int>(std::clamp<qint64>(left, 0, std::numeric_limits<int>::max()));
}

void TransferDeadline::check() const
{
    if (passed()) {
        const qint64 seconds = (m_limit.count() + 999) / 1000;
        throw ETransferTimeLimit(tr("Transfert interrompu : durée maximale de %1 s dépassée").arg(seconds));
    }
}

void WaitPolicy::checkTerminate() const
{
    if (terminate && terminate->load(std::memory_order_relaxed))
        throw ETerminated();
}

void WaitPolicy::check() const
{
    checkTerminate();
    if (deadline)
        deadline->check();
}

void WaitPolicy::wait(int fd, short events) const
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        check();
        pollfd p {fd, events, 0};
        const int slice
            = deadline ? std::min(kPollSliceMs, deadline->remainingMs(kPollSliceMs)) : kPollSliceMs;
        const int r = ::poll(&p, 1, slice);
        if (r > 0)
            return;
        if (r < 0 && errno != EINTR)
            throw ESocketError(errno);
        if (idleTimeoutMs > 0 && waited.elapsed() >= idleTimeoutMs)
            throw ESocketError(ETIMEDOUT,
                               tr("Pas de réponse du serveur depuis %1 s").arg((idleTimeoutMs + 999) / 1000));
    }
}

TlsContext::TlsContext(const TlsOptions& options)
    : m_ctx(SSL_CTX_new(TLS_client_method()))
{
    if (!m_ctx)
        throw EProtocolError(tr("TLS indisponible : %1").arg(lastSslError()));
    SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
    SSL_CTX_set_verify(m_ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_mode(m_ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (options.useSystemStore)
        SSL_CTX_set_default_verify_paths(m_ctx);
    if (!options.extraCaPem.isEmpty()) {
        BIO* bio
            = BIO_new_mem_buf(options.extraCaPem.constData(), static_cast<int>(options.extraCaPem.size()));
        X509_STORE* store = SSL_CTX_get_cert_store(m_ctx);
        while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
            X509_STORE_add_cert(store, cert);
            X509_free(cert);
        }
        BIO_free(bio);
        ERR_clear_error(); // the end of the PEM list reads as an error
    }
}

TlsContext::~TlsContext()
{
    SSL_CTX_free(m_ctx);
}

SocketChannel::SocketChannel(int fd, WaitPolicy policy)
    : m_fd(fd)
    , m_policy(policy)
{
}

SocketChannel::~SocketChannel()
{
    if (m_ssl) {
        SSL_shutdown(m_ssl); // a courtesy close_notify; never waited for
        SSL_free(m_ssl);
    }
    ::close(m_fd);
}

qint64 SocketChannel::receive(char* data, qint64 maximum)
{
    const int max = static_cast<int>(std::min<qint64>(maximum, 1 << 30));
    for (;;) {
        if (m_ssl) {
            const int n = SSL_read(m_ssl, data, max);
            if (n > 0)
                return n;
            const int err = SSL_get_error(m_ssl, n);
            if (err == SSL_ERROR_WANT_READ) {
                m_policy.wait(m_fd, POLLIN);
                continue;
            }
            if (err == SSL_ERROR_WANT_WRITE) {
                m_policy.wait(m_fd, POLLOUT);
                continue;
            }
            ERR_clear_error();
            return 0; // close_notify, a cut connection or a TLS error all end the data
        }
        const ssize_t n = ::recv(m_fd, data, static_cast<size_t>(max), 0);
        if (n > 0)
            return n;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            m_policy.wait(m_fd, POLLIN);
            continue;
        }
        return 0;
    }
}

void SocketChannel::send(const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const int chunk = static_cast<int>(std::min<qint64>(size - done, 1 << 30));
        if (m_ssl) {
            const int n = SSL_write(m_ssl, data + done, chunk);
            if (n > 0) {
                done += n;
                continue;
            }
            const int err = SSL_get_error(m_ssl, n);
            if (err == SSL_ERROR_WANT_WRITE || err == SSL_ERROR_WANT_READ) {
                m_policy.wait(m_fd, err == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN);
                continue;
            }
            ERR_clear_error();
            throw ESocketError(errno ? errno : EPIPE);
        }
        const ssize_t n = ::send(m_fd, data + done, static_cast<size_t>(chunk), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            m_policy.wait(m_fd, POLLOUT);
        } else {
            throw ESocketError(n < 0 ? errno : EPIPE);
        }
    }
}

bool SocketChannel::isConnected() const
{
    sockaddr_storage peer {};
    socklen_t len = sizeof peer;
    return ::getpeername(m_fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0;
}

void SocketChannel::startTls(const TlsContext& context, const QString& host)
{
    m_ssl = SSL_new(context.get());
    if (!m_ssl)
        throw EProtocolError(tr("Échec de la négociation TLS avec %1 : %2").arg(host, lastSslError()));
    BIO* bio = BIO_new(noSignalSocketMethod());
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<intptr_t>(m_fd)));
    SSL_set_bio(m_ssl, bio, bio);
    const QByteArray name = host.toLatin1();
    X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    // An address is checked against the certificate's IP entries, a name against its DNS
    // names; neither check can be skipped by an empty name, which never gets this far.
    if (isAddressLiteral(name)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, name.constData());
    } else {
        SSL_set_tlsext_host_name(m_ssl, name.constData());
        SSL_set1_host(m_ssl, name.constData());
    }
    for (;;) {
        ERR_clear_error();
        const int r = SSL_connect(m_ssl);
        if (r == 1)
            return;
        const int err = SSL_get_error(m_ssl, r);
        if (err == SSL_ERROR_WANT_READ) {
            m_policy.wait(m_fd, POLLIN);
        } else if (err == SSL_ERROR_WANT_WRITE) {
            m_policy.wait(m_fd, POLLOUT);
        } else {
            const long verify = SSL_get_verify_result(m_ssl);
            if (verify != X509_V_OK)
                throw EProtocolError(certificateErrorText(verify, host));
            throw EProtocolError(tr("Échec de la négociation TLS avec %1 : %2").arg(host, lastSslError()));
        }
    }
}

QString certificateErrorText(long verifyResult, const QString& host)
{
    QString reason;
    switch (verifyResult) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        reason = tr("certificat auto-signé");
        break;
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        reason = tr("autorité de certification auto-signée non reconnue");
        break;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        reason = tr("autorité de certification inconnue");
        break;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        reason = tr("certificat expiré");
        break;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        reason = tr("certificat pas encore valide");
        break;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        reason = tr("le certificat est celui d'un autre serveur");
        break;
    case X509_V_ERR_CERT_REVOKED:
        reason = tr("certificat révoqué");
        break;
    default:
        reason = tr("certificat invalide (%1)")
                     .arg(QString::fromLatin1(X509_verify_cert_error_string(verifyResult)));
    }
    return tr("Certificat refusé pour %1 : %2").arg(host, reason);
}

} // namespace glanix
