#pragma once

#include <QString>
#include <QStringList>

// The agent commands of the main window: open one agent (at start-up, from the "Ouvrir
// agents" dialog, after the wizard), open them all, close one or all. Closing takes
// everything of the agent out of the views, the open agents and the navigation lists before
// its elements are freed. Owned by MainController; the window's menu entries call it.
namespace glanix {

class ElementStore;
class FolderChooser;
class MainWindowPort;
class NavigationHistory;
class TElement;
class UserPrompt;
class ViewWindows;
struct TOptGene;

class AgentCommands {
public:
    AgentCommands(ElementStore& store, TOptGene& opt, UserPrompt& prompt, FolderChooser& folders,
                  ViewWindows& views, NavigationHistory& navigation, MainWindowPort* port);

    void setPort(MainWindowPort* port) { m_port = port; }

    // Opens the agent of a name or a .gnx path; nothing when its file is missing.
    TElement* open(const QString& nameOrPath);

    // Names of the agent files of the home that are not open, sorted.
    QStringList closedAgents() const;
    // "Agent sauvé dans\r" and the folder that holds the agent's download folder.
    QString savedInHint(const QString& name) const;
    // Opens the agents in order and selects the last one opened.
    void openSeveral(const QStringList& names);
    // "Ouvrir tous les agents"; "Tous les agents existants sont ouverts" when none is closed.
    void openAll();

    // The agent of the element, closed.
    void close(TElement* element);
    void closeAll();

private:
    void closeViewsOf(TElement* agent);
    void removeFromOpened(const QString& name);

    ElementStore& m_store;
    TOptGene& m_opt;
    UserPrompt& m_prompt;
    FolderChooser& m_folders;
    ViewWindows& m_views;
    NavigationHistory& m_navigation;
    MainWindowPort* m_port;
};

} // namespace glanix
