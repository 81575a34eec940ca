#include "agents/AgentFile.h"

#include "config/IniFile.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace glanix {

namespace {

QString folderValue(QString value, const QString& favoritesFolder)
{
    value = value.trimmed();
    value.replace(u'\\', u'/');
    while (value.size() > 1 && value.endsWith(u'/'))
        value.chop(1);
    if (value.compare(u"favorites", Qt::CaseInsensitive) == 0)
        value = favoritesFolder;
    if (value.isEmpty())
        return value;
    return value.endsWith(u'/') ? value : value + u'/';
}

QString tr(const char* text)
{
    return QCoreApplication::translate("Agents", text);
}

} // namespace

QString agentFilePath(const QString& home, const QString& nameOrPath)
{
    if (nameOrPath.contains(u'/')) {
        const QFileInfo info(nameOrPath);
        return info.absoluteFilePath();
    }
    QString name = nameOrPath;
    if (name.endsWith(QStringLiteral(".gnx"), Qt::CaseInsensitive))
        name.chop(4);
    return (home.endsWith(u'/') ? home : home + u'/') + name + QStringLiteral(".gnx");
}

QString agentName(const QString& agentFile)
{
    QString name = QFileInfo(agentFile).fileName();
    if (name.endsWith(QStringLiteral(".gnx"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

bool readAgentFolders(const QString& agentFile, const QString& favoritesFolder, AgentFolders& folders,
                      QString* error)
{
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    const QFileInfo info(agentFile);
    if (!info.isFile())
        return fail(tr("Agent %1 introuvable").arg(info.fileName()));
    if (!info.isReadable())
        return fail(tr("Agent %1 illisible").arg(info.fileName()));
    const IniFile ini(agentFile);
    folders.favs = folderValue(ini.readString(u"Glanix", u"DirChilds"), favoritesFolder);
    folders.dl = folderValue(ini.readString(u"Glanix", u"SaveFileName"), favoritesFolder);
    if (folders.favs.isEmpty() || !QFileInfo(folders.favs).isDir())
        return fail(tr("Le sous-répertoire \"Favs\" de l'agent %1 est introuvable.").arg(info.fileName()));
    if (folders.dl.isEmpty() || !QFileInfo(folders.dl).isDir())
        return fail(tr("Le sous-répertoire \"DL\" de l'agent %1 est introuvable.").arg(info.fileName()));
    if (QDir::cleanPath(folders.favs) == QDir::cleanPath(folders.dl))
        return fail(
            tr("Les 2 répertoires \"Favs\" et \"DL\" correspondant à un agent\nne peuvent être identiques"));
    return true;
}

TElement* openAgent(ElementStore& store, const QString& agentFile, QString* error)
{
    const QString path = QFileInfo(agentFile).absoluteFilePath();
    const QString name = agentName(path);
    ElementTree& tree = store.tree();
    if (store.openAgents().contains(path)) {
        for (int i = 0; i < tree.topLevelCount(); ++i) {
            TElement* e = tree.topLevel(i)->element();
            if (e && e->GetName() == name)
                return e;
        }
    }
    AgentFolders folders;
    if (!readAgentFolders(path, store.favoritesFolder(), folders, error))
        return nullptr;

    auto* agent = new TElement(store);
    agent->SetHasExt(true);
    agent->Kind = kindAgent;
    agent->SetParent(store.RootElement());
    agent->SetName(name);
    agent->SetDirChilds(folders.favs);
    agent->SetFileName(folders.dl);
    tree.addTopLevel(agent->GetName(), agent);
    agent->Load();
    agent->LoadChildren(2);
    store.openAgents().append(path);
    return agent;
}

} // namespace glanix
