#include "store/NextCheck.h"

#include "config/Env.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <cmath>

namespace glanix {

namespace {

constexpr double kHour = 1.0 / 24;

// Halves go to the even neighbour.
double nearest(double x)
{
    return std::nearbyint(x);
}

QString tr(const char* text)
{
    return QCoreApplication::translate("NextCheck", text);
}

} // namespace

TDateTime nextCheckTime(TDateTime lastModified, TDateTime beforeLastModified, TDateTime lastVerified)
{
    double interval = 0;
    if (lastModified > 0)
        interval = beforeLastModified > 0 ? (lastModified - beforeLastModified) * 0.66
                                          : lastVerified - lastModified;
    if (interval < kHour)
        interval = kHour;
    TDateTime next = lastModified + interval;
    if (lastVerified + interval / 2 > next)
        next = lastVerified + interval / 2;
    if (lastVerified + kMaxCheckPeriodDays < next)
        next = lastVerified + kMaxCheckPeriodDays;
    next -= 2 * kHour;
    if (next - lastVerified < kHour)
        next = lastVerified + kHour;
    return next;
}

QString nextCheckText(TDateTime next, TDateTime now)
{
    const double remaining = next - now;
    if (remaining > 0.001)
        return tr("dans ") + durationText(remaining);
    return tr("dès que possible");
}

TDateTime nextCheckTime(const TElement& e)
{
    return nextCheckTime(e.LastModified, e.BeforeLastModified, e.LastVerified);
}

QString nextCheckText(const TElement& e)
{
    return nextCheckText(nextCheckTime(e), e.store().env().now());
}

QString durationText(double days)
{
    const double d = std::fabs(days);
    if (!std::isfinite(d))
        return tr("dès que possible");
    if (nearest(d) < 1) {
        const double hours = nearest(d * 24);
        if (hours < 2)
            return tr("1 heure");
        return QString::number(hours, 'f', 0) + tr(" heures");
    }
    if (nearest(d) < 2)
        return tr("1 jour");
    if (nearest(d) < 100)
        return QString::number(nearest(d), 'f', 0) + tr(" jours");
    return QString::number(nearest(d / 30.5), 'f', 0) + tr(" mois");
}

} // namespace glanix
