#include "agents/AgentFile.h"

#include "agents/FolderChooser.h"
#include "agents/NetscapeAgent.h"
#include "config/Env.h"
#include "config/IniFile.h"
#include "config/UserPrompt.h"
#include "store/ElementStore.h"
#include "store/FileOps.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace glanix {

namespace {

constexpr QStringView kGlanix = u"Glanix";

QString tr(const char* text)
{
    return QCoreApplication::translate("Agents", text);
}

// A folder as stored in an agent file: Windows separators turned into ours, trailing
// separators dropped.
QString bareFolder(QString value)
{
    value = value.trimmed();
    value.replace(u'\\', u'/');
    while (value.size() > 1 && value.endsWith(u'/'))
        value.chop(1);
    return value;
}

QString folderValue(const QString& stored, const QString& favoritesFolder)
{
    QString value = bareFolder(stored);
    if (value.compare(u"favorites", Qt::CaseInsensitive) == 0)
        value = favoritesFolder;
    if (value.isEmpty())
        return value;
    return value.endsWith(u'/') ? value : value + u'/';
}

// Relative paths would depend on the folder the program was started from.
bool folderExists(const QString& folder)
{
    return !folder.isEmpty() && QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir();
}

// A folder of the agent as the check sees it: existing, and not a root such as "/" or "/a".
bool usableFolder(const QString& folder)
{
    return folder.size() >= 5 && folderExists(folder);
}

QString withOneSlash(const QString& folder)
{
    const QString bare = bareFolder(folder);
    return bare.isEmpty() ? bare : bare + u'/';
}

QString parentFolder(const QString& folder)
{
    return QFileInfo(bareFolder(folder)).absolutePath();
}

void tell(const AgentDialogs& dialogs, const QString& message, QString* error)
{
    if (dialogs.prompt)
        dialogs.prompt->warn(message);
    if (error)
        *error = message;
}

QString chooseFolder(const AgentDialogs& dialogs, const QString& title, const QString& start)
{
    return dialogs.folders ? dialogs.folders->chooseFolder(title, start) : QString();
}

void saveAgentIni(IniFile& ini, Env& env)
{
    if (const WriteResult r = ini.save(); !r.ok) {
        env.logError(r.error);
        ini.discardChanges();
    }
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

QString agentChildsFolder(const QString& agentFile, const QString& favoritesFolder, UserPrompt* prompt)
{
    if (!QFileInfo(agentFile).isFile()) {
        if (prompt)
            prompt->warn(tr("Agent %1 introuvable").arg(QFileInfo(agentFile).fileName()));
        return {};
    }
    const IniFile ini(agentFile);
    return folderValue(ini.readString(kGlanix, u"DirChilds"), favoritesFolder);
}

QString agentDownloadFolder(const QString& agentFile, const QString& favoritesFolder, Env& env)
{
    if (!QFileInfo(agentFile).isFile())
        return {};
    IniFile ini(agentFile);
    QString dl = folderValue(ini.readString(kGlanix, u"SaveFileName"), favoritesFolder);
    if (!dl.isEmpty())
        return dl;
    const QString favs = folderValue(ini.readString(kGlanix, u"DirChilds"), favoritesFolder);
    if (favs.isEmpty())
        return {};
    const IniFile defaults(favs + QStringLiteral("GlanixDefault.ini"));
    dl = folderValue(defaults.readString(kGlanix, u"SaveFileName"), favoritesFolder);
    if (!dl.isEmpty()) {
        ini.writeString(kGlanix, u"SaveFileName", dl);
        saveAgentIni(ini, env);
    }
    return dl;
}

bool writeAgentFile(const QString& agentFile, const QString& favs, const QString& dl, Env& env)
{
    IniFile ini(agentFile);
    ini.writeString(kGlanix, u"DirChilds", withOneSlash(favs));
    ini.writeString(kGlanix, u"SaveFileName", withOneSlash(dl));
    const WriteResult r = ini.save();
    if (!r.ok) {
        env.logError(r.error);
        ini.discardChanges();
    }
    return r.ok;
}

bool checkAgentFolders(const QString& agentFile, Env& env, const QString& favoritesFolder,
                       const AgentDialogs& dialogs, QString* error)
{
    const QString fileName = QFileInfo(agentFile).fileName();
    if (!QFileInfo(agentFile).isFile()) {
        if (error)
            *error = tr("Agent %1 introuvable").arg(fileName);
        return false;
    }
    IniFile ini(agentFile);
    const QString storedF = ini.readString(kGlanix, u"DirChilds");
    QString f = folderValue(storedF, favoritesFolder);
    QString d = folderValue(ini.readString(kGlanix, u"SaveFileName"), favoritesFolder);
    if (d.isEmpty() && usableFolder(f)) {
        // Older agent files kept the download folder beside the shortcuts.
        const IniFile defaults(f + QStringLiteral("GlanixDefault.ini"));
        d = folderValue(defaults.readString(kGlanix, u"SaveFileName"), favoritesFolder);
    }

    if (!usableFolder(f)) {
        const QString besideD = parentFolder(d) + QStringLiteral("/Favs/");
        if (usableFolder(d) && folderExists(besideD)) {
            f = besideD;
        } else {
            tell(dialogs,
                 tr("Le sous-répertoire \"Favs\" de l'agent %1 est introuvable.").arg(fileName)
                     + QStringLiteral("\r\r") + tr("Veuillez indiquer son chemin"),
                 error);
            const QString chosen = chooseFolder(
                dialogs, tr("Indiquez l'emplacement du répertoire \"Favs\"\rde l'agent ") + fileName, f);
            if (!chosen.isEmpty())
                f = withOneSlash(chosen);
        }
        if (!f.isEmpty())
            ini.writeString(kGlanix, u"DirChilds", withOneSlash(f));
    }

    if (usableFolder(f) && !usableFolder(d)) {
        const QString besideF = parentFolder(f) + QStringLiteral("/DL/");
        if (folderExists(besideF)) {
            d = besideF;
        } else {
            tell(dialogs,
                 tr("Le sous-répertoire \"DL\" de l'agent %1 est introuvable.").arg(fileName)
                     + QStringLiteral("\r\r") + tr("Veuillez indiquer son chemin"),
                 error);
            const QString chosen = chooseFolder(
                dialogs, tr("Indiquez l'emplacement du répertoire \"DL\"\r de l'agent ") + fileName, d);
            if (!chosen.isEmpty()) {
                if (QFileInfo(bareFolder(chosen)).fileName() == QLatin1String("DL")) {
                    d = withOneSlash(chosen);
                } else {
                    tell(dialogs, tr("Le chemin que vous avez indiqué\rne contient pas le répertoire \"DL\""),
                         error);
                    d.clear();
                }
            }
        }
        if (!d.isEmpty())
            ini.writeString(kGlanix, u"SaveFileName", withOneSlash(d));
    }

    if (!f.isEmpty() && withOneSlash(f) == withOneSlash(d)) {
        tell(dialogs,
             tr("Les 2 répertoires \"Favs\" et \"DL\" correspondant à un agent\rne peuvent être identiques"),
             error);
        ini.writeString(kGlanix, u"DirChilds", QString());
        ini.writeString(kGlanix, u"SaveFileName", QString());
        saveAgentIni(ini, env);
        return false;
    }
    saveAgentIni(ini, env);
    const bool ok = usableFolder(f) && usableFolder(d);
    if (!ok && error && error->isEmpty())
        *error = tr("Le sous-répertoire \"%1\" de l'agent %2 est introuvable.")
                     .arg(usableFolder(f) ? QStringLiteral("DL") : QStringLiteral("Favs"), fileName);
    return ok;
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
    folders.favs = folderValue(ini.readString(kGlanix, u"DirChilds"), favoritesFolder);
    folders.dl = folderValue(ini.readString(kGlanix, u"SaveFileName"), favoritesFolder);
    if (!folderExists(folders.favs))
        return fail(tr("Le sous-répertoire \"Favs\" de l'agent %1 est introuvable.").arg(info.fileName()));
    if (!folderExists(folders.dl))
        return fail(tr("Le sous-répertoire \"DL\" de l'agent %1 est introuvable.").arg(info.fileName()));
    if (QDir::cleanPath(folders.favs) == QDir::cleanPath(folders.dl))
        return fail(
            tr("Les 2 répertoires \"Favs\" et \"DL\" correspondant à un agent\rne peuvent être identiques"));
    return true;
}

TElement* findOpenAgent(const ElementStore& store, const QString& name)
{
    const ElementTree& tree = store.tree();
    for (int i = 0; i < tree.topLevelCount(); ++i) {
        TElement* e = tree.topLevel(i)->element();
        if (e && e->Kind == kindAgent && e->GetName() == name)
            return e;
    }
    return nullptr;
}

TElement* openAgent(ElementStore& store, const QString& agentFile, const AgentDialogs& dialogs,
                    QString* error)
{
    const QString path = QFileInfo(agentFile).absoluteFilePath();
    const QString name = agentName(path);
    if (TElement* open = findOpenAgent(store, name))
        return open;
    Env& env = store.env();
    if (!checkAgentFolders(path, env, store.favoritesFolder(), dialogs, error))
        return nullptr;
    AgentFolders folders;
    folders.favs = agentChildsFolder(path, store.favoritesFolder());
    folders.dl = agentDownloadFolder(path, store.favoritesFolder(), env);

    auto* agent = new TElement(store);
    agent->SetHasExt(true);
    agent->Kind = kindAgent;
    agent->SetParent(store.RootElement());
    agent->SetName(name);
    agent->SetDirChilds(folders.favs);
    agent->SetFileName(folders.dl);
    store.tree().addTopLevel(agent->GetName(), agent);
    agent->Load();
    agent->LoadChildren(2);
    // What a killed run was writing when it died.
    RemoveStrayTemporaryFiles(folders.dl);
    if (!isInsideFolder(folders.favs, folders.dl))
        RemoveStrayTemporaryFiles(folders.favs);
    // Its children are read first, so that the bookmark element found on disk is the one
    // refreshed rather than a second one made beside it.
    if (name == QLatin1String("Netscape"))
        refreshNetscapeAgent(*agent, dialogs.bookMarkFileName);
    store.openAgents().append(path);
    return agent;
}

QStringList openedAgentNames(const Env& env)
{
    const IniFile ini(env.iniFileName());
    QStringList names;
    for (int i = 1;; ++i) {
        const QString name = ini.readString(u"OpenedAgents", QStringLiteral("Agent") + QString::number(i));
        if (name.isEmpty())
            break;
        names << name;
    }
    return names;
}

} // namespace glanix
