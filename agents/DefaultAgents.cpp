#include "agents/DefaultAgents.h"

#include "agents/AgentFile.h"
#include "config/AtomicFile.h"
#include "config/Env.h"
#include "config/IniFile.h"
#include "store/ElementStore.h"
#include "store/FileOps.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace glanix {

namespace {

const QString kResourceRoot = QStringLiteral(":/defaults/");
const QString kNewSuffix = QStringLiteral("New");

struct DefaultAgent {
    const char* name;
    const char* folder;
    bool opened;
};

constexpr DefaultAgent kDefaultAgents[] = {
    {"Agent de Base", "Start", true},
    {"Bonnes adresses", "Bonnes adresses", false},
    {"Smart addresses", "Smart addresses", false},
};

QString installedVersion()
{
    return QStringLiteral("Glanix/" GLANIX_VERSION);
}

// Copies a shipped folder; resource files come read-only, the copies must not.
bool copyResourceFolder(const QString& source, const QString& target)
{
    bool ok = QDir().mkpath(target);
    QDirIterator it(source, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(source.size());
        const QString out = target + relative;
        if (it.fileInfo().isDir()) {
            ok = QDir().mkpath(out) && ok;
            continue;
        }
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            ok = false;
            continue;
        }
        QDir().mkpath(QFileInfo(out).absolutePath());
        ok = writeFileAtomically(out, in.readAll(), false).ok && ok;
    }
    return ok;
}

// Reserved characters of the desktop entry's Exec key; see the freedesktop.org format.
QString quoteExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (QChar c : argument)
        quote = quote || reserved.contains(c);
    QString out;
    for (QChar c : argument) {
        if (c == u'%')
            out += QStringLiteral("%%");
        else if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            out += u'\\' + QString(c);
        else
            out += c;
    }
    if (quote)
        out = u'"' + out + u'"';
    // The value itself is a string of the file format, where a backslash is escaped again.
    return out.replace(u'\\', QStringLiteral("\\\\"));
}

} // namespace

QStringList defaultAgentFolders()
{
    QStringList folders;
    for (const DefaultAgent& agent : kDefaultAgents)
        folders << QString::fromUtf8(agent.folder);
    return folders;
}

void installDefaultFolders(Env& env)
{
    IniFile ini(env.iniFileName());
    if (ini.readString(u"General", u"InstalledVersion") == installedVersion())
        return;
    for (const QString& folder : defaultAgentFolders()) {
        const QString source = kResourceRoot + folder;
        const QString target = env.home() + folder + kNewSuffix;
        if (!QFileInfo(source).isDir() || PathExists(target))
            continue;
        if (!copyResourceFolder(source, target))
            DeleteTree(target);
    }
    ini.writeString(u"General", u"InstalledVersion", installedVersion());
    if (!ini.save().ok)
        ini.discardChanges();
}

void renameFreshDefaultFolders(const QString& home)
{
    const QString base = home.endsWith(u'/') ? home : home + u'/';
    for (const QString& folder : defaultAgentFolders()) {
        const QString fresh = base + folder + kNewSuffix;
        if (!DirectoryExists(fresh))
            continue;
        if (PathExists(base + folder))
            DeleteTree(fresh);
        else
            MoveFileOrDir(fresh, base + folder);
    }
}

TElement* createDefaultAgents(ElementStore& store, const AgentDialogs& dialogs)
{
    Env& env = store.env();
    TElement* opened = nullptr;
    for (const DefaultAgent& agent : kDefaultAgents) {
        const QString folder = env.home() + QString::fromUtf8(agent.folder);
        const QString favs = folder + QStringLiteral("/Favs/");
        const QString dl = folder + QStringLiteral("/DL/");
        // Shipped with the program; made empty if the copy went wrong, so that the agent opens.
        QDir().mkpath(favs);
        QDir().mkpath(dl);
        const QString file = agentFilePath(env.home(), QString::fromUtf8(agent.name));
        if (!writeAgentFile(file, favs, dl, env) || !agent.opened)
            continue;
        opened = openAgent(store, file, dialogs);
        if (!opened)
            continue;
        opened->Save();
        TreeNode* select = opened->Node();
        for (TreeNode* n = opened->Node()->firstChild(); n && opened->Node()->isAncestorOf(n);
             n = n->next()) {
            if (n->text() == QLatin1String("Glanix")) {
                select = n;
                break;
            }
        }
        if (select == opened->Node() && opened->Node()->hasChildren())
            select = opened->Node()->firstChild();
        store.host().selectNode(select);
    }
    return opened;
}

bool writeDesktopEntry(const QString& applicationsDir, const QStringList& command, Env& env)
{
    if (!QDir().mkpath(applicationsDir))
        return false;
    QStringList exec;
    for (const QString& argument : command)
        exec << quoteExecArgument(argument);
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Version=1.0\n"
                                        "Name=Glanix\n")
        + QStringLiteral("GenericName=%1\nComment=%2\n")
              .arg(QCoreApplication::translate("DefaultAgents", "Veille de pages web"),
                   QCoreApplication::translate("DefaultAgents",
                                               "Garde une copie des pages web et signale leurs changements"))
        + QStringLiteral("Exec=%1 %f\n").arg(exec.join(u' '))
        + QStringLiteral("Icon=web-browser\n"
                         "Terminal=false\n"
                         "Categories=Network;WebBrowser;\n"
                         "StartupNotify=true\n");
    const WriteResult r = writeFileAtomically(
        QDir(applicationsDir).filePath(QStringLiteral("glanix.desktop")), text.toUtf8());
    if (!r.ok)
        env.logError(r.error);
    return r.ok;
}

QString userApplicationsDir()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/applications");
}

} // namespace glanix
