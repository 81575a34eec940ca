#include "ui/DesktopLauncher.h"

#include <QDesktopServices>
#include <QProcess>

namespace glanix {

bool DesktopLauncher::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

} // namespace glanix
