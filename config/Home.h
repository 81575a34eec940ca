#pragma once

#include <QString>
#include <QStringList>

namespace glanix {

// The folder that holds Glanix.ini, the agent files and the default agents:
// "--home DIR" when given, else the executable's folder when a Glanix.ini lies beside it
// (a portable install), else $XDG_DATA_HOME/glanix (~/.local/share/glanix). The folder is
// created when missing. `arguments` loses the "--home DIR" pair (or "--home=DIR").
// Returns an empty string, with `error` set, when the folder cannot be made.
QString resolveHome(QStringList& arguments, const QString& executableDir, QString* error = nullptr);

} // namespace glanix
