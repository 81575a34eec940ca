#include "views/FormSubmission.h"

namespace glanix {

namespace {

constexpr QStringView kSpecials = u"/.,&+?<>\"#%{}|\\^~[]`;:='()";

void appendHex(QString& out, uchar byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += u'%';
    out += QLatin1Char(digits[byte >> 4]);
    out += QLatin1Char(digits[byte & 15]);
}

} // namespace

QString encodeFormValue(const QString& value)
{
    QString out;
    out.reserve(value.size() * 3);
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u' ') {
            out += u'+';
        } else if (u > 32 && u < 127 && !kSpecials.contains(c)) {
            out += c;
        } else if (u <= 0xFF) {
            appendHex(out, static_cast<uchar>(u));
        } else {
            for (const char byte : QString(c).toUtf8())
                appendHex(out, static_cast<uchar>(byte));
        }
    }
    return out;
}

QString formSubmissionAddress(const QString& action, const QString& method, const QList<FormField>& fields)
{
    QString address = action;
    if (!address.endsWith(u'?'))
        address += u'?';
    if (method.compare(u"post", Qt::CaseInsensitive) == 0)
        address += u'?';
    QString previous;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FormField& f = fields[i];
        if (i > 0 && f.first.compare(previous, Qt::CaseInsensitive) == 0)
            address += QStringLiteral("%0D%0A");
        else
            address += (i > 0 ? QStringLiteral("&") : QString()) + f.first + u'=';
        address += encodeFormValue(f.second);
        previous = f.first;
    }
    return address;
}

} // namespace glanix
