#pragma once

#include "config/DateTime.h"
#include "engine/SocketChannel.h"

#include <QByteArray>
#include <QString>
#include <functional>

// One download's HTTP exchange run on its own, for diagnosing an address from the command
// line: the same HEAD, decision and GET as a download, reporting each trace line as an
// element's messages hold it.
namespace glanix {

struct HttpProbeRequest {
    QString url;
    QString proxy;
    TDateTime storedDate = 0;
    QString storedETag;
    qint64 storedSize = 0;
    bool headOnly = false;
    bool allTraceLines = false; // also the lines a download leaves out of the messages
    TlsOptions tls;
    int idleTimeoutMs = 30000;
    qint64 timeLimitMs = 0; // the whole exchange, HEAD and GET; 0 = no limit
};

struct HttpProbeResult {
    int status = 0;
    QString statusText; // the client's text: reason phrase or error message
    bool downloaded = false;
    QByteArray body;
};

// A trace line of the client as a download keeps it: " <- " for a line sent, " -> " for a
// header received, " -- " for a socket event; empty for the lines a download drops (bytes
// sent and received, Host, User-Agent, Accept, Referer).
QString traceMessage(const QString& line, int level);

HttpProbeResult probeHttp(const HttpProbeRequest& request, const std::function<void(const QString&)>& onLine);

} // namespace glanix
