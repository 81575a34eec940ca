#include "store/FileMasks.h"

namespace glanix {

QStringList maskList(const QString& text)
{
    QString t = text;
    t.replace(u' ', u';').replace(u',', u';');
    QStringList masks;
    for (const QString& piece : t.split(u';', Qt::SkipEmptyParts)) {
        // An empty piece ("a;;b") would become "**" and match every name.
        QString mask = piece.trimmed().toLower();
        if (mask.isEmpty())
            continue;
        const bool wild = mask.contains(u'*') || mask.contains(u'?');
        const bool dot = mask.contains(u'.');
        if (!wild && !dot)
            mask = u'*' + mask + u'*';
        else if (!dot && !mask.endsWith(u'*'))
            mask += u'*';
        masks.append(mask);
    }
    return masks;
}

bool MatchesMask(QStringView mask, QStringView name)
{
    // Left to right; on a mismatch after a "*" the "*" takes one more character and the
    // rest is tried again (so "*.zip" matches "a.zip.zip").
    qsizetype m = 0, n = 0;
    qsizetype star = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            star = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == u'?' || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (star >= 0) {
            m = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

bool MatchesAnyMask(const QStringList& masks, QStringView name)
{
    for (const QString& mask : masks) {
        if (MatchesMask(mask, name))
            return true;
    }
    return false;
}

} // namespace glanix
