#include "app/cli/GetCommand.h"

#include "config/AtomicFile.h"
#include "config/IniFile.h"
#include "config/Numbers.h"
#include "config/OptGene.h"
#include "engine/HttpProbe.h"
#include "engine/HttpText.h"
#include "store/StatusTexts.h"

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <cmath>

namespace glanix::cli {

namespace {

// "Sun, 06 Nov 1994 08:49:37 GMT" (any form a server sends), "1994-11-06T08:49:37" or
// "1994-11-06 08:49:37", or a date-time as Glanix stores it (days since 1899-12-30).
std::optional<TDateTime> parseDateArgument(const QString& text)
{
    if (const auto http = parseHttpDateStrict(text))
        return http;
    for (const char* format : {"yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
        if (dt.isValid()) {
            return encodeDateTime(dt.date().year(), dt.date().month(), dt.date().day(), dt.time().hour(),
                                  dt.time().minute(), dt.time().second());
        }
    }
    if (const auto real = parseReal(text); real && *real >= 0)
        return real;
    return std::nullopt;
}

} // namespace

int runGet(Context& ctx)
{
    HttpProbeRequest request;
    QString out;
    bool proxyGiven = false;
    std::optional<double> timeLimit;
    const auto usage = [&](const QString& why) {
        ctx.err << why
                << "\nUsage : glanix-cli get URL [--proxy HOTE:PORT] [--since DATE] [--etag TAG] [--size N] "
                   "[--head] [--out FICHIER] [--ca FICHIER.pem] [--timeout SECONDES] [--verbose]\n";
        return kExitUsage;
    };
    for (qsizetype i = 0; i < ctx.args.size(); ++i) {
        const QString& a = ctx.args[i];
        const bool hasValue = i + 1 < ctx.args.size();
        if (a == u"--head") {
            request.headOnly = true;
        } else if (a == u"--verbose") {
            request.allTraceLines = true;
        } else if (a == u"--proxy" || a == u"--since" || a == u"--etag" || a == u"--size" || a == u"--out"
                   || a == u"--ca" || a == u"--timeout") {
            if (!hasValue)
                return usage(QStringLiteral("Valeur manquante après %1").arg(a));
            const QString value = ctx.args[++i];
            if (a == u"--proxy") {
                request.proxy = value;
                proxyGiven = true;
            } else if (a == u"--since") {
                const auto date = parseDateArgument(value);
                if (!date)
                    return usage(QStringLiteral("Date illisible : %1").arg(value));
                request.storedDate = *date;
            } else if (a == u"--etag") {
                request.storedETag = value;
            } else if (a == u"--size") {
                bool ok = false;
                request.storedSize = value.toLongLong(&ok);
                if (!ok || request.storedSize < 0)
                    return usage(QStringLiteral("Taille invalide : %1").arg(value));
            } else if (a == u"--out") {
                out = value;
            } else if (a == u"--timeout") {
                timeLimit = parseReal(value);
                if (!timeLimit || *timeLimit <= 0 || *timeLimit > 86400)
                    return usage(QStringLiteral("Durée invalide : %1").arg(value));
            } else {
                QFile ca(value);
                if (!ca.open(QIODevice::ReadOnly))
                    return usage(QStringLiteral("Impossible de lire %1").arg(value));
                request.tls.extraCaPem = ca.readAll();
            }
        } else if (a.startsWith(u"--") || !request.url.isEmpty()) {
            return usage(QStringLiteral("Argument inattendu : %1").arg(a));
        } else {
            request.url = a;
        }
    }
    if (request.url.isEmpty())
        return usage(QStringLiteral("Adresse manquante"));
    const IniFile settings(ctx.home + QStringLiteral("Glanix.ini"));
    if (!proxyGiven)
        request.proxy = settings.readString(u"General", u"Proxy");
    // By default the limit a download alone gets from the options.
    if (!timeLimit) {
        const TOptGene defaults;
        const qint64 seconds = qint64(settings.readInteger(u"General", u"TimeOut", defaults.TimeOut))
            + settings.readInteger(u"General", u"TimeOutByPage", defaults.TimeOutByPage);
        timeLimit = static_cast<double>(std::clamp<qint64>(seconds, 1, 86400));
    }
    request.timeLimitMs = std::llround(*timeLimit * 1000);

    const HttpProbeResult result = probeHttp(request, [&](const QString& line) { ctx.out << line << '\n'; });
    if (!result.statusText.isEmpty())
        ctx.out << result.statusText << '\n';
    ctx.out << "status\t" << result.status << '\t' << StatusText(result.status) << '\n';
    ctx.out << "downloaded\t" << (result.downloaded ? 1 : 0) << '\n';
    ctx.out << "length\t" << result.body.size() << '\n';
    ctx.out.flush();
    if (!out.isEmpty() && result.downloaded && result.status >= 200 && result.status < 300) {
        const WriteResult written = writeFileAtomically(out, result.body);
        if (!written.ok) {
            ctx.err << written.error << '\n';
            return kExitFailure;
        }
    }
    return result.status < 0 ? kExitFailure : kExitOk;
}

} // namespace glanix::cli
