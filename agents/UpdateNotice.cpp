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

bool isUpToDate(const Env& env)
{
    const IniFile ini(env.iniFileName());
    const QString last = ini.readString(u"CheckUpDate", u"LastVersion", versionText());
    return versionText().compare(last) >= 0;
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
