#include "config/Numbers.h"

#include <QLocale>

#include <atomic>
#include <cmath>

namespace glanix {

namespace {

std::atomic<char16_t> g_separator {0};

} // namespace

QChar decimalSeparator()
{
    char16_t sep = g_separator.load(std::memory_order_relaxed);
    if (sep == 0) {
        const QString point = QLocale::system().decimalPoint();
        sep = point.isEmpty() ? u'.' : point.at(0).unicode();
        g_separator.store(sep, std::memory_order_relaxed);
    }
    return QChar(sep);
}

void setDecimalSeparator(QChar separator)
{
    g_separator.store(separator.unicode(), std::memory_order_relaxed);
}

QString formatReal(double value)
{
    if (!std::isfinite(value))
        value = 0;
    QString text = QString::number(value, 'g', 15);
    const QChar sep = decimalSeparator();
    if (sep != u'.')
        text.replace(u'.', sep);
    return text;
}

std::optional<double> parseReal(QStringView text)
{
    QString s = text.trimmed().toString();
    if (s.isEmpty())
        return std::nullopt;
    s.replace(u',', u'.');
    bool ok = false;
    const double v = QLocale::c().toDouble(s, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> parseInteger(QStringView text)
{
    QStringView s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    bool negative = false;
    if (s.front() == u'-' || s.front() == u'+') {
        negative = s.front() == u'-';
        s = s.sliced(1);
    }
    int base = 10;
    if (s.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        s = s.sliced(2);
    } else if (s.startsWith(u'$')) {
        base = 16;
        s = s.sliced(1);
    }
    if (s.isEmpty() || s.size() > 20)
        return std::nullopt;
    quint64 value = 0;
    for (QChar ch : s) {
        const int digit = ch.isDigit() && ch.unicode() < 128 ? ch.unicode() - '0'
            : (base == 16 && ch.toLower() >= u'a' && ch.toLower() <= u'f') ? ch.toLower().unicode() - 'a' + 10
                                                                             : -1;
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 16) {
        const auto pattern = static_cast<qint32>(static_cast<quint32>(value));
        return negative ? -pattern : pattern;
    }
    if (negative ? value > 2147483648ull : value > 2147483647ull)
        return std::nullopt;
    return negative ? static_cast<int>(-static_cast<qint64>(value)) : static_cast<int>(value);
}

} // namespace glanix
