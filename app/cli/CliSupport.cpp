#include "app/cli/CliSupport.h"

#include "agents/AgentFile.h"
#include "agents/ElementPath.h"
#include "config/IniFile.h"
#include "store/TElement.h"

namespace glanix::cli {

Parsed parseArgs(const QStringList& args, const QStringList& withValue, const QStringList& flags)
{
    Parsed p;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (withValue.contains(a)) {
            if (i + 1 >= args.size()) {
                p.error = QStringLiteral("Valeur manquante après ") + a;
                return p;
            }
            p.options[a] = args[++i];
        } else if (flags.contains(a)) {
            p.options[a] = QStringLiteral("1");
        } else if (a.startsWith(QLatin1String("--"))) {
            p.error = QStringLiteral("Option inconnue : ") + a;
            return p;
        } else {
            p.positional << a;
        }
    }
    return p;
}

UserPrompt::Button CliPrompt::ask(Icon, const QString& text, unsigned buttons, Button)
{
    m_err << QString(text).replace(u'\r', u'\n') << '\n';
    return (buttons & No) ? No : (buttons & Cancel) ? Cancel : Ok;
}

bool CliPrompt::confirm(const QString& text, const std::function<void(bool)>&)
{
    m_err << QString(text).replace(u'\r', u'\n') << '\n';
    return false;
}

void prepareStore(ElementStore& store, const Env& env)
{
    const IniFile ini(env.iniFileName());
    store.setSeeImages(ini.readBool(u"General", u"SeeImages", true));
    store.setStoreScripts(ini.readBool(u"Html", u"RunScripts", false));
    store.setFavoritesFolder(ini.readString(u"General", u"FavoritesFolder"));
}

HomeStore::HomeStore(const QString& home)
    : m_env(home)
    , m_store(m_env)
{
    prepareStore(m_store, m_env);
}

TElement* HomeStore::openAgent(const QString& name, QTextStream& err)
{
    QString error;
    TElement* agent = glanix::openAgent(m_store, agentFilePath(m_env.home(), name), {}, &error);
    if (!agent) {
        err << QString(error).replace(u'\r', u'\n') << '\n';
        return nullptr;
    }
    if (!m_agents.contains(agent))
        m_agents << agent;
    return agent;
}

bool HomeStore::openAgents(const QStringList& names, QTextStream& err)
{
    const QStringList wanted = names.isEmpty() ? openedAgentNames(m_env) : names;
    for (const QString& name : wanted) {
        if (!openAgent(name, err))
            return false;
    }
    return true;
}

TElement* elementArg(HomeStore& home, const QString& agentName, const QString& path, QTextStream& err)
{
    TElement* agent = home.openAgent(agentName, err);
    if (!agent)
        return nullptr;
    TElement* e = findElementArg(*agent, path);
    if (!e)
        err << "Élément introuvable dans l'agent " << agent->GetName() << " : " << path << '\n';
    return e;
}

} // namespace glanix::cli
