#include "ui/DesktopLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace glanix {

bool DesktopLauncher::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool DesktopLauncher::openInTextEditor(const QString& file)
{
    // The application the desktop gives plain text to, started as its entry says.
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000))
        return false;
    const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    const QString entry
        = id.isEmpty() ? QString() : QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    if (entry.isEmpty())
        return false;
    const QSettings desktop(entry, QSettings::IniFormat);
    QStringList command
        = QProcess::splitCommand(desktop.value(QStringLiteral("Desktop Entry/Exec")).toString());
    if (command.isEmpty())
        return false;
    bool placed = false;
    for (QString& arg : command) {
        if (arg == u"%f" || arg == u"%F" || arg == u"%u" || arg == u"%U") {
            arg = file;
            placed = true;
        }
    }
    command.removeIf([](const QString& arg) { return arg.size() == 2 && arg[0] == u'%'; });
    if (!placed)
        command << file;
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command);
}

} // namespace glanix
