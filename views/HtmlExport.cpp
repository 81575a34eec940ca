#include "views/HtmlExport.h"

#include "config/AtomicFile.h"
#include "config/Env.h"
#include "config/FrenchText.h"
#include "config/IniFile.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/PageEncoding.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"
#include "views/ExportLinks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUrl>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("HtmlExport", text);
}

const QString kSection = QStringLiteral("Export");

// Addresses are taken once: letter case and one trailing slash do not make another address.
QString urlKey(const QString& url)
{
    QString key = url.toLower();
    if (key.endsWith(u'/'))
        key.chop(1);
    return key;
}

bool isNetworkFileSystem(const QByteArray& type)
{
    static const QByteArray kNetwork[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p"};
    for (const QByteArray& t : kNetwork) {
        if (type == t)
            return true;
    }
    return type.startsWith("fuse");
}

// The nearest folder of `path` that exists (the destination is usually made by the export).
QString existingAncestor(QString path)
{
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const qsizetype slash = path.lastIndexOf(u'/', path.endsWith(u'/') ? -2 : -1);
        if (slash <= 0)
            return QStringLiteral("/");
        path.truncate(slash);
    }
    return path;
}

qint64 storageFreeSpace(const QString& path)
{
    const QStorageInfo info(existingAncestor(path));
    if (!info.isValid() || !info.isReady() || isNetworkFileSystem(info.fileSystemType()))
        return -1;
    return info.bytesAvailable();
}

// Each segment made one harmless name: no "..", no "/", no empty segment.
QString safeSegments(const QString& path)
{
    QStringList out;
    for (const QString& s : path.split(u'/', Qt::SkipEmptyParts))
        out << SafeFileName(s);
    return out.join(u'/');
}

// The address's folders below the server and the name UrlToExportName gives it.
QString structurePath(const QString& url)
{
    QString rest = url.mid(ServerPart(url).size());
    for (QChar mark : {u'?', u'#'}) {
        if (const qsizetype cut = rest.indexOf(mark); cut >= 0)
            rest.truncate(cut);
    }
    QStringList folders = RemoveDotSegments(u'/' + rest).split(u'/', Qt::SkipEmptyParts);
    if (!folders.isEmpty())
        folders.removeLast();
    for (QString& f : folders)
        f = QUrl::fromPercentEncoding(f.toUtf8());
    folders << UrlToExportName(url);
    return folders.join(u'/');
}

QString withTilde(const QString& path, int n)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype at = dot > slash + 1 ? dot : path.size();
    return path.left(at) + u'~' + QString::number(n) + path.mid(at);
}

} // namespace

ExportSettings loadExportSettings(const Env& env)
{
    const IniFile ini(env.iniFileName());
    ExportSettings s;
    s.SameServer = ini.readBool(kSection, u"SameServer", s.SameServer);
    s.KeepStruct = ini.readBool(kSection, u"KeepStruct", s.KeepStruct);
    s.DontChange = ini.readBool(kSection, u"DontChange", s.DontChange);
    s.WithImg = ini.readBool(kSection, u"WithImg", s.WithImg);
    s.OnlyHtmlText = ini.readBool(kSection, u"OnlyHtmlText", s.OnlyHtmlText);
    s.MakeIndex = ini.readBool(kSection, u"MakeIndex", s.MakeIndex);
    s.Depth = std::clamp(ini.readInteger(kSection, u"Depth", s.Depth), 0, 100);
    s.SaveTo = ini.readString(kSection, u"SaveTo", env.homeFile(QStringLiteral("Glanix Export")));
    s.Consult = ini.readBool(kSection, u"Consult", s.Consult);
    return s;
}

void saveExportSettings(const Env& env, const ExportSettings& s)
{
    IniFile ini(env.iniFileName());
    ini.writeBool(kSection, u"SameServer", s.SameServer);
    ini.writeBool(kSection, u"KeepStruct", s.KeepStruct);
    ini.writeBool(kSection, u"DontChange", s.DontChange);
    ini.writeBool(kSection, u"WithImg", s.WithImg);
    ini.writeBool(kSection, u"OnlyHtmlText", s.OnlyHtmlText);
    ini.writeBool(kSection, u"MakeIndex", s.MakeIndex);
    ini.writeInteger(kSection, u"Depth", s.Depth);
    ini.writeString(kSection, u"SaveTo", s.SaveTo);
    ini.writeBool(kSection, u"Consult", s.Consult);
    ini.save();
}

QString proposedDestination(QString folder)
{
    folder.remove(u'~');
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (folder.isEmpty())
        return folder;
    while (PathExists(folder))
        folder += u'~';
    return folder;
}

HtmlExport::HtmlExport(TElement& selected, const ExportSettings& settings, Env& env)
    : m_selected(&selected)
    , m_selectedNode(selected.Node())
    , m_tree(&selected.store().tree())
    , m_settings(settings)
    , m_env(env)
    , m_freeSpace(storageFreeSpace)
{
    QString dest = m_settings.SaveTo;
    m_destination = withSlash(QDir::cleanPath(QDir(dest).absolutePath()));
    const QString saved = selected.GetSavePath();
    m_baseFolder = saved.left(saved.lastIndexOf(u'/') + 1);
    m_server = ServerPart(selected.GetURL()).toLower();
    m_indexName
        = SafeFileName(QStringLiteral("Index ") + selected.GetName().trimmed() + QStringLiteral(".html"));
    m_files.insert(m_indexName.toLower());
    m_tree->addObserver(this);
}

HtmlExport::~HtmlExport()
{
    m_tree->removeObserver(this);
}

QStringList HtmlExport::exportedPaths() const
{
    QStringList out;
    for (const Item& it : m_items) {
        if (it.done)
            out << it.path;
    }
    return out;
}

// --- Selection -------------------------------------------------------------------------------

void HtmlExport::select()
{
    if (!m_selected)
        return;
    if (!m_selectedNode) {
        take(m_selected, 0);
        return;
    }
    if (m_settings.Depth > 0)
        m_selected->LoadChildren(m_settings.Depth);
    const int top = m_selectedNode->level();
    for (TreeNode* n = m_selectedNode; n && !m_cancel; n = n->next()) {
        if (n != m_selectedNode && !m_selectedNode->isAncestorOf(n))
            break;
        const int level = n->level() - top;
        TElement* e = n->element();
        if (level > m_settings.Depth || !e || !e->isAddressOrPage())
            continue;
        if (m_settings.SameServer && !m_server.isEmpty() && ServerPart(e->GetURL()).toLower() != m_server)
            continue;
        if (m_settings.OnlyHtmlText && !e->IsHtml() && !e->IsText())
            continue;
        if (!take(e, level) || !m_settings.WithImg || !e->IsHtml() || !e->Ext())
            continue;
        for (TElement* image : e->Ext()->ImgList)
            take(image, level);
    }
}

bool HtmlExport::take(TElement* e, int level)
{
    if (!e || m_byElement.contains(e))
        return false;
    const QString url = e->GetURL();
    const QString key = urlKey(url);
    if (!key.isEmpty() && m_byUrl.contains(key))
        return false;
    const QString source = e->GetSavePath();
    const QFileInfo info(source);
    if (source.isEmpty() || !info.isFile())
        return false;
    Item it;
    it.element = e;
    it.url = url;
    it.name = e->GetName().trimmed();
    it.source = source;
    it.bytes = info.size();
    it.lastModified = e->LastModified;
    it.level = level;
    it.html = e->IsHtml();
    it.indexed = e->isAddressOrPage();
    it.path = plannedPath(e, url);
    const int index = static_cast<int>(m_items.size());
    m_items.push_back(std::move(it));
    m_byElement.insert(e, index);
    if (!key.isEmpty())
        m_byUrl.insert(key, index);
    return true;
}

QString HtmlExport::plannedPath(TElement* e, const QString& url)
{
    QString path;
    if (m_settings.keepStruct() && url.contains(QLatin1String("://"))) {
        path = structurePath(url);
    } else {
        const QString source = e->GetSavePath();
        path = !m_baseFolder.isEmpty() && source.startsWith(m_baseFolder) ? source.mid(m_baseFolder.size())
                                                                          : QFileInfo(source).fileName();
    }
    path = safeSegments(path);
    return uniquePath(path.isEmpty() ? QStringLiteral("_") : path);
}

// A path no other copy has, whatever the letter case: folders keep the spelling they were
// first met with, so that relative links between copies hold on every file system.
QString HtmlExport::uniquePath(const QString& wanted)
{
    QString path = wanted;
    for (int n = 0;; ++n) {
        QStringList parts = path.split(u'/');
        QString prefix;
        bool clash = false;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            prefix += parts[i];
            const QString key = prefix.toLower();
            if (const auto it = m_folders.constFind(key); it != m_folders.cend()) {
                prefix = *it;
                parts[i] = prefix.mid(prefix.lastIndexOf(u'/') + 1);
            } else if (m_files.contains(key)) {
                clash = true;
            }
            prefix += u'/';
        }
        path = parts.join(u'/');
        if (clash) {
            // A copy already has the name of one of the folders: this one goes to the top.
            path = withTilde(parts.last(), n + 1);
            continue;
        }
        const QString key = path.toLower();
        if (!m_files.contains(key) && !m_folders.contains(key)) {
            m_files.insert(key);
            QString folder;
            for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
                folder += parts[i];
                m_folders.insert(folder.toLower(), folder);
                folder += u'/';
            }
            return path;
        }
        path = withTilde(wanted, n + 1);
    }
}

// --- Space -----------------------------------------------------------------------------------

bool HtmlExport::spaceIsShort(ExportResult& result)
{
    if (!m_checkSpace || !m_freeSpace)
        return false;
    const qint64 needed = static_cast<qint64>(static_cast<double>(result.bytes) * 1.3);
    const qint64 free = m_freeSpace(m_destination);
    if (free < 0 || needed <= free)
        return false;
    const QStorageInfo info(existingAncestor(m_destination));
    const QString drive = info.isValid() ? info.rootPath() : m_destination;
    result.outcome = ExportResult::Outcome::NoSpace;
    result.message = tr("Il risque de ne pas y avoir assez de place\rsur le disque ") + drive + u'\r'
        + tr("pour exporter toute la sélection.") + u'\r' + tr("La sélection a besoin de ")
        + SizeText(needed);
    return true;
}

// --- Export ----------------------------------------------------------------------------------

ExportResult HtmlExport::run()
{
    ExportResult result;
    if (!m_selected)
        return result;
    select();
    for (const Item& it : m_items)
        result.bytes += it.bytes;
    if (m_progress)
        m_progress->sizeKnown(SizeText(result.bytes));
    result.count = static_cast<int>(m_items.size());
    if (spaceIsShort(result))
        return result;

    CreeRepIfNotExists(m_destination, &m_env);
    if (!DirectoryExists(m_destination)) {
        result.outcome = ExportResult::Outcome::NoFolder;
        result.message
            = tr("Le dossier %1 ne peut pas être créé.").arg(QDir::toNativeSeparators(m_destination));
        return result;
    }
    if (m_settings.MakeIndex) {
        m_index = QStringLiteral("<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; "
                                 "charset=utf-8\"><TITLE>")
            + tr("Généré par Glanix") + QStringLiteral("</TITLE></HEAD><BODY><CENTER><H3>")
            + tr("Généré par Glanix") + QStringLiteral("<BR>")
            + frenchDate(m_env.now(), QStringLiteral("dddd d MMMM yyyy hh:mm")).toHtmlEscaped()
            + QStringLiteral("</H3></CENTER><HR>\n<TABLE CELLSPACING=\"0\" CELLPADDING=\"0\" WIDTH=100%> ");
    }
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_cancel) {
            result.outcome = ExportResult::Outcome::Cancelled;
            break;
        }
        if (m_progress) {
            m_progress->caption(tr("Page ") + QString::number(i + 1) + tr(" sur ")
                                + QString::number(m_items.size()) + QStringLiteral(" - ") + m_items[i].name);
            m_progress->processEvents();
            if (m_cancel) {
                result.outcome = ExportResult::Outcome::Cancelled;
                break;
            }
        }
        if (!exportItem(static_cast<int>(i), result)) {
            result.outcome = ExportResult::Outcome::DiskFull;
            break;
        }
    }
    result.count = static_cast<int>(m_items.size());
    if (m_settings.MakeIndex)
        writeIndex(result);

    const QString done = tr("%1 documents exportés sur %2. Les documents écrits sont complets.")
                             .arg(result.exported)
                             .arg(result.count);
    if (result.outcome == ExportResult::Outcome::Cancelled)
        result.message = tr("Export interrompu : ") + done;
    else if (result.outcome == ExportResult::Outcome::DiskFull)
        result.message = tr("Le disque est plein, l'export s'est arrêté : ") + done;
    if (!result.failures.isEmpty()) {
        if (!result.message.isEmpty())
            result.message += u'\r';
        result.message += tr("%1 documents n'ont pas pu être exportés.").arg(result.failures.size());
    }

    if (!result.indexPath.isEmpty() && result.exported > 0) {
        result.openUrl = QUrl::fromLocalFile(result.indexPath).toString();
    } else {
        const auto it = m_selected ? m_byElement.constFind(m_selected) : m_byElement.cend();
        const bool selectedDone = it != m_byElement.cend() && m_items[*it].done;
        result.openUrl
            = QUrl::fromLocalFile(selectedDone ? destinationFile(m_items[*it].path) : m_destination)
                  .toString();
    }
    return result;
}

QString HtmlExport::destinationFile(const QString& path) const
{
    return m_destination + path;
}

bool HtmlExport::exportItem(int index, ExportResult& result)
{
    const Item item = m_items[index];
    const auto fail = [&](const QString& why) {
        const QString line = item.source + QStringLiteral(" : ") + why;
        result.failures << line;
        m_env.logError(QStringLiteral("Export : ") + line);
        return true;
    };
    if (item.path.contains(u'?')) {
        m_env.logError(QStringLiteral("Export : SaveToFile impossible pour cause de ?"));
        return true;
    }
    const QString target = destinationFile(item.path);
    const QString folder = target.left(target.lastIndexOf(u'/'));
    // A folder of the destination may be a link to elsewhere: nothing is written through it.
    // (The file itself is renamed into place, which replaces a link instead of following it.)
    if (!m_checkedFolders.contains(folder)) {
        if (!isInsideFolder(folder, m_destination))
            return fail(tr("chemin hors du dossier d'export"));
        CreeRepIfNotExists(folder, &m_env);
        if (!isInsideFolder(folder, m_destination))
            return fail(tr("chemin hors du dossier d'export"));
        m_checkedFolders.insert(folder);
    }
    QFile in(item.source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    QByteArray content = in.readAll();
    in.close();
    if (item.html) {
        QByteArray rewritten = rewrite(index, content);
        if (!m_settings.dontChange())
            content = std::move(rewritten);
    }
    // Written whole under a temporary name, then renamed: an export stopped by a full disk
    // leaves no half-written page behind.
    const WriteResult w = writeFileAtomically(target, content, false);
    if (!w.ok) {
        fail(w.error);
        return !w.noSpace;
    }
    if (item.lastModified > 0)
        SetFileDate(target, item.lastModified);
    m_items[index].done = true;
    ++result.exported;
    if (m_settings.MakeIndex && item.indexed) {
        QString name = item.name.toHtmlEscaped();
        name.replace(u' ', QStringLiteral("&nbsp;"));
        const QString address = item.url.toHtmlEscaped();
        m_index += QStringLiteral("\n<TR><TD WIDTH=7%>") + QString(item.level + 1, u'.')
            + QStringLiteral("<A HREF=\"") + exportPathUrl(item.path) + QStringLiteral("\">") + name
            + QStringLiteral("</A></TD><TD>&nbsp;<A HREF=\"") + address + QStringLiteral("\">") + address
            + QStringLiteral("</A></TD></TR>");
    }
    return true;
}

QByteArray HtmlExport::rewrite(int index, const QByteArray& content)
{
    // A page in UTF-16 is not read by a byte scan: it is copied as it is.
    if (scannableContent(content, {}) != content)
        return content;
    ExportLinkOptions options;
    options.pageUrl = m_items[index].url;
    options.change = !m_settings.dontChange();
    options.progress = [this, index](int links) {
        if (!m_progress)
            return;
        m_progress->caption(tr("Page ") + QString::number(index + 1) + tr(" sur ")
                            + QString::number(m_items.size()) + QStringLiteral(" - ") + QString::number(links)
                            + tr(" liens - ") + m_items[index].name);
        m_progress->processEvents();
    };
    return rewriteExportLinks(content, options, [this, index](ExportLinkKind kind, const QString& address) {
        return linkTarget(index, static_cast<int>(kind), address);
    });
}

TElement* HtmlExport::imageTarget(TElement* page, const QString& address) const
{
    if (TElement* image = page->FindImageByURL(address))
        return image;
    // A page shares the image its parent or a sibling holds already (it is fetched once):
    // the copy they hold is the one to show.
    return page->HasExt() ? page->FindLocal(address) : nullptr;
}

std::optional<QString> HtmlExport::linkTarget(int from, int kindValue, const QString& address)
{
    const auto kind = static_cast<ExportLinkKind>(kindValue);
    // A copy: taking a target below may grow the list.
    const Item page = m_items[from];
    if (kind == ExportLinkKind::Base)
        return exportPathUrl(page.path.mid(page.path.lastIndexOf(u'/') + 1));

    int target = -1;
    TElement* element = nullptr;
    if (kind == ExportLinkKind::Image && m_settings.WithImg && page.element) {
        element = imageTarget(page.element, address);
    } else if (kind == ExportLinkKind::Frame && page.element && page.element->Node()) {
        const TreeNode* node = page.element->Node();
        for (int i = 0; i < node->childCount() && !element; ++i) {
            TElement* child = node->child(i)->element();
            if (child && child->isAddressOrPage() && sameAddress(child->GetURL(), address))
                element = child;
        }
    }
    if (element) {
        target = m_byElement.value(element, -1);
        const int level = page.level;
        if (target < 0 && take(element, level))
            target = static_cast<int>(m_items.size()) - 1;
    }
    if (target < 0 && (kind != ExportLinkKind::Image || m_settings.WithImg))
        target = m_byUrl.value(urlKey(address), -1);
    if (target >= 0 && !m_items[target].path.contains(u'?'))
        return exportPathUrl(RelativePath(page.path, m_items[target].path));
    return address;
}

void HtmlExport::writeIndex(ExportResult& result)
{
    m_index += QStringLiteral("\n</TABLE>\n</BODY></HTML>\n");
    const QString path = m_destination + m_indexName;
    const WriteResult w = writeFileAtomically(path, m_index.toUtf8(), false);
    if (w.ok)
        result.indexPath = path;
    else
        result.failures << path + QStringLiteral(" : ") + w.error;
}

// --- The tree changing meanwhile -------------------------------------------------------------

void HtmlExport::nodesAboutToBeRemoved(TreeNode* parent, int first, int last)
{
    QSet<const TElement*> gone;
    for (int row = first; row <= last; ++row) {
        TreeNode* top = parent->child(row);
        for (TreeNode* n = top; n && (n == top || top->isAncestorOf(n)); n = n->next()) {
            if (n == m_selectedNode) {
                m_selectedNode = nullptr;
                m_selected = nullptr;
                m_cancel = true;
            }
            if (n->element())
                gone.insert(n->element());
        }
    }
    for (Item& it : m_items) {
        if (it.element
            && (gone.contains(it.element)
                || (it.element->isImage() && gone.contains(it.element->Parent())))) {
            m_byElement.remove(it.element);
            it.element = nullptr;
        }
    }
}

} // namespace glanix
