#include "agents/UpdateNotice.h"

#include "config/Env.h"
#include "config/IniFile.h"

#include <QCoreApplication>

namespace glanix {

QString versionText()
{
    return QStringLiteral("Glanix/" GLANIX_VERSION);
}

QString versionNumber()
{
    return versionText().mid(7);
}

int compareVersions(const QString& a, const QString& b)
{
    const qsizetype slashA = a.indexOf(u'/');
    const qsizetype slashB = b.indexOf(u'/');
    if (slashA < 0 || slashB < 0 || a.left(slashA) != b.left(slashB))
        return a.compare(b);
    const QStringList partsA = a.mid(slashA + 1).split(u'.');
    const QStringList partsB = b.mid(slashB + 1).split(u'.');
    for (qsizetype i = 0; i < std::max(partsA.size(), partsB.size()); ++i) {
        bool okA = true;
        bool okB = true;
        const qlonglong numberA = i < partsA.size() ? partsA[i].toLongLong(&okA) : 0;
        const qlonglong numberB = i < partsB.size() ? partsB[i].toLongLong(&okB) : 0;
        if (!okA || !okB)
            return a.compare(b);
        if (numberA != numberB)
            return numberA < numberB ? -1 : 1;
    }
    return 0;
}

bool isUpToDate(const Env& env)
{
    const IniFile ini(env.iniFileName());
    const QString last = ini.readString(u"CheckUpDate", u"LastVersion", versionText());
    // Compared as texts, "3.10" would come before "3.9".
    return compareVersions(versionText(), last) >= 0;
}

QString startupCaption(const Env& env)
{
    if (isUpToDate(env))
        return QStringLiteral("Glanix ") + versionNumber();
    const IniFile ini(env.iniFileName());
    const QString last = ini.readString(u"CheckUpDate", u"LastVersion");
    const QString page = ini.readString(u"CheckUpDate", u"DownloadPage").trimmed();
    QString caption = QCoreApplication::translate("UpdateNotice", "Une nouvelle version existe (") + last;
    caption += page.isEmpty() ? QStringLiteral(")") : QStringLiteral(") : ") + page;
    return caption;
}

} // namespace glanix
