#include "agents/TreeCommands.h"

#include "agents/AgentFile.h"
#include "agents/NewAgent.h"
#include "config/Confirmations.h"
#include "config/Env.h"
#include "config/UserPrompt.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/TElement.h"
#include "store/TreeNode.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TreeCommands", text);
}

// The agent's own file (NAME.gnx), as it was opened.
QString agentFileOf(ElementStore& store, TElement& agent)
{
    for (const QString& f : store.openAgents()) {
        if (agentName(f) == agent.GetName())
            return f;
    }
    return agentFilePath(store.env().home(), agent.GetName());
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
    if (e.Kind == kindAgent && isFavorite(e))
        return removeFavoriteAgent(e);
    const QString name = e.GetName();
    if (isFavorite(e)) {
        const QString text = tr("Attention\r") + name + u'\r'
            + tr("fait partie des favoris d'Internet Explorer.") + u'\r'
            + tr("Si vous l'effacez ici, il sera effacé aussi dans IE.") + u'\r' + tr("Êtes-vous sûr ?");
        if (!askConfirmation(m_store.env(), m_prompt, text, QStringLiteral("OnIEDelete")))
            return false;
    }
    bool keepContent = false;
    if (e.Kind != kindImageGroup && e.Node()->hasChildren()) {
        const UserPrompt::Button answer = m_prompt.ask(
            UserPrompt::Icon::Question,
            tr("Vous allez effacer ") + name + u'\r' + tr("Voulez-vous aussi effacer son contenu ?"),
            UserPrompt::Yes | UserPrompt::No | UserPrompt::Cancel, UserPrompt::Cancel);
        if (answer == UserPrompt::Cancel)
            return false;
        keepContent = answer == UserPrompt::No;
    } else if (!m_prompt.yesNo(tr("Vous allez effacer ") + name + u'\r' + tr("Etes-vous sûr ?"),
                               UserPrompt::No)) {
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
    const QString agentFile = e.Kind == kindAgent ? agentFileOf(m_store, e) : QString();
    QString above;
    if (e.Kind == kindAgent && e.GetSavePath().size() > 1)
        above = QFileInfo(e.GetSavePath().chopped(1)).path();
    e.Delete(true);
    if (!agentFile.isEmpty()) {
        RemoveFile(agentFile);
        if (!above.isEmpty())
            RemoveDirIfEmpty(above);
        m_store.openAgents().removeIf([&](const QString& f) { return agentName(f) == agentName(agentFile); });
    }
    return true;
}

bool TreeCommands::removeFavoriteAgent(TElement& agent)
{
    if (!m_prompt.yesNo(
            tr("Cet agent va être effacé pour Glanix,\ret les URLs invisibles d'Internet Explorer\r"
               "vont être supprimés (les images et les raccourcis à l'intérieur d'autres raccourcis)."
               "\rPar contre, Glanix enlèvera seulement les informations le concernant\r"
               "des raccourcis visibles dans IE, sans les effacer.\rÊtes-vous sûr ?"),
            UserPrompt::No))
        return false;
    agent.LoadChildren(1000);
    // Deepest first: a page deleted takes what it holds, a shortcut reset keeps its file.
    std::function<void(TreeNode*)> clean = [&](TreeNode* node) {
        for (int i = node->childCount() - 1; i >= 0; --i) {
            TElement* child = node->child(i)->element();
            if (!child) {
                node->child(i)->deleteNode();
            } else if (isFavorite(*child)) {
                if (child->Node())
                    clean(child->Node());
                child->Reinit();
            } else if (child->Kind != kindImageGroup) {
                child->Delete(true);
            }
        }
    };
    clean(agent.Node());
    const QString agentFile = agentFileOf(m_store, agent);
    const QString save = agent.GetSavePath();
    RemoveFile(agent.GetChildsPath() + QStringLiteral("GlanixDefault.ini"));
    if (!save.isEmpty()) {
        RemoveFile(save + QStringLiteral("GlanixDefault.ini"));
        RemoveDirIfEmpty(save);
        if (save.size() > 1)
            RemoveDirIfEmpty(QFileInfo(save.chopped(1)).path());
    }
    RemoveFile(agentFile);
    if (m_closeAgent)
        m_closeAgent(&agent);
    m_store.openAgents().removeIf([&](const QString& f) { return agentName(f) == agentName(agentFile); });
    return true;
}

int TreeCommands::removeSeveral(const QList<TElement*>& elements)
{
    if (elements.isEmpty())
        return 0;
    if (!m_prompt.yesNo(tr("Vous allez effacer les éléments sélectionnés\rainsi que tout leur contenu.\r"
                           "Êtes-vous sûr ?"),
                        UserPrompt::No))
        return -1;
    // A row inside another selected row goes with it: it must not be reached once freed, so
    // everything is worked out before the first deletion.
    QList<std::pair<TElement*, int>> roots; // with how many selected rows each takes along
    for (TElement* e : elements) {
        if (!e || !e->Node())
            continue;
        bool inside = false;
        int below = 0;
        for (TElement* other : elements) {
            if (!other || other == e || !other->Node())
                continue;
            inside = inside || other->Node()->isAncestorOf(e->Node());
            below += e->Node()->isAncestorOf(other->Node()) ? 1 : 0;
        }
        const bool twice
            = std::any_of(roots.begin(), roots.end(), [e](const auto& r) { return r.first == e; });
        if (!inside && !twice && e->Kind != kindRoot && e->Kind != kindAgent)
            roots.append({e, below});
    }
    int deleted = 0;
    for (auto [e, below] : roots) {
        e->LoadChildren(1000);
        e->Delete(true);
        deleted += 1 + below;
    }
    return deleted;
}

bool TreeCommands::canDrop(const QList<TElement*>& dragged, const TElement& target)
{
    if (dragged.isEmpty() || !target.Node() || target.Kind == kindRoot || target.isImageOrGroup())
        return false;
    if (target.Kind == kindAgent && target.GetName() == QLatin1String("Netscape"))
        return false;
    const bool container = target.Kind == kindAgent || target.Kind == kindFolder;
    for (const TElement* e : dragged) {
        if (!e || !e->Node() || e == &target || e->Node()->isAncestorOf(target.Node()))
            return false;
        if (e->Parent() == &target)
            return false;
        if (e->Kind == kindFolder ? !container : !e->isAddressOrPage())
            return false;
    }
    return true;
}

QList<TElement*> TreeCommands::move(const QList<TElement*>& dragged, TElement& target)
{
    if (!canDrop(dragged, target))
        return {};
    const bool targetFavorite = isFavorite(target) && !target.isAddressOrPage();
    bool favorite = false;
    for (TElement* e : dragged)
        favorite = favorite || isFavorite(*e);
    if (favorite && !targetFavorite
        && !m_prompt.yesNo(
            tr("L'élément que vous déplacez est un favori d'IE.\rLà où vous voulez l'avez lâché,\r"
               "il sera invisible d'IE.\rÊtes-vous certain de vouloir l'y déplacer ?"),
            UserPrompt::No))
        return {};
    QList<TElement*> moved;
    for (TElement* e : dragged) {
        if (e->MoveTo(target.Node()))
            moved << e;
    }
    return moved;
}

} // namespace glanix
