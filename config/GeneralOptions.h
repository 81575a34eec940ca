#pragma once

#include <QString>

// The rules of the general options dialog that need no widget: how the proxy setting is shown
// in two fields and put back together, the bandwidth slider's steps, the hang-up delays in
// minutes, the download counter in Mo.
namespace glanix {

struct ProxyFields {
    QString address;
    QString port;
};

// Splits at the last colon unless an at sign follows it, so "user:pw@host:3128" still splits
// before the port.
ProxyFields splitProxy(const QString& proxy);
// "" when the box is unticked or no address is given; the port defaults to 8080.
QString composeProxy(bool enabled, const QString& address, const QString& port);
// What the port field shows once left: its integer value, nothing for 0 or garbage.
QString normalisePort(const QString& text);

constexpr int kBandwidthPositions = 9;
int bandwidthForPosition(int position);
// -1 for a value the slider cannot show.
int positionForBandwidth(int bandwidth);
QString bandwidthText(int bandwidth);

int minutesFromDays(double days);
double daysFromMinutes(int minutes);

double bytesToMo(double bytes);

} // namespace glanix
