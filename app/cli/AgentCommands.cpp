#include "app/cli/AgentCommands.h"

#include "app/cli/CliSupport.h"

#include "agents/AgentFile.h"
#include "agents/NewAgent.h"
#include "config/Env.h"
#include "config/IniFile.h"
#include "config/Numbers.h"
#include "config/Settings.h"
#include "config/UserPrompt.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

#include <QMap>

namespace glanix::cli {

namespace {

bool validFrequency(double code)
{
    return code == 0 || code == -1 || code == -2 || code == -3 || code > 0;
}

} // namespace

int runNewAgent(Context& ctx)
{
    const QString usage = QStringLiteral("Usage : glanix-cli new-agent NOM [--dir DOSSIER]\n");
    const Parsed p = parseArgs(ctx.args, {QStringLiteral("--dir")}, {});
    if (!p.error.isEmpty() || p.positional.size() != 1) {
        ctx.err << (p.error.isEmpty() ? QString() : p.error + u'\n') << usage;
        return kExitUsage;
    }
    const QString name = p.positional.first().trimmed();
    if (const QString why = agentNameError(ctx.home, name); !why.isEmpty()) {
        ctx.err << why << '\n';
        return kExitUsage;
    }
    Env env(ctx.home);
    CliPrompt prompt(ctx.err);
    QString folder = p.options.value(QStringLiteral("--dir"), proposeAgentFolder(ctx.home, name));
    if (!acceptAgentFolder(folder, ctx.home, prompt))
        return kExitUsage;

    ElementStore store(env);
    prepareStore(store, env);
    Settings settings(env);
    NewAgentChoice choice;
    choice.start = AgentStart::Folder;
    choice.name = name;
    choice.folder = folder;
    choice.frequency = 0;
    QString error;
    TElement* agent = createAgent(store, choice, &settings, &error);
    if (!agent) {
        ctx.err << error << '\n';
        return kExitFailure;
    }
    ctx.out << "Agent créé : " << agent->GetName() << '\n'
            << "  fichier : " << agentFilePath(ctx.home, name) << '\n'
            << "  adresses : " << agent->FavsDir() << '\n'
            << "  téléchargements : " << agent->DLDir() << '\n';
    return kExitOk;
}

int runAdd(Context& ctx)
{
    const QString usage = QStringLiteral(
        "Usage : glanix-cli add AGENT URL [--name NOM] [--folder CHEMIN] [--depth N] [--images 0|1] "
        "[--same-server] [--frequency CODE]\n");
    const Parsed p = parseArgs(ctx.args,
                           {QStringLiteral("--name"), QStringLiteral("--folder"), QStringLiteral("--depth"),
                            QStringLiteral("--images"), QStringLiteral("--frequency")},
                           {QStringLiteral("--same-server")});
    if (!p.error.isEmpty() || p.positional.size() != 2) {
        ctx.err << (p.error.isEmpty() ? QString() : p.error + u'\n') << usage;
        return kExitUsage;
    }
    NewAddress wanted;
    wanted.name = p.options.value(QStringLiteral("--name"));
    wanted.sameServer = p.options.contains(QStringLiteral("--same-server"));
    if (p.options.contains(QStringLiteral("--depth"))) {
        const auto depth = parseInteger(p.options.value(QStringLiteral("--depth")));
        if (!depth || *depth < 0 || *depth > 50) {
            ctx.err << "Profondeur invalide : " << p.options.value(QStringLiteral("--depth"))
                    << " (de 0 à 50)\n";
            return kExitUsage;
        }
        wanted.depth = *depth;
    }
    if (p.options.contains(QStringLiteral("--images"))) {
        const QString images = p.options.value(QStringLiteral("--images"));
        if (images != u"0" && images != u"1") {
            ctx.err << "--images attend 0 ou 1\n";
            return kExitUsage;
        }
        wanted.downLoadImages = images == u"1";
    }
    if (p.options.contains(QStringLiteral("--frequency"))) {
        const auto code = parseReal(p.options.value(QStringLiteral("--frequency")));
        if (!code || !validFrequency(*code)) {
            ctx.err << "Fréquence invalide : " << p.options.value(QStringLiteral("--frequency"))
                    << " (0, -1, -2, -3 ou JOURS.PERIODE)\n";
            return kExitUsage;
        }
        wanted.frequency = *code;
    }
    QString error;
    const auto url = acceptAgentAddress(p.positional[1], &error);
    if (!url) {
        ctx.err << error << '\n';
        return kExitUsage;
    }
    wanted.url = *url;

    HomeStore home(ctx.home);
    TElement* agent = home.openAgent(p.positional[0], ctx.err);
    if (!agent)
        return kExitUsage;
    const QString folderPath = p.options.value(QStringLiteral("--folder"));
    TElement* parent = elementAtPath(*agent, folderPath);
    if (!parent || !parent->HasExt() || parent->Kind == kindImageGroup) {
        ctx.err << "Dossier introuvable dans l'agent " << agent->GetName() << " : " << folderPath << '\n';
        return kExitUsage;
    }
    TElement* address = addAddress(*parent, wanted);
    if (!address) {
        ctx.err << "Impossible d'enregistrer l'adresse " << wanted.url << '\n';
        return kExitFailure;
    }
    ctx.out << "Adresse créée : " << address->TreePath() << '\n'
            << "  URL : " << address->GetURL() << '\n'
            << "  fichier : " << address->GetIniFileName() << '\n';
    return kExitOk;
}

} // namespace glanix::cli
