#pragma once

#include <QString>

// Opening an agent from its agent file NAME.gnx: the file names the agent's two folders (its
// shortcut folder, key DirChilds, and its download folder, key SaveFileName); the agent
// element is built on them, attached as a top-level node of the store's tree and read two
// levels deep. Used by the main window and by glanix-cli.
namespace glanix {

class ElementStore;
class TElement;

struct AgentFolders {
    QString favs; // shortcut folder, with a trailing "/"
    QString dl; // download folder, with a trailing "/"
};

// The agent file of `nameOrPath` as it is meant: a path to a .gnx file as given, else
// HOME/NAME.gnx (a trailing ".gnx" on a bare name is allowed).
QString agentFilePath(const QString& home, const QString& nameOrPath);

// The agent's name: the agent file's base name.
QString agentName(const QString& agentFile);

// Reads the two folders. "favorites" (any case) names the browser favourites folder.
// Windows paths are turned into this system's ("\" becomes "/"). False, with a French
// message in `error`, when the file or a folder is missing or both folders are the same.
bool readAgentFolders(const QString& agentFile, const QString& favoritesFolder, AgentFolders& folders,
                      QString* error = nullptr);

// Opens the agent: a new kindAgent element under RootElement with its node appended to the
// top-level nodes, read from its settings and its children two levels deep. An agent
// already open is returned as it is. Null, with `error` set, when it cannot be opened.
TElement* openAgent(ElementStore& store, const QString& agentFile, QString* error = nullptr);

} // namespace glanix
