#include "app/cli/Cli.h"

#include "agents/AgentFile.h"
#include "agents/TreeListing.h"
#include "app/cli/AgentCommands.h"
#include "app/cli/CliSupport.h"
#include "app/cli/ExportCommand.h"
#include "app/cli/GetCommand.h"
#include "app/cli/InfoCommand.h"
#include "app/cli/ListCommand.h"
#include "app/cli/MarkCommands.h"
#include "app/cli/PageCommands.h"
#include "app/cli/SearchCommand.h"
#include "app/cli/UpdateCommand.h"
#include "config/Env.h"
#include "config/Home.h"
#include "config/HomeLock.h"
#include "config/IniFile.h"
#include "store/ElementStore.h"

#include <QCoreApplication>
#include <cstdio>

namespace glanix::cli {

namespace {

int treeCommand(Context& ctx)
{
    if (ctx.args.size() != 1) {
        ctx.err << "Usage : glanix-cli tree AGENT\n";
        return kExitUsage;
    }
    HomeStore home(ctx.home);
    TElement* agent = home.openAgent(ctx.args.first(), ctx.err);
    if (!agent)
        return kExitUsage;
    for (const QString& line : listAgentTree(agent))
        ctx.out << line << '\n';
    return kExitOk;
}

const std::vector<CommandInfo>& commands()
{
    static const std::vector<CommandInfo> list = {
        {"get",
         "get URL [--proxy HOTE:PORT] [--since DATE] [--etag TAG] [--size N] [--head] [--out FICHIER] "
         "[--ca FICHIER.pem] [--timeout SECONDES] [--verbose]",
         runGet},
        {"update", "update [AGENT ...]   télécharge ce qui est à vérifier (par défaut : les agents ouverts)",
         runUpdate, true},
        // Opening an agent may mend its file and its elements' files.
        {"tree", "tree AGENT        l'arborescence complète d'un agent (AGENT.gnx ou chemin)", treeCommand,
         true},
        {"unread", "unread [AGENT ...]   les pages non lues (par défaut : les agents ouverts)", runUnread,
         true},
        {"mark",
         "mark AGENT CHEMIN read|unread|refresh [--deep]   marque un élément comme lu, non lu ou à vérifier",
         runMark, true},
        {"info",
         "info AGENT CHEMIN [--state] [--properties] [--links] [--communication]   la page "
         "d'informations d'un élément (HTML ; par défaut : état et propriétés)",
         runInfo, true},
        {"list",
         "list AGENT [CHEMIN] [--all] [--no-folders] [--images] [--sort COLONNE] [--desc]   les lignes "
         "de la vue liste d'un élément (neuf colonnes séparées par des tabulations)",
         runList, true},
        // Opening an agent and reading its tree may mend element files.
        {"export",
         "export AGENT [CHEMIN] --to DOSSIER [--depth N] [--same-server] [--keep-struct] [--dont-change] "
         "[--no-images] [--only-html] [--no-index]   copie un élément et sa descendance en pages HTML "
         "consultables sans Glanix",
         runExport, true},
        {"search",
         "search REQUÊTE [AGENT ...] [--code] [--no-count] [--in pages,titles,notes,urls] [--min-age JOURS] "
         "[--max-age JOURS]   cherche des mots dans les pages, titres, notes et adresses",
         runSearch, true},
        {"new-agent", "new-agent NOM [--dir DOSSIER]   crée un agent (un dossier d'adresses)", runNewAgent,
         true},
        {"add",
         "add AGENT URL [--name NOM] [--folder CHEMIN] [--depth N] [--images 0|1] [--same-server] "
         "[--frequency CODE]   ajoute une adresse",
         runAdd, true},
        {"analyse",
         "analyse FICHIER [--url ADRESSE]   titre, base, rafraîchissement, cadres, liens et images d'une "
         "page",
         analyseCommand},
        {"compare", "compare ANCIEN NOUVEAU [--out FICHIER]   marque ce qui a changé (Compared.html)",
         compareCommand},
    };
    return list;
}

void printUsage(QTextStream& out)
{
    out << "Usage : glanix-cli [--home DOSSIER] [--wait] COMMANDE [ARGUMENTS]\n"
           "  --wait   attend que Glanix libère le dossier au lieu d'abandonner\n\nCommandes :\n";
    for (const CommandInfo& c : commands())
        out << "  " << c.usage << '\n';
}

// False, with the holder named on `err`, when another program holds the home and `wait` was
// not asked for (or the lock file cannot be made).
bool holdHome(HomeLock& lock, bool wait, QTextStream& err)
{
    if (lock.tryLock())
        return true;
    if (wait && !lock.failed()) {
        return lock.lock([&] {
            err << lock.busyMessage() << " : attente de sa fermeture...\n";
            err.flush();
        });
    }
    err << lock.busyMessage() << '\n';
    return false;
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
    const bool wait = arguments.removeAll(QStringLiteral("--wait")) > 0;
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")
        || arguments.first() == QLatin1String("-h")) {
        printUsage(arguments.isEmpty() ? err : out);
        return arguments.isEmpty() ? kExitUsage : kExitOk;
    }
    const QString name = arguments.takeFirst();
    for (const CommandInfo& c : commands()) {
        if (name == QLatin1String(c.name)) {
            HomeLock lock(home);
            if (c.writes && !holdHome(lock, wait, err))
                return lock.failed() ? kExitFailure : kExitUsage;
            Context ctx {arguments, home, out, err};
            return c.run(ctx);
        }
    }
    err << "Commande inconnue : " << name << '\n';
    printUsage(err);
    return kExitUsage;
}

} // namespace glanix::cli
