#include "app/cli/AgentCommands.h"

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

// Messages go to the error stream; a question is answered no, since nobody is there to say
// yes: the command then stops where the wizard's page would have stayed.
class CliPrompt final : public UserPrompt {
public:
    explicit CliPrompt(QTextStream& err)
        : m_err(err)
    {
    }

    Button ask(Icon /*icon*/, const QString& text, unsigned buttons, Button /*defaultButton*/) override
    {
        m_err << QString(text).replace(u'\r', u'\n') << '\n';
        return (buttons & No) ? No : (buttons & Cancel) ? Cancel : Ok;
    }

    bool confirm(const QString& text, const std::function<void(bool)>& /*dontAskAgainChanged*/) override
    {
        m_err << QString(text).replace(u'\r', u'\n') << '\n';
        return false;
    }

private:
    QTextStream& m_err;
};

// Splits "--option value" pairs and flags from the positional arguments.
struct Parsed {
    QStringList positional;
    QMap<QString, QString> options;
    QString error;
};

Parsed parse(const QStringList& args, const QStringList& withValue, const QStringList& flags)
{
    Parsed p;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (withValue.contains(a)) {
            if (i + 1 >= args.size()) {
                p.error = QStringLiteral("Valeur manquante après %1").arg(a);
                return p;
            }
            p.options[a] = args[++i];
        } else if (flags.contains(a)) {
            p.options[a] = QStringLiteral("1");
        } else if (a.startsWith(QLatin1String("--"))) {
            p.error = QStringLiteral("Option inconnue : %1").arg(a);
            return p;
        } else {
            p.positional << a;
        }
    }
    return p;
}

void prepareStore(ElementStore& store, const Env& env)
{
    const IniFile ini(env.iniFileName());
    store.setSeeImages(ini.readBool(u"General", u"SeeImages", true));
    store.setFavoritesFolder(ini.readString(u"General", u"FavoritesFolder"));
}

bool validFrequency(double code)
{
    return code == 0 || code == -1 || code == -2 || code == -3 || code > 0;
}

} // namespace

int runNewAgent(Context& ctx)
{
    const QString usage = QStringLiteral("Usage : glanix-cli new-agent NOM [--dir DOSSIER]\n");
    const Parsed p = parse(ctx.args, {QStringLiteral("--dir")}, {});
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
    const Parsed p = parse(ctx.args,
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

    Env env(ctx.home);
    ElementStore store(env);
    prepareStore(store, env);
    TElement* agent = openAgent(store, agentFilePath(ctx.home, p.positional[0]), {}, &error);
    if (!agent) {
        ctx.err << QString(error).replace(u'\r', u'\n') << '\n';
        return kExitUsage;
    }
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
