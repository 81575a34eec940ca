#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the real glanix-cli as a user would. Tests that include this are built with
// GLANIX_CLI set to the program's path (glanix_add_test(... LIBS ...) plus
// target_compile_definitions, see tests/app/CMakeLists.txt).
namespace glanix::test {

struct CliResult {
    int code = -1;
    QString out;
    QString err;
};

inline CliResult runCli(const QStringList& args, const QByteArray& stdinData = {})
{
    QProcess p;
    p.start(QStringLiteral(GLANIX_CLI), args);
    if (!stdinData.isEmpty())
        p.write(stdinData);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace glanix::test
