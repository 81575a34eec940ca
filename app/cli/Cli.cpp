#include "app/cli/Cli.h"

#include "app/cli/PageCommands.h"

#include "config/Home.h"

#include <QCoreApplication>

#include <cstdio>

namespace glanix::cli {

namespace {

const std::vector<CommandInfo>& commands()
{
    static const std::vector<CommandInfo> list = {
        {"analyse", "analyse FICHIER [--url ADRESSE]", analyseCommand},
        {"compare", "compare ANCIEN NOUVEAU [--out FICHIER]", compareCommand},
    };
    return list;
}

void printUsage(QTextStream& out)
{
    out << "Usage : glanix-cli [--home DOSSIER] COMMANDE [ARGUMENTS]\n\nCommandes :\n";
    for (const CommandInfo& c : commands())
        out << "  " << c.usage << '\n';
}

} // namespace

int run(QStringList arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString error;
    const QString home = resolveHome(arguments, QCoreApplication::applicationDirPath(), &error);
    if (home.isEmpty()) {
        err << error << '\n';
        return kExitFailure;
    }
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")
        || arguments.first() == QLatin1String("-h")) {
        printUsage(arguments.isEmpty() ? err : out);
        return arguments.isEmpty() ? kExitUsage : kExitOk;
    }
    const QString name = arguments.takeFirst();
    for (const CommandInfo& c : commands()) {
        if (name == QLatin1String(c.name)) {
            Context ctx {arguments, home, out, err};
            return c.run(ctx);
        }
    }
    err << "Commande inconnue : " << name << '\n';
    printUsage(err);
    return kExitUsage;
}

} // namespace glanix::cli
