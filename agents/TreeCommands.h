#pragma once

#include <QList>
#include <QString>
#include <functional>

// The tree's editing commands without their widgets: new address, new folder, rename,
// activate, delete (with every question), the address to copy. The window calls them on the
// current element and does what follows on screen (selecting, editing a node's text, the
// properties dialog); glanix-cli and the tests call them directly.
namespace glanix {

class ElementStore;
class TElement;
class UserPrompt;

class TreeCommands {
public:
    TreeCommands(ElementStore& store, UserPrompt& prompt);

    // "Nouvelle a&dresse": a provisional "Nouvelle adresse " under `current` (a linked page
    // under an address or a page), saved; its address comes from the properties dialog.
    TElement* newAddress(TElement& current);
    // "Nouveau dossier" under an agent or a folder (else beside the current element).
    TElement* newFolder(TElement& current);

    // Agents (named by their file), images and image groups keep their names.
    static bool canRename(const TElement& element);
    // The element takes the name with its files; false when refused or unchanged.
    bool rename(TElement& element, const QString& name);

    // "&Activer" / "Désactiver": the caption the command shows for the element.
    static QString activateCaption(const TElement& element);
    void toggleActive(TElement& element);

    // The element belongs to the browser's favourites folder (shared with an agent).
    bool isFavorite(TElement& element) const;
    // "&Supprimer" on one element, after its questions; false when nothing was deleted.
    // `element` is freed when true.
    bool remove(TElement& element);
    // Several rows of a list view, after one question; each goes with its content. Returns
    // how many were deleted, -1 when the user said No.
    int removeSeveral(const QList<TElement*>& elements);

    // What closes an agent once its own files are gone (the window's agent commands).
    void setAgentCloser(std::function<void(TElement*)> closer) { m_closeAgent = std::move(closer); }

    // Drag and drop: whether the dragged elements may land on `target`.
    static bool canDrop(const QList<TElement*>& dragged, const TElement& target);
    // Moves them under `target` with their files, after the question about a browser
    // favourite; returns those that moved (none when refused or answered No).
    QList<TElement*> move(const QList<TElement*>& dragged, TElement& target);

private:
    // An agent shared with the browser's favourites: the browser keeps its shortcuts.
    bool removeFavoriteAgent(TElement& agent);

    ElementStore& m_store;
    UserPrompt& m_prompt;
    std::function<void(TElement*)> m_closeAgent;
};

} // namespace glanix
