#include "agents/AgentCommands.h"

#include "agents/AgentFile.h"
#include "agents/MainWindowPort.h"
#include "agents/Navigation.h"
#include "agents/ViewWindows.h"
#include "config/Env.h"
#include "config/OptGene.h"
#include "config/UserPrompt.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("AgentCommands", text);
}

} // namespace

AgentCommands::AgentCommands(ElementStore& store, TOptGene& opt, UserPrompt& prompt, FolderChooser& folders,
                             ViewWindows& views, NavigationHistory& navigation, MainWindowPort* port)
    : m_store(store)
    , m_opt(opt)
    , m_prompt(prompt)
    , m_folders(folders)
    , m_views(views)
    , m_navigation(navigation)
    , m_port(port)
{
}

TElement* AgentCommands::open(const QString& nameOrPath)
{
    const QString file = agentFilePath(m_store.env().home(), nameOrPath);
    if (!QFileInfo(file).isFile())
        return nullptr;
    AgentDialogs dialogs {&m_prompt, &m_folders, m_opt.BookMarkFileName};
    return openAgent(m_store, file, dialogs);
}

QStringList AgentCommands::closedAgents() const
{
    const QStringList files
        = QDir(m_store.env().home()).entryList({QStringLiteral("*.gnx")}, QDir::Files | QDir::Readable);
    QStringList names;
    for (const QString& file : files) {
        const QString name = agentName(file);
        if (!findOpenAgent(m_store, name))
            names << name;
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    return names;
}

QString AgentCommands::savedInHint(const QString& name) const
{
    const QString dl = agentDownloadFolder(agentFilePath(m_store.env().home(), name),
                                           m_store.favoritesFolder(), m_store.env());
    QString folder = dl;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return tr("Agent sauvé dans\r") + (folder.isEmpty() ? QString() : QFileInfo(folder).absolutePath());
}

void AgentCommands::openSeveral(const QStringList& names)
{
    TElement* last = nullptr;
    for (const QString& name : names) {
        if (TElement* agent = open(name))
            last = agent;
    }
    if (last && m_port)
        m_port->selectNode(last->Node());
    if (m_port)
        m_port->updateCommands();
}

void AgentCommands::openAll()
{
    const QStringList names = closedAgents();
    if (names.isEmpty()) {
        m_prompt.inform(tr("Tous les agents existants sont ouverts"));
        return;
    }
    openSeveral(names);
}

void AgentCommands::closeViewsOf(TElement* agent)
{
    Env& env = m_store.env();
    for (int i = m_views.count() - 1; i >= 0; --i) {
        if (i >= m_views.count())
            continue;
        ViewWindow* w = m_views.at(i);
        const int type = w->kind();
        if (type <= 0) {
            env.logError(QStringLiteral("Tag = 0 !!!"));
            continue;
        }
        TElement* shown = w->element();
        if (shown && shown->GetAgent() == agent) {
            const int before = m_views.count();
            w->closeWindow();
            if (m_views.count() == before)
                env.logError(QStringLiteral("Close error - Tag = %1").arg(type));
        } else if (!shown && type == wtList) {
            w->removeRowsOfAgent(agent);
        }
    }
}

void AgentCommands::removeFromOpened(const QString& name)
{
    // Exact names: closing "Start" must not drop "Start2" from the list.
    QStringList& opened = m_store.openAgents();
    opened.removeIf([&](const QString& file) { return agentName(file) == name; });
}

void AgentCommands::close(TElement* element)
{
    TElement* agent = element ? element->GetAgent() : nullptr;
    if (!agent || agent->Kind != kindAgent || !agent->Node())
        return;
    TreeNode* node = agent->Node();
    if (m_port) {
        TreeNode* next = node->nextSibling() ? node->nextSibling() : node->prevSibling();
        m_port->selectNode(next);
    }
    closeViewsOf(agent);
    removeFromOpened(agent->GetName());
    m_navigation.forgetAgent(agent);
    node->deleteNode();
    if (m_port) {
        m_port->updateCommands();
        if (m_views.count() == 0)
            m_port->focusTree();
    }
}

void AgentCommands::closeAll()
{
    for (int i = m_views.count() - 1; i >= 0; --i) {
        if (i < m_views.count())
            m_views.close(i);
    }
    // A view busy with a page may take a moment to go; it is not waited for forever.
    QDeadlineTimer deadline(5000);
    while (m_views.count() > 0 && !deadline.hasExpired()) {
        if (m_port)
            m_port->processEvents();
        QThread::msleep(10);
    }
    if (m_views.count() > 0)
        m_store.env().logError(QStringLiteral("Opt.ListWindows.Count = %1").arg(m_views.count()));
    if (m_port)
        m_port->selectNode(nullptr);
    m_store.closeAll();
    m_navigation.clear();
    if (m_port) {
        m_port->updateCommands();
        m_port->focusTree();
    }
}

} // namespace glanix
