// Reading and writing elements: the .url and GlanixDefault.ini files, the lazy reading of the
// tree from disk, and what moving, deleting and resetting an element does to its files.
#include "config/Env.h"
#include "config/IniFile.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/TElement.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace glanix {

namespace {

const QString kShortcut = QStringLiteral("InternetShortcut");
const QString kGlanix = QStringLiteral("Glanix");
const QString kMessages = QStringLiteral("Glanix Messages");
const QString kNotes = QStringLiteral("Glanix Notes");
const QString kImagePrefix = QStringLiteral("GlanixImg ");
const QString kImageMessagesPrefix = QStringLiteral("GlanixImg Messages ");

QString imageSection(const QString& name)
{
    return kImagePrefix + name;
}

QString imageMessagesSection(const QString& name)
{
    return kImageMessagesPrefix + name;
}

bool isImageSection(const QString& section)
{
    return section.left(9).compare(u"GlanixImg", Qt::CaseInsensitive) == 0
        && section.left(18).compare(u"GlanixImg Messages", Qt::CaseInsensitive) != 0;
}

// A stored name: one trailing separator dropped, the last component kept, mended when it
// could leave its folder.
QString storedName(QString value)
{
    if (value.endsWith(u'/') || value.endsWith(u'\\'))
        value.chop(1);
    const qsizetype sep = std::max(value.lastIndexOf(u'/'), value.lastIndexOf(u'\\'));
    value = value.mid(sep + 1);
    return value.isEmpty() ? value : SafeFileName(value, kMaxFileNameBytes);
}

quint8 readByte(const IniFile& ini, const QString& section, QStringView key)
{
    return static_cast<quint8>(ini.readInteger(section, key, -1) & 0xFF);
}

bool keyDefined(const IniFile& ini, const QString& section, QStringView key)
{
    return ini.valueExists(section, key) && !ini.readString(section, key).isEmpty();
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

bool isSettingsFile(const ElementStore& store, const QString& path)
{
    return path == store.env().iniFileName();
}

// What an element file holds once what waits to be written is. Glanix.ini (the root's) is
// shared with the settings: it is never deferred.
std::optional<QByteArray> waiting(ElementStore& store, const QString& path)
{
    return isSettingsFile(store, path) ? std::nullopt : store.writer().pending(path);
}

// Writes the file; a failure is logged and the changes are dropped, so that nothing is
// written behind the caller's back when the file object goes away.
bool writeIni(IniFile& ini, ElementStore& store)
{
    if (!ini.isModified())
        return true;
    WriteResult r;
    if (isSettingsFile(store, ini.fileName())) {
        r = ini.save();
    } else {
        r = store.writer().write(ini.fileName(), ini.serialize());
        ini.discardChanges();
    }
    if (!r.ok) {
        store.env().logError(r.error);
        ini.discardChanges();
    }
    for (const QString& error : store.writer().takeErrors())
        store.env().logError(error);
    return r.ok;
}

} // namespace

// --- Load ------------------------------------------------------------------------------

void TElement::Load()
{
    if (Kind == kindImage) {
        m_store->env().logError(QStringLiteral("tuURI.Charge"));
        return;
    }
    const QString path = GetIniFileName();
    if (path.isEmpty())
        return;
    IniFile ini(path, waiting(*m_store, path));
    loadFields(ini);
    ImageIndex = -1;
    if (isAddressOrPage()) {
        // A page may hold tens of thousands of images: the names already read are looked up
        // in a set, not in the list.
        QSet<QString> known;
        if (m_ext) {
            for (const TElement* image : m_ext->ImgList)
                known.insert(image->m_name);
        }
        for (const QString& section : ini.sections()) {
            if (!isImageSection(section))
                continue;
            const QString name = section.mid(10, 100);
            if (!known.contains(name)) {
                known.insert(name);
                LoadImage(name, ini);
            }
        }
        if (m_store->seeImages())
            BuildImageNodes();
    }
    if (Kind == kindRoot && Versions == kInherit) {
        m_dlDir = m_store->env().home();
        Versions = 1;
        DownLoadType = 0;
        Frequency = -2;
        Active = true;
        ActiveDefined = true;
        Complete = true;
        m_ext->DownLoadImages = true;
        m_ext->DownLoadImagesDefined = true;
        m_ext->DownLoadLinksDepth = 0;
        m_ext->DownLoadLinksStart.clear();
        m_ext->LinksStartDefined = true;
        m_ext->IncludeMask.clear();
        m_ext->ExcludeMask.clear();
        m_ext->MasksDefined = true;
        m_ext->Position = 0;
    }
    // Whatever the tree showed before the fields were read is out of date.
    if (m_node)
        m_node->notifyChanged();
}

void TElement::loadFields(IniFile& ini)
{
    if (isAddressOrPage()) {
        assignUrl(ini.readString(kShortcut, u"URL"));
        Location = ini.readString(kGlanix, u"Location");
        DateDownloaded = ini.readDateTime(kGlanix, u"DateDownloaded", 0);
        Size = ini.readInteger(kGlanix, u"Size", 0);
        BeforeLastModified = ini.readDateTime(kGlanix, u"BeforeLastModified", 0);
        BeforeSize = ini.readInteger(kGlanix, u"BeforeSize", 0);
        Etag = ini.readString(kGlanix, u"Etag");
        ContentType = ini.readString(kGlanix, u"ContentType");
        LastVerified = ini.readDateTime(kGlanix, u"LastVerified", 0);
        State = static_cast<quint8>(ini.readInteger(kGlanix, u"State", 0));
        StatusNumber = ini.readInteger(kGlanix, u"StatusNumber", 0);
        Complete = ini.readBool(kGlanix, u"Complete", true);
    }
    m_dirChilds = storedName(ini.readString(kGlanix, u"DirChilds"));
    m_saveFileName = storedName(ini.readString(kGlanix, u"SaveFileName"));
    LastModified = ini.readDateTime(kGlanix, u"LastModified", 0);
    Versions = readByte(ini, kGlanix, u"Versions");
    DownLoadType = readByte(ini, kGlanix, u"DownLoadType");
    Frequency = ini.readReal(kGlanix, u"Frequency", kFrequencyInherit);
    ActiveDefined = keyDefined(ini, kGlanix, u"Active");
    Active = ini.readBool(kGlanix, u"Active", true);
    if (m_ext) {
        m_ext->DownLoadImagesDefined = keyDefined(ini, kGlanix, u"DownLoadImages");
        m_ext->DownLoadImages = ini.readBool(kGlanix, u"DownLoadImages", true);
        m_ext->DownLoadLinksDepth = ini.readInteger(kGlanix, u"DownLoadLinksDepth", -1);
        m_ext->LinksStartDefined = ini.valueExists(kGlanix, u"DownLoadLinksStart");
        m_ext->DownLoadLinksStart = ini.readString(kGlanix, u"DownLoadLinksStart");
        m_ext->MasksDefined = true;
        m_ext->IncludeMask = ini.readString(kGlanix, u"IncludeMask");
        m_ext->ExcludeMask = ini.readString(kGlanix, u"ExcludeMask");
        m_ext->Position = ini.readInteger(kGlanix, u"Position", 0);
        m_ext->RequisitesSought = static_cast<quint8>(ini.readInteger(kGlanix, u"Requisites", 0));
    }
}

void TElement::LoadImage(const QString& imageName, IniFile& ini)
{
    if (!m_ext)
        return;
    auto owned = std::make_unique<TElement>(*m_store);
    TElement* image = owned.get();
    image->Kind = kindImage;
    image->SetParent(this);
    image->SetName(imageName);
    addImage(std::move(owned));
    const QString section = imageSection(imageName);
    image->SetURL(ini.readString(section, u"URL"));
    image->Location = ini.readString(section, u"Location");
    image->SetFileName(storedName(ini.readString(section, u"SaveFileName")));
    image->SetLastModified(ini.readDateTime(section, u"LastModified", 0));
    image->DateDownloaded = ini.readDateTime(section, u"DateDownloaded", 0);
    image->Size = ini.readInteger(section, u"Size", 0);
    image->BeforeLastModified = ini.readDateTime(section, u"BeforeLastModified", 0);
    image->BeforeSize = ini.readInteger(section, u"BeforeSize", 0);
    image->Etag = ini.readString(section, u"Etag");
    image->SetVersions(readByte(ini, section, u"Versions"));
    image->DownLoadType = readByte(ini, section, u"DownLoadType");
    image->Frequency = ini.readReal(section, u"Frequency", kFrequencyInherit);
    image->ActiveDefined = keyDefined(ini, section, u"Active");
    image->Active = ini.readBool(section, u"Active", true);
    image->SetState(static_cast<quint8>(ini.readInteger(section, u"State", 0)));
    image->StatusNumber = ini.readInteger(section, u"StatusNumber", 0);
    image->LastVerified = ini.readDateTime(section, u"LastVerified", 0);
    image->ContentType = ini.readString(section, u"ContentType");
    image->Complete = ini.readBool(section, u"Complete", true);
}

// --- Save ------------------------------------------------------------------------------

bool TElement::insideAgent(const QString& folder)
{
    TElement* agent = GetAgent();
    if (!agent || agent->Kind != kindAgent || agent == this)
        return true;
    return (!agent->m_dlDir.isEmpty() && isInsideFolder(folder, agent->m_dlDir))
        || (!agent->m_favsDir.isEmpty() && isInsideFolder(folder, agent->m_favsDir));
}

bool TElement::MakeFolder(const QString& folder)
{
    // A link planted inside an agent's folders must not carry our writes elsewhere.
    if (!insideAgent(folder)) {
        m_store->env().logError(QStringLiteral("Chemin hors de l'agent : ") + folder);
        return false;
    }
    CreeRepIfNotExists(folder, &m_store->env());
    return true;
}

void TElement::recordSaveFileName()
{
    const QString path = GetIniFileName();
    if (path.isEmpty() || refuseSave(path))
        return;
    std::optional<QByteArray> pending = waiting(*m_store, path);
    if (!pending && !PathExists(path))
        return;
    IniFile ini(path, std::move(pending));
    if (Kind == kindImage) {
        // An image not written yet has no section to mend.
        const QString section = imageSection(m_name);
        if (!ini.sectionExists(section))
            return;
        ini.writeString(section, u"SaveFileName", GetSaveFileName());
    } else {
        ini.writeString(kGlanix, u"SaveFileName", GetSaveFileName());
    }
    writeIni(ini, *m_store);
}

bool TElement::refuseSave(const QString& iniPath)
{
    Env& env = m_store->env();
    const QString save = GetSavePath();
    if ((Kind != kindRoot && PathTooLong(save)) || PathTooLong(iniPath)) {
        env.logError(QStringLiteral("Chemin trop long : ") + TreePath());
        return true;
    }
    // The file itself may be a link: the atomic write replaces it. Its folder may not.
    if (!insideAgent(folderOf(iniPath))) {
        env.logError(QStringLiteral("Chemin hors de l'agent : ") + iniPath);
        return true;
    }
    return false;
}

bool TElement::Save()
{
    struct FreeAnalysisAtEnd {
        TElement* e;

        ~FreeAnalysisAtEnd() { e->FreeAnalysis(); }
    } freeAtEnd {this};

    if (Kind == kindImageGroup)
        return false;
    const QString path = GetIniFileName();
    if (path.isEmpty() || refuseSave(path))
        return false;
    Env& env = m_store->env();
    if (Kind == kindImage) {
        IniFile ini(path, waiting(*m_store, path));
        SaveImage(ini);
        return writeIni(ini, *m_store);
    }
    CreeRepIfNotExists(folderOf(path), &env);
    IniFile ini(path, waiting(*m_store, path));
    if (isAddressOrPage()) {
        ini.writeString(kShortcut, u"URL", GetURL());
        ini.writeString(kGlanix, u"Location", Location);
        ini.writeDateTime(kGlanix, u"DateDownLoaded", DateDownloaded);
        ini.writeInteger(kGlanix, u"Size", Size);
        ini.writeDateTime(kGlanix, u"BeforeLastModified", BeforeLastModified);
        ini.writeInteger(kGlanix, u"BeforeSize", BeforeSize);
        ini.writeString(kGlanix, u"Etag", Etag);
        ini.writeString(kGlanix, u"ContentType", ContentType);
        if (State <= stateError)
            ini.writeInteger(kGlanix, u"State", State);
        ini.writeInteger(kGlanix, u"StatusNumber", StatusNumber);
        ini.writeDateTime(kGlanix, u"LastVerified", LastVerified);
        ini.writeBool(kGlanix, u"Complete", Complete);
    }
    ini.writeString(kGlanix, u"SaveFileName", m_saveFileName);
    ini.writeDateTime(kGlanix, u"LastModified", LastModified);
    ini.writeInteger(kGlanix, u"Versions", static_cast<qint8>(GetVersions()));
    ini.writeInteger(kGlanix, u"DownLoadType", static_cast<qint8>(GetDownLoadType()));
    ini.writeReal(kGlanix, u"Frequency", GetFrequency());
    const bool active = GetActive();
    ActiveDefined = true;
    ini.writeBool(kGlanix, u"Active", active);
    if (m_ext) {
        ini.writeString(kGlanix, u"DirChilds", m_dirChilds);
        ini.writeBool(kGlanix, u"DownLoadImages", GetDownLoadImages());
        m_ext->DownLoadImagesDefined = true;
        ini.writeInteger(kGlanix, u"DownLoadLinksDepth", GetDownLoadLinksDepth());
        ini.writeString(kGlanix, u"DownLoadLinksStart", GetDownLoadLinksStart());
        m_ext->LinksStartDefined = true;
        ini.writeString(kGlanix, u"IncludeMask", GetIncludeMask());
        ini.writeString(kGlanix, u"ExcludeMask", GetExcludeMask());
        m_ext->MasksDefined = true;
        ini.writeInteger(kGlanix, u"Position", m_ext->Position);
        if (isAddressOrPage())
            ini.writeInteger(kGlanix, u"Requisites", m_ext->RequisitesSought);
    }
    if (!Messages.isEmpty()) {
        // Only a recent exchange is worth keeping on disk.
        if (LastVerified > env.now() - 0.125)
            ini.replaceSection(kMessages, Messages);
        if (Complete)
            Messages.clear();
    }
    return writeIni(ini, *m_store);
}

void TElement::SaveImage(IniFile& ini)
{
    if (Kind != kindImage) {
        m_store->env().logError(
            QStringLiteral("Pas de SauveImage pour autre chose qu'une image (ici pour %1)").arg(m_name));
        return;
    }
    const QString section = imageSection(m_name);
    ini.writeString(section, u"URL", GetURL());
    ini.writeString(section, u"Location", Location);
    ini.writeString(section, u"SaveFileName", m_saveFileName);
    ini.writeDateTime(section, u"LastModified", LastModified);
    ini.writeDateTime(section, u"DateDownLoaded", DateDownloaded);
    ini.writeInteger(section, u"Size", Size);
    ini.writeDateTime(section, u"BeforeLastModified", BeforeLastModified);
    ini.writeInteger(section, u"BeforeSize", BeforeSize);
    ini.writeString(section, u"Etag", Etag);
    ini.writeInteger(section, u"Versions", static_cast<qint8>(GetVersions()));
    ini.writeInteger(section, u"DownLoadType", static_cast<qint8>(GetDownLoadType()));
    ini.writeReal(section, u"Frequency", GetFrequency());
    ini.writeBool(section, u"Active", GetActive());
    ini.writeBool(section, u"Complete", Complete);
    if (State <= stateError)
        ini.writeInteger(section, u"State", State);
    ini.writeInteger(section, u"StatusNumber", StatusNumber);
    ini.writeDateTime(section, u"LastVerified", LastVerified);
    ini.writeString(section, u"ContentType", ContentType);
    if (!Messages.isEmpty()) {
        ini.replaceSection(imageMessagesSection(m_name), Messages);
        if (Complete)
            Messages.clear();
    }
}

void TElement::SaveImages()
{
    if (!m_ext || m_ext->ImgList.empty())
        return;
    const QString path = GetIniFileName();
    if (path.isEmpty() || refuseSave(path))
        return;
    CreeRepIfNotExists(folderOf(path), &m_store->env());
    IniFile ini(path, waiting(*m_store, path));
    for (TElement* image : m_ext->ImgList)
        image->SaveImage(ini);
    writeIni(ini, *m_store);
}

// --- Reading the tree ------------------------------------------------------------------

void TElement::LoadChildren(int levels)
{
    if (!m_ext || m_ext->LoadedDepth >= levels || m_ext->LoadedDepth >= 200 || !m_node || m_loading)
        return;
    m_loading = true;

    struct Done {
        bool& flag;

        ~Done() { flag = false; }
    } done {m_loading};

    if (m_ext->LoadedDepth < 0 && Kind != kindRoot) {
        // Files written just before must be there to be listed.
        m_store->writer().settle(GetChildsPath());

        struct Entry {
            QString name;
            bool folder;
        };

        std::vector<Entry> entries;
        const QString path = GetChildsPath();
        if (!path.isEmpty()) {
            // Hidden .url files are listed (a title may start with a dot); hidden folders and
            // links to folders are not (a link to an ancestor would never end).
            QDirIterator it(path, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
            while (it.hasNext()) {
                it.next();
                const QFileInfo info = it.fileInfo();
                const QString name = info.fileName();
                if (info.isDir()) {
                    if (!info.isSymLink() && !name.startsWith(u'.') && !isAddressOrPage())
                        entries.push_back({name, true});
                } else if (name.size() > 4 && name.right(4).compare(u".url", Qt::CaseInsensitive) == 0) {
                    entries.push_back({name, false});
                }
            }
        }
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return a.folder != b.folder ? a.folder : a.name < b.name;
        });
        for (const Entry& entry : entries) {
            auto* child = new TElement(*m_store);
            child->SetHasExt(true);
            child->Kind = entry.folder ? kindFolder
                                       : (Kind == kindAgent || Kind == kindFolder ? kindAddress : kindPage);
            child->SetParent(this);
            child->SetName(entry.folder ? entry.name : entry.name.chopped(4));
            TreeNode* node = m_node->addSorted(child->GetName(), child);
            child->Load();
            child->updateStateMark();
            m_store->host().refreshNode(node);
        }
    }
    m_ext->LoadedDepth = levels;
    if (levels > 1) {
        for (int i = 0; i < m_node->childCount(); ++i) {
            if (TElement* e = m_node->child(i)->element())
                e->LoadChildren(levels - 1);
        }
    }
}

// --- Notes -----------------------------------------------------------------------------

QStringList TElement::ReadNotes()
{
    if (!m_ext)
        return {};
    const QString path = GetIniFileName();
    return path.isEmpty() ? QStringList() : IniFile(path, waiting(*m_store, path)).sectionLines(kNotes);
}

bool TElement::WriteNotes(const QStringList& notes)
{
    if (!m_ext)
        return false;
    const QString path = GetIniFileName();
    if (path.isEmpty() || refuseSave(path))
        return false;
    CreeRepIfNotExists(folderOf(path), &m_store->env());
    IniFile ini(path, waiting(*m_store, path));
    ini.replaceSection(kNotes, notes);
    return writeIni(ini, *m_store);
}

// --- Moving ----------------------------------------------------------------------------

bool TElement::MoveTo(TreeNode* target)
{
    if (!target || !m_node || !m_parent || target == m_node || m_node->isAncestorOf(target))
        return false;
    TElement* newParent = target->element();
    if (!newParent || !newParent->m_ext || newParent->Kind == kindRoot)
        return false;
    const bool containerTarget = newParent->Kind == kindAgent || newParent->Kind == kindFolder;
    if (Kind == kindFolder ? !containerTarget : !isAddressOrPage())
        return false;
    if (target == m_node->m_parent)
        return true;
    DeferredFileWriter::Immediate now(m_store->writer());
    m_store->writer().settleAll();
    // The target's own files must be in memory first, or reading them later would show
    // this element twice.
    newParent->LoadChildren(1);

    const QString name = UniqueSiblingName(m_name, m_node, target);
    if (name != m_name)
        renameTo(name);
    const QString oldIni = GetIniFileName();
    const QString oldSave = GetSavePath();
    const QString oldChild = GetChildsPath();

    m_node->moveTo(target);
    SetParent(newParent);
    if (Kind != kindFolder)
        m_dirChilds.clear();

    Env& env = m_store->env();
    if (Kind == kindFolder) {
        MoveFileOrDir(oldSave, GetSavePath());
        MoveFileOrDir(oldChild, GetChildsPath());
        MoveFileOrDir(oldIni, GetIniFileName());
        RecomputeDirs();
    } else {
        Kind = containerTarget ? kindAddress : kindPage;
        RecomputeDirs();
        const QString newIni = GetIniFileName();
        CreeRepIfNotExists(folderOf(newIni), &env);
        MoveFileOrDir(oldIni, newIni);
        const QString newSave = GetSavePath();
        if (!oldSave.isEmpty() && !newSave.isEmpty()) {
            CreeRepIfNotExists(folderOf(newSave), &env);
            if (PathExists(oldSave))
                MoveFileOrDir(oldSave, newSave);
            moveFilesOfVersions(oldSave, newSave, 2);
        }
        const QString newChild = GetChildsPath();
        if (!oldChild.isEmpty() && !newChild.isEmpty())
            MoveFileOrDir(oldChild, newChild);
    }
    Save();
    return true;
}

// --- Deleting and resetting ------------------------------------------------------------

void TElement::deleteStoredFiles()
{
    const QString path = GetSavePath();
    if (path.isEmpty() || Kind == kindFolder)
        return;
    RemoveFile(path);
    // Old versions go too, even when the current copy is already missing.
    for (int n = 2; PathExists(SaveFileNameVersionPrec(path, n)); ++n)
        RemoveFile(SaveFileNameVersionPrec(path, n));
}

void TElement::Delete(bool withFiles, bool keepLinkDepth)
{
    DeferredFileWriter::Immediate now(m_store->writer());
    m_store->writer().settleAll();
    deleteRecursive(withFiles, false, keepLinkDepth);
}

void TElement::deleteRecursive(bool withFiles, bool parentGoing, bool keepLinkDepth)
{
    m_deleting = true;
    StoreHost& host = m_store->host();
    if (m_node && host.selectedNode() == m_node) {
        TreeNode* next = m_node->nextSibling();
        if (!next)
            next = m_node->prevSibling();
        if (!next)
            next = m_node->parent();
        host.selectNode(next);
    }
    if (m_store->seeImages() || withFiles)
        BuildImageNodes();
    host.closeViewsOf(this);
    if (m_node) {
        while (TreeNode* child = m_node->firstChild()) {
            if (TElement* e = child->element())
                e->deleteRecursive(withFiles, true);
            else
                child->deleteNode();
        }
    }
    if (m_ext) {
        // Images without nodes go with their page.
        while (!m_ext->ImgList.empty())
            m_ext->ImgList.back()->deleteRecursive(withFiles, true);
    }

    const QString iniPath = GetIniFileName();
    if (withFiles) {
        switch (Kind) {
        case kindAddress:
        case kindPage:
            deleteStoredFiles();
            RemoveDirIfEmpty(GetChildsPath());
            break;
        case kindImage:
            deleteStoredFiles();
            break;
        case kindAgent:
            RemoveFile(m_dlDir + QStringLiteral("GlanixDefault.ini"));
            RemoveFile(iniPath);
            RemoveDirIfEmpty(GetChildsPath());
            RemoveDirIfEmpty(m_dlDir);
            break;
        case kindFolder:
            RemoveFile(iniPath);
            RemoveDirIfEmpty(GetSavePath());
            break;
        default:
            break;
        }
    }
    if (Kind == kindImage) {
        if (!parentGoing && !iniPath.isEmpty()) {
            IniFile ini(iniPath, waiting(*m_store, iniPath));
            ini.eraseSection(imageSection(m_name));
            ini.eraseSection(imageMessagesSection(m_name));
            writeIni(ini, *m_store);
        }
        std::unique_ptr<TElement> self = m_parent ? m_parent->RemoveFromImgList(this) : nullptr;
        if (m_node)
            m_node->deleteNode();
        if (!self)
            delete this;
        return; // `self` frees the image
    }
    if (Kind != kindImageGroup) {
        RemoveFile(iniPath);
        // A deleted linked page must not come back at its page's next download; folders and
        // agents keep their depth, which their other addresses inherit.
        if (!parentGoing && !keepLinkDepth && m_parent && m_parent->isAddressOrPage()
            && !m_parent->m_deleting) {
            m_parent->SetDownLoadLinksDepth(0);
            m_parent->Save();
        }
        RemoveDirIfEmpty(GetChildsPath());
        RemoveDirIfEmpty(Kind == kindFolder || Kind == kindAgent ? GetSavePath() : folderOf(GetSavePath()));
    }
    if (m_node)
        m_node->deleteNode(); // frees this element
    else
        delete this;
}

void TElement::Reinit()
{
    DeferredFileWriter::Immediate now(m_store->writer());
    m_store->writer().settleAll();
    Env& env = m_store->env();
    const QString iniPath = GetIniFileName();
    if (isAddressOrPage() || Kind == kindImage) {
        if (!iniPath.isEmpty() && !refuseSave(iniPath)) {
            IniFile ini(iniPath, waiting(*m_store, iniPath));
            if (Kind == kindImage) {
                // The page's file holds its other images too: only this image's sections go.
                ini.eraseSection(imageSection(m_name));
                ini.eraseSection(imageMessagesSection(m_name));
            } else {
                const QStringList sections = ini.sections();
                for (qsizetype i = sections.size() - 1; i >= 0; --i) {
                    if (sections[i].contains(u"Glanix", Qt::CaseInsensitive))
                        ini.eraseSection(sections[i]);
                }
            }
            if (!ini.save().ok) {
                env.logError(QStringLiteral("Pb dans Reinit"));
                ini.discardChanges();
            }
        }
        deleteStoredFiles();
        RemoveDirIfEmpty(folderOf(GetSavePath()));
    } else if (Kind == kindAgent || Kind == kindFolder) {
        RemoveFile(iniPath);
        const QString save = GetSavePath();
        RemoveDirIfEmpty(save);
        if (save.size() > 1)
            RemoveDirIfEmpty(folderOf(save.chopped(1)));
        RemoveDirIfEmpty(GetChildsPath());
    }
    ImageIndex = -1;
    LastModified = DateDownloaded = BeforeLastModified = LastVerified = 0;
    Size = BeforeSize = 0;
    Etag.clear();
    Versions = DownLoadType = kInherit;
    Frequency = -1;
    Active = true;
    ActiveDefined = false;
    Complete = true;
    if (m_ext) {
        m_ext->DownLoadImages = true;
        m_ext->DownLoadImagesDefined = false;
        m_ext->DownLoadLinksDepth = -1;
        m_ext->DownLoadLinksStart.clear();
        m_ext->LinksStartDefined = false;
        m_ext->MasksDefined = false;
        m_ext->IncludeMask.clear();
        m_ext->ExcludeMask.clear();
        m_ext->Position = 0;
        m_ext->RequisitesSought = 0;
    }
}

} // namespace glanix
