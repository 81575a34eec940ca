#pragma once

#include "app/cli/Cli.h"
#include "config/Env.h"
#include "config/UserPrompt.h"
#include "store/ElementStore.h"

#include <QList>
#include <QMap>

// What the commands share: splitting their options, a prompt that answers for nobody, and an
// element store opened on the home with the agents a command names.
namespace glanix::cli {

// "--option value" pairs and flags apart from the positional arguments.
struct Parsed {
    QStringList positional;
    QMap<QString, QString> options;
    QString error; // French, for the error stream

    bool has(const QString& option) const { return options.contains(option); }

    QString value(const QString& option) const { return options.value(option); }
};

Parsed parseArgs(const QStringList& args, const QStringList& withValue, const QStringList& flags);

// Messages go to the error stream; a question is answered no, since nobody is there to say
// yes.
class CliPrompt final : public UserPrompt {
public:
    explicit CliPrompt(QTextStream& err)
        : m_err(err)
    {
    }

    Button ask(Icon icon, const QString& text, unsigned buttons, Button defaultButton) override;
    bool confirm(const QString& text, const std::function<void(bool)>& dontAskAgainChanged) override;

private:
    QTextStream& m_err;
};

// The store's settings a command reads from Glanix.ini (images in the tree, favourites).
void prepareStore(ElementStore& store, const Env& env);

// An element store on the home with some agents open.
class HomeStore {
public:
    explicit HomeStore(const QString& home);

    Env& env() { return m_env; }

    ElementStore& store() { return m_store; }

    // Opens the named agents (names or .gnx paths; none: those open at the last shutdown).
    // False, with a French message on `err`, when one cannot be opened.
    bool openAgents(const QStringList& names, QTextStream& err);
    // One agent; null, with the message on `err`, when it cannot be opened.
    TElement* openAgent(const QString& name, QTextStream& err);

    const QList<TElement*>& agents() const { return m_agents; }

private:
    Env m_env;
    ElementStore m_store;
    QList<TElement*> m_agents;
};

// The element that AGENT and PATH name (PATH: the tree path below the agent, or an address
// when it contains "://"); null, with a French message on `err`, when there is none.
TElement* elementArg(HomeStore& home, const QString& agent, const QString& path, QTextStream& err);

} // namespace glanix::cli
