#include "config/GeneralOptions.h"

#include <QCoreApplication>
#include <array>
#include <cmath>

namespace glanix {

namespace {

constexpr std::array<int, kBandwidthPositions> kBandwidthSteps {1, 2, 3, 5, 10, 25, 50, 100, 0};

} // namespace

ProxyFields splitProxy(const QString& proxy)
{
    const qsizetype colon = proxy.lastIndexOf(u':');
    if (colon < 0 || proxy.indexOf(u'@', colon) >= 0)
        return {proxy, {}};
    return {proxy.left(colon), proxy.mid(colon + 1, 10)};
}

QString composeProxy(bool enabled, const QString& address, const QString& port)
{
    const QString host = address.trimmed();
    // A ticked box with no address would give ":8080", a proxy nobody can reach.
    if (!enabled || host.isEmpty())
        return {};
    const QString p = port.trimmed().isEmpty() ? QStringLiteral("8080") : port.trimmed();
    return host + u':' + p;
}

QString normalisePort(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value != 0 ? QString::number(value) : QString();
}

int bandwidthForPosition(int position)
{
    if (position < 0 || position >= kBandwidthPositions)
        return 0;
    return kBandwidthSteps[static_cast<size_t>(position)];
}

int positionForBandwidth(int bandwidth)
{
    for (size_t i = 0; i < kBandwidthSteps.size(); ++i) {
        if (kBandwidthSteps[i] == bandwidth)
            return static_cast<int>(i);
    }
    return -1;
}

QString bandwidthText(int bandwidth)
{
    if (bandwidth == 0)
        return QCoreApplication::translate("GeneralOptions", "Illimité", "no bandwidth limit");
    return QString::number(bandwidth) + QCoreApplication::translate("GeneralOptions", " Ko/s");
}

int minutesFromDays(double days)
{
    // A hand-edited file may hold anything; keep what the minutes field can show.
    const double minutes = days * 24 * 60;
    if (!(minutes > 0))
        return 0;
    return minutes >= 9999999 ? 9999999 : static_cast<int>(std::lround(minutes));
}

double daysFromMinutes(int minutes)
{
    return minutes / 1440.0;
}

double bytesToMo(double bytes)
{
    return bytes / 1024 / 1024;
}

} // namespace glanix
