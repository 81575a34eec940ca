#include "config/Env.h"

#include "config/IniFile.h"

#include <QDir>
#include <QFile>

namespace glanix {

Env::Env(const QString& home, std::shared_ptr<Clock> clock)
    : m_home(QDir::cleanPath(QDir(home).absolutePath()))
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
{
    if (!m_home.endsWith(u'/'))
        m_home += u'/';
}

bool Env::isDebug() const
{
    if (m_debug < 0) {
        const IniFile ini(iniFileName());
        m_debug = ini.readString(u"Debug", u"Debug") == QLatin1String("7351") ? 1 : 0;
    }
    return m_debug == 1;
}

void Env::logError(const QString& message)
{
    m_errorLogged = true;
    if (!isDebug())
        return;
    appendLine({}, formatDateTimeShort(m_clock->now()) + u' ' + message);
    for (const ErrorListener& listener : m_listeners)
        listener(message);
}

bool Env::appendLine(const QString& fileName, const QString& text) const
{
    QString path = fileName.isEmpty() ? QStringLiteral("Erreurs.log") : fileName;
    if (QDir::isRelativePath(path))
        path = m_home + path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(text.toUtf8() + '\n') >= 0;
}

} // namespace glanix
