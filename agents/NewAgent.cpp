#include "agents/NewAgent.h"

#include "agents/AddressOptions.h"
#include "agents/AgentFile.h"
#include "agents/NetscapeAgent.h"
#include "config/Env.h"
#include "config/Settings.h"
#include "config/UserPrompt.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("NewAgent", text);
}

QString withoutSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

bool isDir(const QString& path)
{
    return QFileInfo(path).isDir();
}

bool makeFolder(const QString& folder, QString* error)
{
    if (QDir().mkpath(folder) && isDir(folder))
        return true;
    if (error)
        *error = tr("Impossible de créer le répertoire %1").arg(folder);
    return false;
}

} // namespace

QString proposeAgentName(const QString& home)
{
    for (int n = 1;; ++n) {
        const QString name = tr("Agent %1").arg(n);
        if (!QFileInfo::exists(agentFilePath(home, name)))
            return name;
    }
}

QString agentNameError(const QString& home, const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return tr("Vous n'avez pas renseigné le nom de l'agent");
    // The name is the agent file's name: it must stay one file in the home.
    if (!IsSafeFileName(trimmed + QStringLiteral(".gnx")) || trimmed.contains(u'\\')
        || trimmed.startsWith(u'.'))
        return tr("Ce nom ne peut pas servir de nom de fichier");
    if (QFileInfo::exists(agentFilePath(home, trimmed)))
        return tr("Un agent portant ce nom existe déjà");
    return {};
}

QString proposeAgentFolder(const QString& home, const QString& name)
{
    const QString base = withSlash(home) + name.trimmed();
    if (!QFileInfo::exists(base))
        return base;
    for (int n = 1;; ++n) {
        const QString candidate = base + QString::number(n);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

bool acceptAgentFolder(QString& folder, const QString& home, UserPrompt& prompt)
{
    QString f = folder.trimmed();
    f.replace(u'\\', u'/');
    if (f.isEmpty()) {
        prompt.warn(tr("Vous n'avez pas renseigné le répertoire"));
        return false;
    }
    if (QDir::isRelativePath(f))
        f = withSlash(home) + f;
    f = withoutSlash(QDir::cleanPath(f));
    folder = f;
    if (!QFileInfo::exists(f))
        return true;
    if (!isDir(f)) {
        prompt.warn(tr("%1 n'est pas un répertoire").arg(f));
        return false;
    }
    if (!isDir(f + QStringLiteral("/DL")) && !isDir(f + QStringLiteral("/Favs"))) {
        prompt.warn(tr("Attention ce répertoire existe déjà"));
        return true;
    }
    if (QFileInfo::exists(QFileInfo(f).absolutePath() + QStringLiteral("/GlanixDefault.ini"))) {
        prompt.warn(tr("Ce répertoire est déjà un sous-répertoire d'un agent existant.\rVous n'avez pas le "
                       "droit de l'utiliser pour un nouvel agent."));
        return false;
    }
    return prompt.yesNo(tr("Ce répertoire est celui d'un agent existant.\rÊtes-vous certain de vouloir "
                           "l'utiliser ?"),
                        UserPrompt::No);
}

std::optional<QString> acceptAgentAddress(const QString& address, QString* error)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty()) {
        if (error)
            *error = tr("Vous n'avez pas renseigné l'adresse");
        return std::nullopt;
    }
    return addScheme(trimmed);
}

TElement* createAgent(ElementStore& store, const NewAgentChoice& choice, Settings* settings, QString* error)
{
    Env& env = store.env();
    const QString name = choice.name.trimmed();
    const QString folder = withoutSlash(choice.folder);
    const QString dl = folder + QStringLiteral("/DL/");
    const QString favs = choice.start == AgentStart::Favorites
        ? withSlash(withoutSlash(choice.favoritesFolder))
        : folder + QStringLiteral("/Favs/");
    // Both folders exist from the start, so that the agent opens again without questions.
    if (!makeFolder(dl, error) || !makeFolder(favs, error))
        return nullptr;

    auto* agent = new TElement(store);
    agent->SetHasExt(true);
    agent->Kind = kindAgent;
    agent->SetParent(store.RootElement());
    agent->SetName(name);
    agent->SetDirChilds(favs);
    agent->SetFileName(dl);
    TreeNode* node = store.tree().addTopLevel(agent->GetName(), agent);
    agent->SetFrequency(choice.frequency);
    const QString agentFile = agentFilePath(env.home(), name);
    if (!agent->Save() || !writeAgentFile(agentFile, favs, dl, env)) {
        if (error)
            *error = tr("Impossible d'enregistrer l'agent %1").arg(name);
        node->deleteNode();
        return nullptr;
    }
    // An agent made on a folder that already held one reads what is there.
    agent->LoadChildren(2);
    store.openAgents().append(agentFile);

    TreeNode* selected = node;
    if (choice.start == AgentStart::Address) {
        NewAddress address;
        address.url = choice.address;
        address.name = QStringLiteral("Nouveau site ");
        address.downLoadImages = choice.downLoadImages;
        address.depth = choice.depth;
        address.sameServer = choice.sameServer;
        address.includeMask = choice.includeMask;
        address.excludeMask = choice.excludeMask;
        if (TElement* site = addAddress(*agent, address))
            selected = site->Node();
    } else if (choice.start == AgentStart::Netscape) {
        if (settings)
            settings->writeBookMarkFileName(choice.bookmarkFile);
        refreshNetscapeAgent(*agent, choice.bookmarkFile);
    }
    store.host().selectNode(selected);
    return agent;
}

TElement* addAddress(TElement& parent, const NewAddress& wanted)
{
    TreeNode* parentNode = parent.Node();
    if (!parentNode || !parent.HasExt())
        return nullptr;
    // Siblings on disk count too: a name already used would overwrite its file.
    parent.LoadChildren(1);
    ElementStore& store = parent.store();
    QString name
        = wanted.name.trimmed().isEmpty() ? QStringLiteral("Nouvelle adresse ") : CleanName(wanted.name);
    name = UniqueSiblingName(name, nullptr, parentNode);

    auto* e = new TElement(store);
    e->SetHasExt(true);
    e->Kind = parent.isAddressOrPage() ? kindPage : kindAddress;
    e->SetParent(&parent);
    e->SetName(name);
    TreeNode* node = parentNode->addSorted(e->GetName(), e);
    const QString url = addScheme(wanted.url.trimmed());
    e->SetURL(url);
    e->SetFrequency(wanted.frequency.value_or(parent.GetFrequency()));
    e->SetDownLoadImages(wanted.downLoadImages.value_or(parent.GetDownLoadImages()));
    e->SetDownLoadLinksDepth(wanted.depth.value_or(parent.GetDownLoadLinksDepth()));
    e->SetDownLoadLinksStart(wanted.sameServer ? ServerPart(url) : QString());
    e->SetIncludeMask(wanted.includeMask.value_or(parent.GetIncludeMask()));
    e->SetExcludeMask(wanted.excludeMask.value_or(parent.GetExcludeMask()));
    if (!e->Save()) {
        node->deleteNode();
        return nullptr;
    }
    return e;
}

TElement* elementAtPath(TElement& agent, const QString& path)
{
    TElement* at = &agent;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        at->LoadChildren(1);
        TreeNode* node = at->Node();
        TElement* found = nullptr;
        for (int i = 0; node && i < node->childCount() && !found; ++i) {
            TElement* child = node->child(i)->element();
            if (child && child->GetName() == part)
                found = child;
        }
        if (!found)
            return nullptr;
        at = found;
    }
    return at;
}

} // namespace glanix
