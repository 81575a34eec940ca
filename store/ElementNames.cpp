// Names and places on disk of an element: renaming (and the files that follow), the address,
// the stored file's name, the child folder's name and the three paths derived from them.
#include "config/Env.h"
#include "config/IniFile.h"
#include "store/Addresses.h"
#include "store/ContentTypes.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/TElement.h"

#include <QFileInfo>

namespace glanix {

namespace {

// The last component of a path written with either separator.
QString fileNamePart(const QString& path)
{
    const qsizetype sep = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(sep + 1);
}

} // namespace

// --- Identity --------------------------------------------------------------------------

void TElement::SetName(const QString& name)
{
    if (m_name.isEmpty()) {
        // Names read from disk arrive here; only what could leave the folder is mended.
        const int limit = Kind == kindFolder || Kind == kindAgent ? kMaxFileNameBytes : kMaxFileNameBytes - 4;
        m_name = name.isEmpty() ? name : SafeFileName(name, limit);
        return;
    }
    QString n = CleanName(name);
    if (Kind == kindFolder) {
        n = n.trimmed();
        // A folder whose name starts with a dot would be hidden, and skipped when read back.
        if (n.startsWith(u'.'))
            n.prepend(u'_');
        FixReservedName(n);
        n = SafeFileName(n);
    }
    if (n == m_name)
        return;
    if (Kind == kindAgent) {
        ElementTree& tree = m_store->tree();
        for (int i = 0; i < tree.topLevelCount(); ++i) {
            TreeNode* node = tree.topLevel(i);
            if (node != m_node && node->text() == n) {
                n += u'~';
                i = -1;
            }
        }
    } else {
        n = UniqueSiblingName(n, m_node, m_parent ? m_parent->m_node : nullptr);
    }
    if (n == m_name)
        return;
    renameTo(n);
}

void TElement::renameTo(const QString& name)
{
    const QString oldName = m_name;
    const QString oldIni = GetIniFileName();
    const QString oldSave = GetSavePath();
    const QString oldChild = GetChildsPath();
    // Files waiting to be written where things move are written first, and nothing written
    // meanwhile may land behind the move.
    DeferredFileWriter& writer = m_store->writer();
    DeferredFileWriter::Immediate now(writer);
    writer.settle(oldIni);
    writer.settle(oldSave);
    writer.settle(oldChild);
    if (Kind == kindFolder && !oldIni.isEmpty())
        writer.settle(QFileInfo(oldIni).path());
    m_name = name;
    m_saveFileName.clear();

    switch (Kind) {
    case kindAddress:
    case kindPage:
    case kindImage: {
        const QString newSave = GetSavePath();
        if (!oldSave.isEmpty() && !newSave.isEmpty() && oldSave != newSave) {
            MoveFileOrDir(oldSave, newSave);
            moveFilesOfVersions(oldSave, newSave, 2);
        }
        const QString newChild = GetChildsPath();
        if (!oldChild.isEmpty() && !newChild.isEmpty() && oldChild != newChild)
            MoveFileOrDir(oldChild, newChild);
        if (Kind == kindImage) {
            // The image's sections carry its name: move them with it.
            if (m_parent && !oldIni.isEmpty()) {
                IniFile ini(oldIni, writer.pending(oldIni));
                const QStringList messages
                    = ini.sectionLines(QStringLiteral("GlanixImg Messages ") + oldName);
                ini.eraseSection(QStringLiteral("GlanixImg ") + oldName);
                ini.eraseSection(QStringLiteral("GlanixImg Messages ") + oldName);
                if (!messages.isEmpty())
                    ini.replaceSection(QStringLiteral("GlanixImg Messages ") + name, messages);
                SaveImage(ini);
                if (const WriteResult r = ini.save(); !r.ok) {
                    m_store->env().logError(r.error);
                    ini.discardChanges();
                }
            }
        } else {
            const QString newIni = GetIniFileName();
            if (!oldIni.isEmpty() && !newIni.isEmpty() && oldIni != newIni)
                MoveFileOrDir(oldIni, newIni);
            // The moved element file names the moved copy at once: a run killed before the
            // element's next save would leave it naming a file that is gone.
            if (oldSave != GetSavePath())
                recordSaveFileName();
        }
        break;
    }
    case kindAgent: {
        QStringList& agents = m_store->openAgents();
        bool found = false;
        for (qsizetype i = agents.size() - 1; i >= 0; --i) {
            const QFileInfo info(agents[i]);
            if (info.fileName().chopped(std::min<qsizetype>(4, info.fileName().size())) == oldName) {
                const QString renamed = info.absolutePath() + u'/' + name + QStringLiteral(".gnx");
                MoveFileOrDir(agents[i], renamed);
                agents[i] = renamed;
                found = true;
                break;
            }
        }
        if (!found)
            m_store->env().logError(QStringLiteral("Agent %1 introuvable dans ListeAgents").arg(name));
        break;
    }
    case kindFolder: {
        const QString newSave = GetSavePath();
        if (!oldSave.isEmpty() && !newSave.isEmpty() && oldSave != newSave)
            MoveFileOrDir(oldSave, newSave);
        const QString newChild = GetChildsPath();
        if (!oldChild.isEmpty() && !newChild.isEmpty() && oldChild != newChild)
            MoveFileOrDir(oldChild, newChild);
        const QString oldIniDir = QFileInfo(oldIni).path();
        const QString newIniDir = QFileInfo(GetIniFileName()).path();
        if (!oldIni.isEmpty() && oldIniDir != newIniDir)
            MoveFileOrDir(oldIniDir, newIniDir);
        break;
    }
    default:
        break;
    }
    if (m_node) {
        m_node->setText(m_name);
        m_node->keepSorted();
    }
    RecomputeDirs();
}

void TElement::moveFilesOfVersions(const QString& oldSavePath, const QString& newSavePath, int first)
{
    for (int n = first;; ++n) {
        const QString old = SaveFileNameVersionPrec(oldSavePath, n);
        if (!PathExists(old))
            break;
        MoveFileOrDir(old, SaveFileNameVersionPrec(newSavePath, n));
    }
}

void TElement::SetURL(const QString& url)
{
    if (url == m_url)
        return;
    if (m_store->env().isDebug() && !m_url.isEmpty() && url.isEmpty())
        m_store->env().logError(QStringLiteral("On vient de mettre une URL à 0 !!!"));
    if (GetLinksStartDefined()) {
        const QString start = GetDownLoadLinksStart();
        if (!start.isEmpty()) {
            const QString current = m_url.isEmpty() && m_parent ? m_parent->m_url : m_url;
            SetDownLoadLinksStart(start == ServerPart(current) ? ServerPart(url) : DirectoryPart(url));
        }
    }
    QString mended = url;
    mended.replace(u'\\', u'/');
    assignUrl(std::move(mended));
    LastVerified = 0;
    StatusNumber = 0;
}

void TElement::assignUrl(QString url)
{
    m_store->m_withExt.urlChanging(this, m_url, url);
    m_url = std::move(url);
}

// --- Places on disk --------------------------------------------------------------------

void TElement::SetFileName(const QString& name)
{
    if (Kind == kindAgent) {
        m_dlDir = withSlash(name);
        return;
    }
    QString n = fileNamePart(name);
    if (!n.isEmpty())
        n = SafeFileName(n, kMaxFileNameBytes - 16);
    if (n == m_saveFileName)
        return;
    if (m_saveFileName.isEmpty() || n.isEmpty()) {
        m_saveFileName = n;
        return;
    }
    const QString folder = Kind == kindPage || Kind == kindImage ? m_favsDir : m_dlDir;
    const QString old = folder + m_saveFileName;
    if (folder.isEmpty() || !PathExists(old)) {
        m_saveFileName = n;
        return;
    }
    DeferredFileWriter::Immediate now(m_store->writer());
    if (!MoveFileOrDir(old, folder + n))
        return;
    // Old versions belong to the document, whatever its file is called now.
    moveFilesOfVersions(old, folder + n, 2);
    if ((Kind == kindPage || Kind == kindImage) && m_store->env().isDebug())
        m_store->env().appendLine(QStringLiteral("Fichier Introuvables.txt"),
                                  QStringLiteral("f_FileName (%1) := s (%2)").arg(m_saveFileName, n));
    m_saveFileName = n;
    // At once, as for a rename: the element file must not name a copy that moved.
    recordSaveFileName();
}

void TElement::SetDirChilds(const QString& folder)
{
    if (Kind != kindAgent) {
        m_store->env().logError(QStringLiteral("SetDirChilds appelée par ") + m_name);
        return;
    }
    m_favsDir = withSlash(folder);
}

QString TElement::computeSaveFileName()
{
    const QString trimmed = m_name.trimmed();
    const QString wanted = ExtensionForType(ContentType, m_name, &m_store->knownTypes());
    const QString own = fileExtension(trimmed).trimmed().toLower();
    // "index.htm" stored as text/html stays "index.htm" even where the database prefers .html.
    const bool keep = own == wanted
        || (!own.isEmpty() && !ContentType.isEmpty() && extensionsOfType(ContentType).contains(own));
    QString base = keep ? trimmed : trimmed.toLower();
    QString ext = keep ? QString() : wanted;
    if (ext.toUtf8().size() > 32)
        ext.clear();
    const int room = kMaxFileNameBytes - 16 - static_cast<int>(ext.toUtf8().size());
    return SafeFileName(cutUtf8Bytes(base, room) + ext, kMaxFileNameBytes - 16);
}

QString TElement::GetSaveFileName()
{
    if (m_saveFileName.isEmpty() && Kind != kindAgent && Kind != kindRoot && Kind != kindImageGroup
        && !m_name.trimmed().isEmpty())
        m_saveFileName = computeSaveFileName();
    return m_saveFileName;
}

bool TElement::childFolderNameTaken(const QString& name) const
{
    const TreeNode* parentNode = m_parent ? m_parent->m_node : nullptr;
    if (!parentNode)
        return false;
    // Called for every sibling as a folder is read: no copy per comparison.
    for (int i = 0; i < parentNode->childCount(); ++i) {
        const TElement* e = parentNode->child(i)->element();
        if (!e || e == this || e->Kind == kindImageGroup)
            continue;
        const QString& other = e->Kind == kindFolder ? e->m_name : e->m_dirChilds;
        if (other.size() == name.size() && other.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString TElement::GetDirChilds()
{
    if (!m_dirChilds.isEmpty())
        return m_dirChilds;
    if (Kind == kindFolder) {
        m_dirChilds = m_name;
        return m_dirChilds;
    }
    if (!isAddressOrPage())
        return m_dirChilds;
    const QString file = GetSaveFileName();
    if (file.isEmpty())
        return {};
    const QString ext = fileExtension(file);
    QString name = cutChars(file.chopped(ext.size()), 4).trimmed();
    if (name.isEmpty())
        name = ext.trimmed();
    FixReservedName(name);
    name = SafeFileName(name);
    for (int k = 0; childFolderNameTaken(name); ++k) {
        const QString number = QString::number(k);
        name = cutChars(name, std::max<qsizetype>(0, 4 - number.size())) + number;
        FixReservedName(name);
    }
    m_dirChilds = name;
    return m_dirChilds;
}

QString TElement::GetSavePath()
{
    switch (Kind) {
    case kindAgent:
        return m_dlDir;
    case kindFolder:
        return m_dlDir.isEmpty() || m_name.isEmpty() ? QString() : m_dlDir + m_name + u'/';
    case kindAddress:
    case kindPage:
    case kindImage: {
        const QString& dir = Kind == kindAddress ? m_dlDir : m_favsDir;
        const QString file = GetSaveFileName();
        return dir.isEmpty() || file.isEmpty() ? QString() : dir + file;
    }
    default:
        return {};
    }
}

QString TElement::GetChildsPath()
{
    if (!m_ext)
        return {};
    switch (Kind) {
    case kindAgent:
        return m_favsDir;
    case kindFolder:
        return m_favsDir.isEmpty() || m_name.isEmpty() ? QString() : m_favsDir + m_name + u'/';
    case kindAddress:
    case kindPage: {
        const QString& dir = Kind == kindAddress ? m_dlDir : m_favsDir;
        const QString sub = GetDirChilds();
        return dir.isEmpty() || sub.isEmpty() ? QString() : dir + sub + u'/';
    }
    default:
        return {};
    }
}

QString TElement::GetIniFileName()
{
    switch (Kind) {
    case kindRoot:
        return m_store->env().iniFileName();
    case kindAgent:
        return m_dlDir.isEmpty() ? QString() : m_dlDir + QStringLiteral("GlanixDefault.ini");
    case kindFolder:
        return m_dlDir.isEmpty() || m_name.isEmpty()
            ? QString()
            : m_dlDir + m_name + QStringLiteral("/GlanixDefault.ini");
    case kindAddress:
    case kindPage: {
        const QString dir = m_parent ? m_parent->GetChildsPath() : QString();
        return dir.isEmpty() || m_name.isEmpty() ? QString() : dir + m_name + QStringLiteral(".url");
    }
    case kindImage:
        return m_parent ? m_parent->GetIniFileName() : QString();
    default:
        return {};
    }
}

// --- Names among siblings --------------------------------------------------------------

QString UniqueSiblingName(const QString& name, const TreeNode* skip, const TreeNode* parent)
{
    if (!parent)
        return name;
    auto taken = [&](const QString& candidate) {
        const QString key = candidate.trimmed().toLower();
        for (int i = 0; i < parent->childCount(); ++i) {
            const TreeNode* child = parent->child(i);
            const TElement* e = child->element();
            if (e && e->Kind == kindImageGroup) {
                for (int k = 0; k < child->childCount(); ++k) {
                    const TreeNode* imageNode = child->child(k);
                    if (imageNode != skip && imageNode->element()
                        && imageNode->element()->GetName().trimmed().toLower() == key)
                        return true;
                }
                continue;
            }
            if (child != skip && e && e->GetName().trimmed().toLower() == key)
                return true;
        }
        return false;
    };
    return UniqueName(name, taken);
}

QString NoDuplicateImgName(const QString& name, const TElement& page)
{
    if (name.isEmpty()) {
        page.store().env().logError(QStringLiteral("Name vide dans NoDuplicateImgName"));
        return name;
    }
    QString result = name;
    result.replace(QStringLiteral("%20"), QStringLiteral(" "));
    const TExt* ext = page.Ext();
    if (!ext)
        return result;
    bool again = true;
    while (again) {
        again = false;
        const QString key = result.trimmed().toLower();
        for (auto it = ext->ImgList.rbegin(); it != ext->ImgList.rend(); ++it) {
            if ((*it)->GetName().trimmed().toLower() == key) {
                const QString suffix = fileExtension(result);
                result.insert(result.size() - suffix.size(), u'~');
                again = true;
                break;
            }
        }
    }
    return result;
}

} // namespace glanix
