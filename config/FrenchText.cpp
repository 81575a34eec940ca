#include "config/FrenchText.h"

#include <QLocale>

namespace glanix {

namespace {

const QLocale& french()
{
    static const QLocale locale(QLocale::French, QLocale::France);
    return locale;
}

} // namespace

QString frenchDate(const QDateTime& dt, const QString& format)
{
    return french().toString(dt, format);
}

QString frenchDate(TDateTime days, const QString& format)
{
    return days > 0 ? frenchDate(fromDateTime(days), format) : QString();
}

QString frenchNumber(double value, int decimals)
{
    QLocale locale = french();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

} // namespace glanix
