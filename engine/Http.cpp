#include "engine/Http.h"

#include "config/TextCodec.h"
#include "store/Addresses.h"

#include <QCoreApplication>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("T_HTTP", text);
}

int defaultPort(const QString& scheme)
{
    return scheme == QLatin1String("https") ? 443 : 80;
}

int portNumber(const QString& text, int fallback)
{
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port <= 0 || port > 65535)
        throw ETcpIpError(tr("Port invalide : %1").arg(printableText(text)));
    return port;
}

// The scheme the client will speak, or a refusal: nothing but http and https is requested.
QString checkedScheme(const QString& scheme)
{
    const QString lowered = scheme.toLower();
    if (lowered.isEmpty())
        return QStringLiteral("http");
    if (lowered != QLatin1String("http") && lowered != QLatin1String("https"))
        throw EProtocolError(tr("Protocole non pris en charge : %1").arg(printableText(scheme)));
    return lowered;
}

// What follows the host in a request: no fragment, never empty, always from "/", no dot
// segments (a typed "/a/../../etc" is "/etc").
QString originPath(QString path)
{
    const qsizetype hash = path.indexOf(u'#');
    if (hash >= 0)
        path.truncate(hash);
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    const qsizetype query = path.indexOf(u'?');
    if (query < 0)
        path = RemoveDotSegments(path);
    else
        path = RemoveDotSegments(path.left(query)) + path.sliced(query);
    return encodeRequestTarget(path);
}

QString hostForRequest(const QString& host)
{
    const QString ascii = asciiHostName(host);
    if (ascii.isEmpty())
        throw ETcpIpError(tr("Serveur %1 introuvable").arg(printableText(host)));
    return ascii.contains(u':') ? u'[' + ascii + u']' : ascii;
}

QString headerValue(const QString& value)
{
    QString out = value;
    for (QChar& c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    }
    return out;
}

// One Content-Length value: plain decimal digits, no sign, at most 18 of them, so that no
// conversion can wrap.
std::optional<qint64> lengthValue(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

T_HTTP::T_HTTP(std::shared_ptr<const Clock> clock)
    : m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
{
}

T_HTTP::~T_HTTP() = default;

void T_HTTP::setTarget()
{
    QString url = URL.trimmed();
    if (!url.contains(QLatin1String("://"))) {
        // "host:8000/x" names a port; "mailto:", "javascript:" and the like name a scheme.
        const qsizetype colon = url.indexOf(u':');
        const QStringView before = QStringView(url).left(colon);
        QStringView after = QStringView(url).mid(colon + 1);
        after = after.left(after.indexOf(u'/') >= 0 ? after.indexOf(u'/') : after.size());
        bool port = !after.isEmpty();
        for (QChar c : after)
            port = port && c.isDigit();
        bool schemeLike = colon > 0;
        for (QChar c : before)
            schemeLike = schemeLike && c.isLetter() && c.unicode() < 0x80;
        if (SplitURL(url).scheme == QLatin1String("mailto") || (schemeLike && !port))
            checkedScheme(before.toString());
        url.prepend(QLatin1String("http://"));
    }
    const UrlParts target = SplitURL(url);
    m_scheme = checkedScheme(target.scheme);
    const QString host = hostForRequest(target.host);
    const int targetPort = portNumber(target.port, defaultPort(m_scheme));
    m_hostHeader = targetPort == defaultPort(m_scheme) ? host : host + u':' + QString::number(targetPort);
    m_tlsHost = host;
    m_tunnel.clear();
    if (Proxy.trimmed().isEmpty()) {
        Hostname = target.host;
        setPort(targetPort);
        Path = originPath(target.path);
        setSecure(m_scheme == QLatin1String("https"));
        return;
    }
    const UrlParts proxy = SplitURL(Proxy.trimmed());
    Hostname = proxy.host;
    setPort(portNumber(proxy.port, 8080));
    setSecure(false);
    if (m_scheme == QLatin1String("https")) {
        m_tunnel = host + u':' + QString::number(targetPort);
        Path = originPath(target.path);
    } else {
        // The whole address, credentials left out, goes to the proxy.
        Path = target.scheme + QLatin1String("://") + m_hostHeader + originPath(target.path);
    }
}

void T_HTTP::openConnection()
{
    Login();
    if (!m_tunnel.isEmpty())
        openTunnel();
}

void T_HTTP::openTunnel()
{
    SendCommand(QStringLiteral("CONNECT %1 HTTP/1.0").arg(m_tunnel));
    SendCommand(QStringLiteral("Host: ") + m_tunnel);
    if (!Agent.isEmpty())
        SendCommand(QStringLiteral("User-Agent: ") + headerValue(Agent));
    SendCommand(QString());
    QByteArray line;
    QString status;
    for (int count = 0;; ++count) {
        if (count > kMaxHeaderLines)
            throw EProtocolError(tr("Trop de lignes d'en-tête (plus de %1)").arg(kMaxHeaderLines));
        if (!ReadLine(line) || line.isEmpty())
            break;
        const QString text = printableText(decodeUtf8OrWindows1252(line));
        trace(text, 1);
        if (status.isEmpty())
            status = text;
    }
    const bool ok = status.startsWith(QLatin1String("HTTP/1.")) && status.size() >= 12 && status[9] == u'2';
    if (!ok) {
        throw EProtocolError(
            tr("Le proxy %1 refuse le tunnel vers %2 : %3")
                .arg(printableText(Hostname), m_tunnel, status.isEmpty() ? tr("pas de réponse") : status));
    }
    startTls(m_tlsHost);
}

void T_HTTP::SendRequest(const QString& method, const QString& version)
{
    SendCommand(method + u' ' + Path + QLatin1String(" HTTP/") + version);
    if (method == QLatin1String("GET")) {
        if (!Range.isEmpty()) {
            SendCommand(QStringLiteral("Range: ") + headerValue(Range));
            if (!ETag.isEmpty())
                SendCommand(QStringLiteral("If-Range: \"%1\"").arg(headerValue(ETag)));
            else if (ModifiedSince != 0)
                SendCommand(QStringLiteral("If-Range: ") + FormatHttpDate(ModifiedSince));
        } else if (ModifiedSince != 0) {
            SendCommand(QStringLiteral("If-Modified-Since: ") + FormatHttpDate(ModifiedSince));
        }
    }
    SendCommand(QStringLiteral("Accept: */*"));
    SendCommand(QStringLiteral("Host: ") + m_hostHeader);
    if (!Reference.isEmpty())
        SendCommand(QStringLiteral("Referer: ")
                    + encodeRequestTarget(withoutCredentials(Reference.trimmed())));
    if (!Agent.isEmpty())
        SendCommand(QStringLiteral("User-Agent: ") + headerValue(Agent));
    if (NoCache)
        SendCommand(QStringLiteral("Pragma: no-cache"));
    if (method == QLatin1String("POST")) {
        SendCommand(QStringLiteral("Content-Length: ") + QString::number(Stream.size()));
        if (!ContentTypePost.isEmpty())
            SendCommand(QStringLiteral("Content-Type: ") + headerValue(ContentTypePost));
    }
    SendCommand(QString());
}

void T_HTTP::applyLocation(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.contains(QLatin1String("://"))) {
        const UrlParts parts = SplitURL(trimmed);
        const QString scheme = parts.scheme.toLower();
        // Only http and https are followed; credentials in the new address are dropped.
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return;
        const QString host = asciiHostName(parts.host);
        if (host.isEmpty())
            return;
        const int newPort = parts.port.isEmpty() ? defaultPort(scheme) : parts.port.toInt();
        if (newPort <= 0 || newPort > 65535)
            return;
        const QString bracketed = host.contains(u':') ? u'[' + host + u']' : host;
        m_scheme = scheme;
        m_hostHeader
            = newPort == defaultPort(scheme) ? bracketed : bracketed + u':' + QString::number(newPort);
        m_tlsHost = bracketed;
        if (Proxy.trimmed().isEmpty()) {
            Hostname = parts.host;
            setPort(newPort);
            setSecure(scheme == QLatin1String("https"));
            Path = originPath(parts.path);
        } else if (scheme == QLatin1String("https")) {
            m_tunnel = bracketed + u':' + QString::number(newPort);
            Path = originPath(parts.path);
        } else {
            m_tunnel.clear();
            Path = parts.scheme + QLatin1String("://") + m_hostHeader + originPath(parts.path);
        }
        return;
    }
    if (trimmed.startsWith(QLatin1String("//")))
        return applyLocation(m_scheme + u':' + trimmed);
    if (trimmed.isEmpty())
        return;
    // A relative location stays on the same server.
    QString path = trimmed;
    if (!path.startsWith(u'/')) {
        QString current = Path;
        if (current.contains(QLatin1String("://")))
            current = SplitURL(current).path;
        const qsizetype query = current.indexOf(u'?');
        if (query >= 0)
            current.truncate(query);
        path = current.left(current.lastIndexOf(u'/') + 1) + path;
    }
    if (Proxy.trimmed().isEmpty() || !m_tunnel.isEmpty())
        Path = originPath(path);
    else
        Path = m_scheme + QLatin1String("://") + m_hostHeader + originPath(path);
}

void T_HTTP::setContentLength(const QString& value)
{
    std::optional<qint64> length;
    for (const QString& item : value.split(u',')) {
        const auto one = lengthValue(item);
        if (!one || (length && *length != *one)) {
            length.reset();
            break;
        }
        length = one;
    }
    if (!length || (m_lengthSeen && *length != ContentLength && StatusCode != 206))
        throw EProtocolError(tr("Longueur de contenu invalide : %1").arg(printableText(value.left(100))));
    m_lengthSeen = true;
    if (StatusCode != 206)
        ContentLength = *length;
}

void T_HTTP::ReadResponseHeaders()
{
    Authenticate.clear();
    ContentType.clear();
    Location.clear();
    m_statusSeen = false;
    m_lengthSeen = false;
    m_transferEncoding.clear();
    m_contentEncoding.clear();
    QByteArray raw;
    for (int count = 0;; ++count) {
        if (!ReadLine(raw))
            break;
        if (raw.isEmpty()) {
            if (m_statusSeen)
                break;
            continue; // a stray blank line before the status line
        }
        if (count >= kMaxHeaderLines)
            throw EProtocolError(tr("Trop de lignes d'en-tête (plus de %1)").arg(kMaxHeaderLines));
        if (raw.contains('\0'))
            throw EProtocolError(tr("En-tête invalide : octet nul"));
        const QString line = decodeUtf8OrWindows1252(raw);
        const qsizetype colon = line.indexOf(u':');
        const QString name = colon > 0 ? line.left(colon).trimmed().toLower() : QString();
        const QString value = colon > 0 ? line.mid(colon + 1).trimmed() : QString();
        const bool isLocation
            = name == QLatin1String("location") || name == QLatin1String("content-location");
        trace(printableText(isLocation ? line.left(colon + 1) + u' ' + withoutCredentials(value) : line), 1);

        if (!m_statusSeen) {
            // "HTTP/1.x NNN text": anything else is not an HTTP answer.
            const bool ok = line.startsWith(QLatin1String("HTTP/1.")) && line.size() >= 12
                && line[7].isDigit() && line[8] == u' ' && line[9].isDigit() && line[10].isDigit()
                && line[11].isDigit() && (line.size() == 12 || line[12] == u' ') && line[9] >= u'1'
                && line[9] <= u'5';
            if (!ok)
                throw EProtocolError(tr("Réponse HTTP invalide : %1").arg(printableText(line.left(100))));
            StatusCode = line.mid(9, 3).toInt();
            StatusText = line.mid(13);
            m_statusSeen = true;
            continue;
        }
        if (colon <= 0)
            continue;
        if (isLocation) {
            // Error answers do not send the request elsewhere.
            if (StatusCode < 400) {
                Location = value;
                applyLocation(value);
            }
        } else if (name == QLatin1String("content-length")) {
            setContentLength(value);
        } else if (name == QLatin1String("content-type")) {
            ContentType = value;
        } else if (name == QLatin1String("content-range")) {
            ContentRange = value;
        } else if (name == QLatin1String("date")) {
            ServerDate = ParseHttpDate(value, *m_clock);
        } else if (name == QLatin1String("last-modified")) {
            LastModified = ParseHttpDate(value, *m_clock);
        } else if (name == QLatin1String("www-authenticate")) {
            Authenticate.append(value);
        } else if (name == QLatin1String("etag")) {
            QString tag = value;
            if (tag.startsWith(u'"'))
                tag = tag.mid(1, 400);
            if (tag.endsWith(u'"'))
                tag.chop(1);
            ETag = tag;
        } else if (name == QLatin1String("transfer-encoding")) {
            m_transferEncoding = value.toLower();
        } else if (name == QLatin1String("content-encoding")) {
            m_contentEncoding = value.toLower();
        }
    }
    if (!m_statusSeen)
        throw EProtocolError(tr("Réponse HTTP vide"));
}

void T_HTTP::checkBodyEncoding() const
{
    // The body would be stored as the document: an encoding this client does not undo
    // must not pass for plain content.
    if (StatusCode < 200 || StatusCode >= 300)
        return;
    if (!m_transferEncoding.isEmpty() && m_transferEncoding != QLatin1String("identity"))
        throw EProtocolError(
            tr("Codage de transfert non pris en charge : %1").arg(printableText(m_transferEncoding)));
    if (!m_contentEncoding.isEmpty() && m_contentEncoding != QLatin1String("identity"))
        throw EProtocolError(
            tr("Codage du contenu non pris en charge : %1").arg(printableText(m_contentEncoding)));
}

void T_HTTP::readBody(bool reportProgress)
{
    const auto tooBig = [this] {
        Stream.clear();
        return EProtocolError(tr("Document trop grand (plus de %1 octets)").arg(m_maxBodySize));
    };
    if (StatusCode >= 200 && StatusCode < 300 && StatusCode != 206 && ContentLength > m_maxBodySize)
        throw tooBig();
    while (!Eof()) {
        const qint64 count = ReadData(Buffer.data(), Buffer.size());
        if (reportProgress && OnDataReceived)
            OnDataReceived(*this, TransferMode::Download, count);
        if (count <= 0)
            continue;
        if (Stream.size() + count > m_maxBodySize)
            throw tooBig();
        Stream.append(Buffer.constData(), count);
    }
}

void T_HTTP::closeQuietly()
{
    // Unwinding: no trace callback may run (it could throw again).
    TTraceProc saved = std::move(OnTrace);
    OnTrace = nullptr;
    Logout();
    OnTrace = std::move(saved);
}

void T_HTTP::Head()
{
    try {
        openConnection();
        SendRequest(QStringLiteral("HEAD"));
        ContentLength = 0;
        LastModified = 0;
        ETag.clear();
        ContentRange.clear();
        ReadResponseHeaders();
    } catch (...) {
        closeQuietly();
        throw;
    }
    Logout();
}

void T_HTTP::Get()
{
    try {
        openConnection();
        SendRequest(QStringLiteral("GET"));
        ReadResponseHeaders();
        checkBodyEncoding();
        if (!Range.isEmpty() && StatusCode == 206) {
            // The part must continue the copy exactly, or the document would be corrupted.
            const QString expected = QStringLiteral("bytes %1-").arg(Stream.size());
            if (!ContentRange.trimmed().startsWith(expected, Qt::CaseInsensitive)) {
                Stream.clear();
                throw EProtocolError(
                    tr("Réponse partielle incohérente : %1").arg(printableText(ContentRange.left(100))));
            }
        } else {
            Stream.clear();
        }
        readBody(true);
    } catch (...) {
        closeQuietly();
        throw;
    }
    Logout();
}

void T_HTTP::Post()
{
    try {
        setTarget();
        openConnection();
        SendRequest(QStringLiteral("POST"));
        for (qsizetype sent = 0; sent < Stream.size(); sent += Buffer.size())
            SendData(Stream.constData() + sent, std::min<qsizetype>(Buffer.size(), Stream.size() - sent));
        ReadResponseHeaders();
        checkBodyEncoding();
        Stream.clear();
        readBody(false);
    } catch (...) {
        closeQuietly();
        throw;
    }
    Logout();
}

void T_HTTP::Action()
{
    setTarget();
    Head();
    Get();
}

void T_HTTP::setFailure(const ETcpIpError& error)
{
    if (dynamic_cast<const EProtocolError*>(&error))
        StatusCode = kStatusProtocolError;
    else if (dynamic_cast<const ESocketError*>(&error))
        StatusCode = kStatusSocketError;
    else if (dynamic_cast<const ETransferTimeLimit*>(&error))
        StatusCode = kStatusTimeLimit;
    else
        StatusCode = kStatusHostError;
    StatusText = error.message();
}

bool T_HTTP::headAnswerAllowsGet() const
{
    // A refused HEAD (400, 401, 406) and a server error still lead to the GET; a 302 too,
    // when it points to the address itself.
    if (StatusCode >= 300 && StatusCode < 500 && StatusCode != 400 && StatusCode != 401
        && StatusCode != 406) {
        if (StatusCode != 302)
            return false;
        if (!Location.isEmpty() && Location != URL)
            return false;
    }
    return true;
}

bool T_HTTP::changedSince(const QString& storedETag, qint64 storedSize, TDateTime storedDate) const
{
    const bool changed = (!storedETag.isEmpty() && storedETag != ETag && LastModified == 0) || storedDate == 0
        || LastModified - 1.0 / 1440 > storedDate;
    if (changed)
        return true;
    if (LastModified != 0)
        return false;
    return !(storedSize > 0 && ContentLength > 0 && storedSize == ContentLength
             && Stream.size() >= ContentLength);
}

bool T_HTTP::GetIfModified(const QString& storedETag, qint64 storedSize, bool headOnly, TDateTime storedDate)
{
    try {
        // A range left from an earlier pass must not cut the next full download.
        Range.clear();
        setTarget();
        ModifiedSince = storedDate;
        Head();
        if (headOnly || !headAnswerAllowsGet())
            return false;
        // Resuming needs a validator that proves the partial copy is of this document.
        const bool sameDate = LastModified == storedDate && storedDate != 0;
        const bool sameTag = ETag == storedETag && !ETag.isEmpty();
        if ((sameDate || sameTag) && !Stream.isEmpty()) {
            if (ContentLength != 0) {
                Range = QStringLiteral("bytes=%1-%2/%3")
                            .arg(Stream.size())
                            .arg(ContentLength - 1)
                            .arg(ContentLength);
            }
            Get();
            return true;
        }
        if (!changedSince(storedETag, storedSize, storedDate))
            return false;
        Stream.clear();
        Get();
        return true;
    } catch (const ETcpIpError& e) {
        setFailure(e);
    }
    return false;
}

} // namespace glanix
