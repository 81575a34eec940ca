#pragma once

#include <QString>
#include <QStringList>

// What Glanix installs in its home: the folders of the three default agents (shipped with the
// program, copied into the home under "NAME" + "New" so that a user's own folders stay
// untouched, then renamed into place at start-up), the default agent files written at the
// very first start, and the desktop entry that puts Glanix in the desktop's menus.
namespace glanix {

class Env;
class ElementStore;
class TElement;
struct AgentDialogs;

// The default agents' folders, as their agent files name them.
QStringList defaultAgentFolders();

// Copies the shipped folders into the home as "<folder>New", once per program version (the
// equivalent of an installation). Failures are ignored.
void installDefaultFolders(Env& env);

// A "<folder>New" of the home replaces a missing "<folder>", or is deleted when "<folder>"
// exists. Failures are ignored.
void renameFreshDefaultFolders(const QString& home);

// Writes the three default agent files and opens "Agent de Base", selecting its first node
// named "Glanix" (else its first node). Returns that agent, or null when it cannot open.
TElement* createDefaultAgents(ElementStore& store, const AgentDialogs& dialogs);

// Writes glanix.desktop into `applicationsDir` (made when missing), starting `command` (the
// program and its arguments, quoted as the desktop entry format asks).
bool writeDesktopEntry(const QString& applicationsDir, const QStringList& command, Env& env);

// $XDG_DATA_HOME/applications, by default ~/.local/share/applications.
QString userApplicationsDir();

} // namespace glanix
