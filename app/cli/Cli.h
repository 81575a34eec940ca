#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

// The headless front door: `glanix-cli [--home DIR] [--wait] COMMAND ARGS...`. Each command is one
// function registered in Cli.cpp; it gets its arguments (the command name removed), the
// resolved home folder and the two output streams, and returns the exit code.
namespace glanix::cli {

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // the command ran and failed
constexpr int kExitUsage = 2; // bad usage or bad input

struct Context {
    QStringList args;
    QString home; // with a trailing "/"
    QTextStream& out;
    QTextStream& err;
};

using Command = std::function<int(Context&)>;

struct CommandInfo {
    const char* name;
    const char* usage;
    Command run;
    // Runs holding the home, so that no other Glanix writes its files meanwhile.
    bool writes = false;
};

int run(QStringList arguments);

} // namespace glanix::cli
