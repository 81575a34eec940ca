#pragma once

#include <QString>
#include <optional>

// Making agents and addresses: what the new-agent wizard proposes and refuses on each page,
// what its finish creates, and adding an address as "Nouveau site" does. The wizard's pages
// and glanix-cli (new-agent, add) both come through here, so the rules are the same.
namespace glanix {

class ElementStore;
class Settings;
class TElement;
class UserPrompt;

// --- Wizard pages -----------------------------------------------------------------------

// "Agent " and the smallest number from 1 that no agent file of the home uses.
QString proposeAgentName(const QString& home);
// Why the name cannot be used ("Un agent portant ce nom existe déjà", ...), or "".
QString agentNameError(const QString& home, const QString& name);

// HOME/NAME, or HOME/NAME followed by the smallest number from 1 that is not a folder yet.
QString proposeAgentFolder(const QString& home, const QString& name);

// The folder page's "Suivant": `folder` loses a trailing "/" (a relative one is taken in the
// home); an existing folder is warned about, refused when it lies inside an agent's download
// folder, and asked about when it is an agent's own. False: the page stays.
bool acceptAgentFolder(QString& folder, const QString& home, UserPrompt& prompt);

// The first page's address: "" refused with "Vous n'avez pas renseigné l'adresse" (in
// `error`), else the address with its scheme.
std::optional<QString> acceptAgentAddress(const QString& address, QString* error = nullptr);

// --- Finishing ----------------------------------------------------------------------------

enum class AgentStart { Folder, Netscape, Address, Favorites };

struct NewAgentChoice {
    AgentStart start = AgentStart::Address;
    QString name;
    QString folder; // where the agent's Favs and DL go
    // Favorites: the favourites folder or the part of it chosen.
    QString favoritesFolder;
    // Netscape: the bookmark file chosen.
    QString bookmarkFile;
    // Address: the address (with its scheme) and its options.
    QString address;
    bool downLoadImages = true;
    int depth = 0;
    bool sameServer = true;
    QString includeMask;
    QString excludeMask;
    // The agent's refresh policy (a `Frequency` code).
    double frequency = 0;
};

// Creates the agent as the wizard's finish does: element and node, folders, its
// GlanixDefault.ini, the agent file, its place among the open agents; then the first address
// or the bookmark copy. The new address, else the agent, is selected. `settings` keeps the
// bookmark file chosen. Null, with `error`, when the agent cannot be written.
TElement* createAgent(ElementStore& store, const NewAgentChoice& choice, Settings* settings,
                      QString* error = nullptr);

// --- Addresses ------------------------------------------------------------------------------

struct NewAddress {
    QString url; // given its scheme when it has none
    QString name; // as typed; empty: "Nouvelle adresse " (a provisional name)
    std::optional<double> frequency;
    std::optional<bool> downLoadImages;
    std::optional<int> depth;
    bool sameServer = false; // link prefix: the server part, else none ("Suivre tous les liens")
    std::optional<QString> includeMask;
    std::optional<QString> excludeMask;
};

// Adds an address under `parent` (a linked page under an address or a page), named uniquely
// among its siblings, with a node, saved. Options not given are taken as the parent has them.
TElement* addAddress(TElement& parent, const NewAddress& wanted);

// The element at a path of names under the agent ("Docs/Presse"), reading folders as it
// goes; the agent itself for an empty path; null when a name is missing.
TElement* elementAtPath(TElement& agent, const QString& path);

} // namespace glanix
