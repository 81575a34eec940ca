#include "config/Home.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace glanix {

QString resolveHome(QStringList& arguments, const QString& executableDir, QString* error)
{
    QString home;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--home") && i + 1 < arguments.size()) {
            home = arguments[i + 1];
            arguments.remove(i, 2);
            break;
        }
        if (arg.startsWith(QLatin1String("--home="))) {
            home = arg.mid(7);
            arguments.remove(i);
            break;
        }
    }
    if (home.isEmpty() && !executableDir.isEmpty()
        && QFileInfo::exists(QDir(executableDir).filePath(QStringLiteral("Glanix.ini"))))
        home = executableDir;
    if (home.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty() || QDir::isRelativePath(data))
            data = QDir::homePath() + QStringLiteral("/.local/share");
        home = data + QStringLiteral("/glanix");
    }
    home = QDir::cleanPath(QDir(home).absolutePath());
    if (!QDir().mkpath(home) || !QFileInfo(home).isDir()) {
        if (error)
            *error = QStringLiteral("Impossible de créer le dossier de Glanix : %1").arg(home);
        return {};
    }
    return home + u'/';
}

} // namespace glanix
