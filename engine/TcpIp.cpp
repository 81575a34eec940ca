#include "engine/TcpIp.h"

#include "engine/HttpText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("T_HTTP", text);
}

struct Address {
    sockaddr_storage storage {};
    socklen_t length = 0;
    int family = 0;
    QString text;
};

// getaddrinfo cannot be interrupted, so a lookup that may have to be abandoned runs on a
// thread of its own and is left to finish alone when its owner gives up.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int result = 0;
    addrinfo* list = nullptr;

    ~Lookup()
    {
        if (list)
            freeaddrinfo(list);
    }
};

std::vector<Address> toAddresses(const addrinfo* list)
{
    std::vector<Address> out;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET && a->ai_family != AF_INET6)
            continue;
        Address address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        address.family = a->ai_family;
        char text[INET6_ADDRSTRLEN] = {};
        const void* raw = a->ai_family == AF_INET
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr);
        inet_ntop(a->ai_family, raw, text, sizeof text);
        address.text = QString::fromLatin1(text);
        out.push_back(address);
    }
    return out;
}

std::vector<Address> resolve(const QByteArray& host, int port, const WaitPolicy& policy)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    const QByteArray service = QByteArray::number(port);

    in_addr a4 {};
    in6_addr a6 {};
    const bool numeric
        = inet_pton(AF_INET, host.constData(), &a4) == 1 || inet_pton(AF_INET6, host.constData(), &a6) == 1;
    if (numeric
        || (!policy.terminate && policy.idleTimeoutMs <= 0
            && !(policy.deadline && policy.deadline->isSet()))) {
        if (numeric)
            hints.ai_flags |= AI_NUMERICHOST;
        addrinfo* list = nullptr;
        if (getaddrinfo(host.constData(), service.constData(), &hints, &list) != 0)
            return {};
        std::vector<Address> out = toAddresses(list);
        freeaddrinfo(list);
        return out;
    }

    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service, hints] {
        addrinfo* list = nullptr;
        const int r = getaddrinfo(host.constData(), service.constData(), &hints, &list);
        std::lock_guard lock(lookup->mutex);
        lookup->result = r;
        lookup->list = list;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    QElapsedTimer waited;
    waited.start();
    std::unique_lock lock(lookup->mutex);
    while (!lookup->finished) {
        lookup->done.wait_for(lock, std::chrono::milliseconds(200));
        if (lookup->finished)
            break;
        lock.unlock();
        policy.check();
        if (policy.idleTimeoutMs > 0 && waited.elapsed() >= policy.idleTimeoutMs)
            return {};
        lock.lock();
    }
    return lookup->result == 0 ? toAddresses(lookup->list) : std::vector<Address> {};
}

} // namespace

T_TcpIp::T_TcpIp()
    : Buffer(kBufferSize, '\0')
{
    m_policy.deadline = &m_deadline;
}

T_TcpIp::~T_TcpIp() = default;

void T_TcpIp::setTlsOptions(TlsOptions options)
{
    m_tlsOptions = std::move(options);
    m_tls.reset();
}

void T_TcpIp::trace(const QString& line, int level)
{
    if (OnTrace)
        OnTrace(*this, line, level);
}

int T_TcpIp::connectTo(const QByteArray& host)
{
    const std::vector<Address> addresses = resolve(host, m_port, m_policy);
    if (addresses.empty())
        throw ETcpIpError(tr("Serveur %1 introuvable").arg(printableText(Hostname)));
    int lastError = ECONNREFUSED;
    for (const Address& a : addresses) {
        m_address = a.text;
        const int fd = ::socket(a.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        int error = fd < 0 ? errno : 0;
        if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&a.storage), a.length) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                try {
                    m_policy.wait(fd, POLLOUT);
                } catch (...) {
                    ::close(fd);
                    throw;
                }
                socklen_t len = sizeof error;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                    error = errno;
            }
        }
        if (error == 0) {
            const int one = 1;
            // Requests leave in one write; waiting for more would only delay them.
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            trace(QStringLiteral("Socket %1 ouverte avec le serveur %2 sur le port %3")
                      .arg(QString::number(fd), a.text, QString::number(m_port)),
                  2);
            return fd;
        }
        if (fd >= 0)
            ::close(fd);
        lastError = error;
        trace(QStringLiteral("Impossible d'ouvrir une socket sur le port %1 avec le serveur %2")
                  .arg(m_port)
                  .arg(a.text),
              2);
    }
    throw ESocketError(lastError);
}

void T_TcpIp::Login()
{
    if (LoggedIn)
        Logout();
    m_policy.check();
    m_channel.reset();
    m_pending.clear();
    m_readAhead.clear();
    m_readPos = 0;
    if (m_testChannel) {
        m_channel = std::move(m_testChannel);
    } else {
        const QByteArray host = asciiHostName(Hostname).toLatin1();
        if (host.isEmpty())
            throw ETcpIpError(tr("Serveur %1 introuvable").arg(printableText(Hostname)));
        if (m_port <= 0 || m_port > 65535)
            throw ETcpIpError(tr("Port %1 invalide pour le serveur %2")
                                  .arg(QString::number(m_port), printableText(Hostname)));
        m_channel = std::make_unique<SocketChannel>(connectTo(host), m_policy);
    }
    m_closed = false;
    LoggedIn = true;
    if (m_secure)
        startTls(Hostname);
}

void T_TcpIp::startTls(const QString& host)
{
    if (!m_tls)
        m_tls = std::make_unique<TlsContext>(m_tlsOptions);
    m_channel->startTls(*m_tls, asciiHostName(host));
}

void T_TcpIp::SendCommand(const QString& line)
{
    m_pending += line.toUtf8();
    m_pending += "\r\n";
    trace(line, 0);
}

void T_TcpIp::flushCommands()
{
    if (m_pending.isEmpty() || !m_channel)
        return;
    const QByteArray pending = std::exchange(m_pending, {});
    m_channel->send(pending.constData(), pending.size());
}

qint64 T_TcpIp::SendData(const char* data, qint64 count)
{
    flushCommands();
    if (!m_channel)
        throw ESocketError(ENOTCONN);
    m_channel->send(data, count);
    trace(QStringLiteral("Sent %1 bytes on socket ID %2").arg(count).arg(m_channel->id()), 2);
    return count;
}

qint64 T_TcpIp::ReadData(char* buffer, qint64 maximum)
{
    // A server that keeps sending, however slowly, never waits long enough to be checked
    // in the socket's waits.
    m_deadline.check();
    flushCommands();
    qint64 count = 0;
    if (m_readPos < m_readAhead.size()) {
        count = std::min<qint64>(maximum, m_readAhead.size() - m_readPos);
        std::memcpy(buffer, m_readAhead.constData() + m_readPos, static_cast<size_t>(count));
        m_readPos += count;
    } else if (m_channel && !m_closed) {
        count = m_channel->receive(buffer, maximum);
    }
    if (count > 0) {
        trace(QStringLiteral("Received %1 bytes on socket ID %2")
                  .arg(count)
                  .arg(m_channel ? m_channel->id() : -1),
              2);
    } else {
        m_closed = true;
    }
    return count;
}

bool T_TcpIp::ReadLine(QByteArray& line)
{
    flushCommands();
    QByteArray text;
    qsizetype length = 0;
    for (;;) {
        if (m_readPos >= m_readAhead.size()) {
            if (!m_channel || m_closed)
                return false;
            m_deadline.check();
            m_readAhead.resize(kBufferSize);
            const qint64 n = m_channel->receive(m_readAhead.data(), m_readAhead.size());
            m_readPos = 0;
            if (n <= 0) {
                m_readAhead.clear();
                m_closed = true;
                return false;
            }
            m_readAhead.resize(n);
        }
        const char* start = m_readAhead.constData() + m_readPos;
        const qsizetype available = m_readAhead.size() - m_readPos;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(available)));
        const qsizetype take = lf ? lf - start : available;
        length += take;
        if (length > kMaxLineLength)
            throw EProtocolError(tr("Ligne d'en-tête trop longue (plus de %1 octets)").arg(kMaxLineLength));
        for (qsizetype i = 0; i < take; ++i) {
            if (start[i] != '\r')
                text += start[i];
        }
        m_readPos += take;
        if (lf) {
            ++m_readPos;
            line = text;
            return true;
        }
    }
}

bool T_TcpIp::Eof() const
{
    if (m_readPos < m_readAhead.size())
        return false;
    return m_closed || !m_channel || !m_channel->isConnected();
}

void T_TcpIp::Logout()
{
    if (m_channel) {
        const int id = m_channel->id();
        m_channel.reset();
        trace(QStringLiteral("Socket %1 fermée").arg(id), 2);
    }
    m_pending.clear();
    m_readAhead.clear();
    m_readPos = 0;
    LoggedIn = false;
}

} // namespace glanix
