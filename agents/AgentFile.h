#pragma once

#include <QString>
#include <QStringList>

// The agent file NAME.gnx and opening an agent from it. The file names the agent's two
// folders: its shortcut folder (key DirChilds, one .url file per address) and its download
// folder (key SaveFileName, the stored documents and the agent's GlanixDefault.ini). Opening
// checks the two folders (repairing or asking for a missing one), builds the agent element as
// a top-level node of the store's tree and reads it two levels deep. Used by the main window,
// the new-agent wizard and glanix-cli.
namespace glanix {

class Env;
class ElementStore;
class FolderChooser;
class TElement;
class UserPrompt;

struct AgentFolders {
    QString favs; // shortcut folder, with a trailing "/"
    QString dl; // download folder, with a trailing "/"
};

// Who answers the questions of opening. Without a prompt nothing is asked: messages go to
// the caller's `error` and a missing folder is only repaired when it can be found alone.
struct AgentDialogs {
    UserPrompt* prompt = nullptr;
    FolderChooser* folders = nullptr;
    // The bookmark file the agent "Netscape" follows (General/BookMarkFileName).
    QString bookMarkFileName;
};

// The agent file of `nameOrPath` as it is meant: a path to a .gnx file as given, else
// HOME/NAME.gnx (a trailing ".gnx" on a bare name is allowed).
QString agentFilePath(const QString& home, const QString& nameOrPath);

// The agent's name: the agent file's base name.
QString agentName(const QString& agentFile);

// The shortcut folder the agent file names ("favorites" in any case is the browser's
// favourites folder), with a trailing "/". A missing agent file shows "Agent NAME.gnx
// introuvable" when there is a prompt, and gives "".
QString agentChildsFolder(const QString& agentFile, const QString& favoritesFolder,
                          UserPrompt* prompt = nullptr);

// The download folder the agent file names, with a trailing "/". An older agent file without
// one takes it from the GlanixDefault.ini of its shortcut folder, and keeps it.
QString agentDownloadFolder(const QString& agentFile, const QString& favoritesFolder, Env& env);

// Writes the agent file with its two folders (each with one trailing "/").
bool writeAgentFile(const QString& agentFile, const QString& favs, const QString& dl, Env& env);

// The check run on every opening: a missing shortcut folder is looked for beside the download
// folder, a missing download folder beside the shortcut folder, else the user is asked where
// it is; the agent file is rewritten with what was found. Fails when a folder is still missing
// or both are the same (their keys are then emptied).
bool checkAgentFolders(const QString& agentFile, Env& env, const QString& favoritesFolder,
                       const AgentDialogs& dialogs, QString* error = nullptr);

// Reads the two folders without repairing anything. False, with a French message in
// `error`, when the file or a folder is missing or both folders are the same.
bool readAgentFolders(const QString& agentFile, const QString& favoritesFolder, AgentFolders& folders,
                      QString* error = nullptr);

// Opens the agent: a new kindAgent element under RootElement with its node appended to the
// top-level nodes, read from its settings and its children two levels deep, and its name
// added to the open agents. An agent of that name already open is returned as it is. Null,
// with `error` set, when the file is missing or the folder check fails.
TElement* openAgent(ElementStore& store, const QString& agentFile, const AgentDialogs& dialogs = {},
                    QString* error = nullptr);

// The open agent of that name, or null.
TElement* findOpenAgent(const ElementStore& store, const QString& name);

// The agents open at the last shutdown (Glanix.ini, section OpenedAgents), in order.
QStringList openedAgentNames(const Env& env);

} // namespace glanix
