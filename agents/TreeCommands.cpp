#include "agents/TreeCommands.h"

#include "agents/AgentFile.h"
#include "agents/NewAgent.h"
#include "config/Confirmations.h"
#include "config/UserPrompt.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/TElement.h"
#include "store/TreeNode.h"

#include <QCoreApplication>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TreeCommands", text);
}

} // namespace

TreeCommands::TreeCommands(ElementStore& store, UserPrompt& prompt)
    : m_store(store)
    , m_prompt(prompt)
{
}

TElement* TreeCommands::newAddress(TElement& current)
{
    if (!current.HasExt() || current.Kind == kindRoot)
        return nullptr;
    return addAddress(current, {});
}

TElement* TreeCommands::newFolder(TElement& current)
{
    TElement* parent = &current;
    while (parent && parent->Kind != kindAgent && parent->Kind != kindFolder)
        parent = parent->Parent();
    if (!parent || !parent->Node())
        return nullptr;
    parent->LoadChildren(1);
    auto* e = new TElement(m_store);
    e->SetHasExt(true);
    e->Kind = kindFolder;
    e->SetParent(parent);
    e->SetName(UniqueSiblingName(tr("Nouveau dossier"), nullptr, parent->Node()));
    TreeNode* node = parent->Node()->addSorted(e->GetName(), e);
    if (!e->MakeFolder(e->GetSavePath()) || !e->Save()) {
        node->deleteNode();
        delete e;
        return nullptr;
    }
    return e;
}

bool TreeCommands::canRename(const TElement& e)
{
    return e.Kind != kindAgent && e.Kind != kindRoot && !e.isImageOrGroup();
}

bool TreeCommands::rename(TElement& e, const QString& name)
{
    const QString wanted = CleanName(name.trimmed());
    if (!canRename(e) || wanted.isEmpty() || wanted == e.GetName())
        return false;
    e.SetName(wanted);
    if (TreeNode* node = e.Node()) {
        node->setText(e.GetName());
        node->keepSorted();
    }
    e.Save();
    return true;
}

QString TreeCommands::activateCaption(const TElement& e)
{
    return e.IsActive() ? tr("Désactiver") : tr("&Activer");
}

void TreeCommands::toggleActive(TElement& e)
{
    e.SetActive(!e.IsActive());
    e.Save();
    std::function<void(TreeNode*)> refresh = [&](TreeNode* node) {
        node->notifyChanged();
        for (int i = 0; i < node->childCount(); ++i)
            refresh(node->child(i));
    };
    if (e.Node())
        refresh(e.Node());
}

bool TreeCommands::isFavorite(TElement& e) const
{
    const QString& favorites = m_store.favoritesFolder();
    if (favorites.isEmpty())
        return false;
    if (e.Kind == kindAgent || e.Kind == kindFolder)
        return e.GetChildsPath().contains(favorites);
    TElement* parent = e.Parent();
    if (parent && (parent->Kind == kindAgent || parent->Kind == kindFolder))
        return e.GetIniFileName().contains(favorites);
    return false;
}

bool TreeCommands::remove(TElement& e)
{
    if (e.Kind == kindRoot || !e.Node())
        return false;
    const QString name = e.GetName();
    if (isFavorite(e)) {
        const QString text = tr("Attention\r") + name + u'\r' + tr("fait partie des favoris d'Internet Explorer.")
            + u'\r' + tr("Si vous l'effacez ici, il sera effacé aussi dans IE.") + u'\r' + tr("Êtes-vous sûr ?");
        if (!askConfirmation(m_store.env(), m_prompt, text, QStringLiteral("OnIEDelete")))
            return false;
    }
    bool keepContent = false;
    if (e.Kind != kindImageGroup && e.Node()->hasChildren()) {
        const UserPrompt::Button answer
            = m_prompt.ask(UserPrompt::Icon::Question,
                           tr("Vous allez effacer ") + name + u'\r' + tr("Voulez-vous aussi effacer son contenu ?"),
                           UserPrompt::Yes | UserPrompt::No | UserPrompt::Cancel, UserPrompt::Cancel);
        if (answer == UserPrompt::Cancel)
            return false;
        keepContent = answer == UserPrompt::No;
    } else if (!m_prompt.yesNo(tr("Vous allez effacer ") + name + u'\r' + tr("Etes-vous sûr ?"), UserPrompt::No)) {
        return false;
    }
    if (e.Kind == kindImageGroup) {
        // The group goes with its images' files; the page stays.
        for (int i = e.Node()->childCount() - 1; i >= 0; --i) {
            if (TElement* image = e.Node()->child(i)->element())
                image->Delete(true);
        }
        return true;
    }
    e.LoadChildren(1000);
    if (keepContent && e.Kind != kindAgent && e.Parent() && e.Parent()->Node()) {
        // What it held stays, one level up, with its files.
        TreeNode* up = e.Parent()->Node();
        for (int i = e.Node()->childCount() - 1; i >= 0; --i) {
            TElement* child = e.Node()->child(i)->element();
            if (child && child->Kind != kindImageGroup)
                child->MoveTo(up);
        }
    }
    const QString agentFile = e.Kind == kindAgent ? e.GetIniFileName() : QString();
    e.Delete(true);
    if (!agentFile.isEmpty())
        m_store.openAgents().removeIf([&](const QString& f) { return agentName(f) == agentName(agentFile); });
    return true;
}

} // namespace glanix
