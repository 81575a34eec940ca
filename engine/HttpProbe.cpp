#include "engine/HttpProbe.h"

#include "engine/Http.h"

namespace glanix {

QString traceMessage(const QString& line, int level)
{
    static const char* const dropped[] = {"Received", "Sent", "Host", "User-", "Accept", "Referer"};
    for (const char* start : dropped) {
        if (line.startsWith(QLatin1String(start)))
            return {};
    }
    static const char* const prefixes[] = {" <- ", " -> ", " -- "};
    return QLatin1String(prefixes[std::clamp(level, 0, 2)]) + line;
}

HttpProbeResult probeHttp(const HttpProbeRequest& request, const std::function<void(const QString&)>& onLine)
{
    T_HTTP http;
    http.URL = request.url;
    http.Proxy = request.proxy;
    http.Agent = QStringLiteral("Glanix/" GLANIX_VERSION);
    http.setTlsOptions(request.tls);
    http.setIdleTimeout(request.idleTimeoutMs);
    http.OnTrace = [&](T_TcpIp&, const QString& line, int level) {
        if (request.allTraceLines) {
            static const char* const prefixes[] = {" <- ", " -> ", " -- "};
            onLine(QLatin1String(prefixes[std::clamp(level, 0, 2)]) + line);
        } else if (const QString message = traceMessage(line, level); !message.isEmpty()) {
            onLine(message);
        }
    };
    if (request.timeLimitMs > 0)
        http.deadline().start(std::chrono::milliseconds(request.timeLimitMs));
    HttpProbeResult result;
    result.downloaded
        = http.GetIfModified(request.storedETag, request.storedSize, request.headOnly, request.storedDate);
    result.status = http.StatusCode;
    result.statusText = http.StatusText;
    result.body = http.Stream;
    return result;
}

} // namespace glanix
