#include "agents/AddressOptions.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace glanix {

namespace {

bool hasToken(const QStringList& tokens, const QString& mask)
{
    return std::any_of(tokens.begin(), tokens.end(),
                       [&](const QString& t) { return t.compare(mask, Qt::CaseInsensitive) == 0; });
}

QString tidy(QString list)
{
    static const QRegularExpression blanks(QStringLiteral(" {2,}"));
    list.replace(blanks, QStringLiteral(" "));
    list = list.trimmed();
    return list.isEmpty() ? list : list + u' ';
}

// Where the user name and password may stand: from after "//" to the start of the path.
void authority(const QString& url, qsizetype& begin, qsizetype& end)
{
    const qsizetype slashes = url.indexOf(QLatin1String("//"));
    begin = slashes < 0 ? 0 : slashes + 2;
    end = url.size();
    for (const QChar c : {u'/', u'?', u'#'}) {
        const qsizetype at = url.indexOf(c, begin);
        if (at >= 0)
            end = std::min(end, at);
    }
}

} // namespace

QString maskSetMasks(MaskSet set)
{
    switch (set) {
    case MaskSet::HtmlText:
        return QStringLiteral("*.htm* *.shtm* *.txt");
    case MaskSet::Images:
        return QStringLiteral("*.gif *.jpg *.jpeg *.png");
    case MaskSet::Sounds:
        return QStringLiteral("*.wav *.mp3 *.ra*");
    case MaskSet::Video:
        return QStringLiteral("*.avi *.qtw");
    case MaskSet::Zip:
        return QStringLiteral("*.zip");
    case MaskSet::Programs:
        return QStringLiteral("*.exe");
    }
    return {};
}

QStringList maskTokens(QStringView list)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return list.toString().split(separators, Qt::SkipEmptyParts);
}

QString addMasks(const QString& list, const QString& set)
{
    QString out = list;
    for (const QString& mask : maskTokens(set)) {
        if (!hasToken(maskTokens(out), mask))
            out = mask + u' ' + out;
    }
    return tidy(out);
}

QString removeMasks(const QString& list, const QString& set)
{
    const QStringList removed = maskTokens(set);
    QStringList kept;
    for (const QString& token : maskTokens(list)) {
        if (!hasToken(removed, token))
            kept << token;
    }
    return tidy(kept.join(u' '));
}

bool containsAllMasks(const QString& list, const QString& set)
{
    const QStringList tokens = maskTokens(list);
    const QStringList wanted = maskTokens(set);
    return std::all_of(wanted.begin(), wanted.end(), [&](const QString& m) { return hasToken(tokens, m); });
}

AddressCredentials splitCredentials(const QString& url)
{
    qsizetype begin = 0;
    qsizetype end = 0;
    authority(url, begin, end);
    const qsizetype at = end > begin ? url.lastIndexOf(u'@', end - 1) : -1;
    if (at < begin)
        return {url, {}, {}};
    const QString userInfo = url.mid(begin, at - begin);
    const qsizetype colon = userInfo.indexOf(u':');
    AddressCredentials c;
    c.address = url.left(begin) + url.mid(at + 1);
    c.user = colon < 0 ? userInfo : userInfo.left(colon);
    c.password = colon < 0 ? QString() : userInfo.mid(colon + 1);
    return c;
}

QString composeAddress(const QString& url, const QString& user, const QString& password)
{
    if (user.isEmpty())
        return url;
    const QString bare = splitCredentials(url).address;
    qsizetype begin = 0;
    qsizetype end = 0;
    authority(bare, begin, end);
    QString credentials = user;
    if (!password.isEmpty())
        credentials += u':' + password;
    return bare.left(begin) + credentials + u'@' + bare.mid(begin);
}

QString addScheme(const QString& address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return a;
    const auto ci = Qt::CaseInsensitive;
    if (a.startsWith(QLatin1String("http://"), ci) || a.startsWith(QLatin1String("ftp://"), ci))
        return a;
    if (a.contains(QLatin1String("http://"), ci) || a.contains(QLatin1String("https://"), ci))
        return a;
    if (QStringLiteral("http://").contains(a, ci) || QStringLiteral("https://").contains(a, ci))
        return a;
    return QStringLiteral("http://") + a;
}

QString addressFromClipboard(const QString& clipboardText)
{
    const QString text = clipboardText.trimmed();
    for (const char* start : {"http://", "https://", "ftp://", "www"}) {
        if (text.startsWith(QLatin1String(start)))
            return text;
    }
    return {};
}

double frequencyCode(const RefreshPolicy& policy)
{
    switch (policy.mode) {
    case RefreshMode::Systematic:
        return 0;
    case RefreshMode::Automatic:
        return policy.onlyIfRead ? -2 : -1;
    case RefreshMode::Once:
        return -3;
    case RefreshMode::Scheduled:
        break;
    }
    const int days = std::clamp(policy.daysAfterModification, 1, 999);
    const int period = std::clamp(policy.period, 0, 99);
    return days + period * 0.01;
}

RefreshPolicy refreshPolicyFromCode(double frequency)
{
    RefreshPolicy p;
    if (frequency == -1 || frequency == -2) {
        p.mode = RefreshMode::Automatic;
        p.onlyIfRead = frequency == -2;
    } else if (frequency == -3) {
        p.mode = RefreshMode::Once;
    } else if (frequency > 0 && std::isfinite(frequency)) {
        p.mode = RefreshMode::Scheduled;
        const double days = std::floor(std::min(frequency, 999.0));
        p.daysAfterModification = std::max(1, static_cast<int>(days));
        p.period = std::clamp(static_cast<int>(std::lround((frequency - days) * 100)), 0, 99);
    }
    return p;
}

} // namespace glanix
