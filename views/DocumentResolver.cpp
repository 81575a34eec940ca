#include "views/DocumentResolver.h"

#include "config/Env.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/TElement.h"
#include "store/TreeNode.h"
#include "views/ViewUrls.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <algorithm>

namespace glanix {

namespace {

constexpr QLatin1String kMissing("Frame Missing.html");

// Addresses of one document: fragment cut, one trailing separator and ASCII case ignored.
QStringView documentKey(QStringView url)
{
    const qsizetype hash = url.indexOf(u'#');
    if (hash >= 0)
        url.truncate(hash);
    if (url.endsWith(u'/') || url.endsWith(u'\\'))
        url.chop(1);
    return url;
}

bool sameDocument(const QString& stored, const QStringList& forms)
{
    const QStringView key = documentKey(stored);
    for (const QString& f : forms) {
        if (sameAddress(key, documentKey(f)))
            return true;
    }
    return false;
}

bool hasFile(TElement* e)
{
    return e && !DocumentResolver::servableFile(e).isEmpty();
}

TElement* storedChild(TElement* parent, const QStringList& forms)
{
    if (!parent || !parent->HasExt())
        return nullptr;
    parent->LoadChildren(1);
    const TreeNode* node = parent->Node();
    if (!node)
        return nullptr;
    for (int i = 0; i < node->childCount(); ++i) {
        TElement* e = node->child(i)->element();
        if (e && e->isAddressOrPage() && sameDocument(e->GetURL(), forms) && hasFile(e))
            return e;
    }
    return nullptr;
}

TElement* nearCopy(TElement* from, const QStringList& forms)
{
    if (!from)
        return nullptr;
    for (const QString& f : forms) {
        TElement* e = from->FindLocal(f);
        if (hasFile(e))
            return e;
    }
    return nullptr;
}

// The agent's folders, or the home for an element outside any agent.
QStringList allowedFolders(TElement* e)
{
    QStringList folders;
    TElement* agent = e->GetAgent();
    if (agent && agent->Kind == kindAgent) {
        folders << agent->DLDir() << agent->FavsDir();
    } else {
        folders << e->store().env().home();
    }
    folders.removeAll(QString());
    return folders;
}

} // namespace

DocumentResolver::DocumentResolver(Env& env)
    : m_env(env)
{
}

QString DocumentResolver::homeFile(const QString& name) const
{
    return m_env.homeFile(name);
}

QString DocumentResolver::missingFile() const
{
    return m_env.homeFile(kMissing);
}

QString DocumentResolver::servableFile(TElement* e, int version)
{
    if (!e || e->Kind < kindAddress || e->Kind > kindImage)
        return {};
    const QString current = e->GetSavePath();
    if (current.isEmpty())
        return {};
    const QString path = version <= 1 ? current : SaveFileNameVersionPrec(current, version);
    if (!QFileInfo(path).isFile())
        return {};
    for (const QString& folder : allowedFolders(e)) {
        if (isInsideFolder(path, folder))
            return path;
    }
    return {};
}

QByteArray DocumentResolver::mimeTypeOf(const TElement* e, const QString& file)
{
    // Only the type itself and a plain charset name reach the engine.
    static const QRegularExpression plain(
        QStringLiteral("^\\s*([A-Za-z0-9.+-]+/[A-Za-z0-9.+-]+)(?:[\\s;]|$)"));
    QByteArray type;
    if (e) {
        const QRegularExpressionMatch m = plain.match(e->ContentType);
        if (m.hasMatch())
            type = m.captured(1).toLower().toLatin1();
    }
    if (type.isEmpty()) {
        const QMimeType t = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension);
        type = t.isValid() && !t.isDefault() ? t.name().toLatin1()
                                             : QByteArrayLiteral("application/octet-stream");
    }
    if (type != "text/html" && type != "text/plain")
        return type;
    const QByteArray charset = textCharset(e ? e->ContentType : QString(), file);
    return charset.isEmpty() ? type : type + ";charset=" + charset;
}

QByteArray DocumentResolver::textCharset(const QString& contentType, const QString& file)
{
    // The server's word first, as a plain name only.
    static const QRegularExpression declared(QStringLiteral("charset\\s*=\\s*\"?([A-Za-z0-9._:-]{1,40})"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = declared.match(contentType); m.hasMatch())
        return m.captured(1).toLower().toLatin1();
    QFile in(file);
    if (in.size() > (8 << 20) || !in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = in.readAll();
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<uchar>(c) < 0x80; }))
        return {}; // the same in every charset
    // A byte-order mark or a charset the page names is the engine's to read.
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")
        || bytes.left(4096).toLower().contains("charset"))
        return {};
    // Otherwise as the program reads pages: UTF-8 when the bytes are, else Windows-1252.
    const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    return utf8 ? QByteArrayLiteral("utf-8") : QByteArrayLiteral("windows-1252");
}

TElement* DocumentResolver::findDocument(const QStringList& forms, const ShownDocuments& shown) const
{
    if (forms.isEmpty())
        return nullptr;
    TElement* element = shown.Element;
    if (element && sameDocument(element->GetURL(), forms) && hasFile(element))
        return element;
    if (TElement* e = storedChild(element, forms))
        return e;
    for (auto it = shown.ShownElements.rbegin(); it != shown.ShownElements.rend(); ++it) {
        if (*it && *it != element) {
            if (TElement* e = storedChild(*it, forms))
                return e;
        }
    }
    if (TElement* e = nearCopy(element, forms); e && e->isAddressOrPage())
        return e;
    if (element) {
        for (const QString& f : forms) {
            const TreeNode* node = element->store().FindElementByURL(f);
            if (node && hasFile(node->element()))
                return node->element();
        }
    }
    return nullptr;
}

TElement* DocumentResolver::findImage(const QStringList& forms, const ShownDocuments& shown) const
{
    if (forms.isEmpty())
        return nullptr;
    std::vector<TElement*> holders;
    if (shown.Element)
        holders.push_back(shown.Element);
    for (TElement* e : shown.ShownElements) {
        if (e && std::find(holders.begin(), holders.end(), e) == holders.end())
            holders.push_back(e);
    }
    for (TElement* holder : holders) {
        for (const QString& f : forms) {
            TElement* image = holder->FindImageByURL(f);
            if (hasFile(image))
                return image;
        }
    }
    // Images are stored once per neighbourhood: the parent or a sibling may hold this one.
    for (TElement* holder : holders) {
        if (TElement* e = nearCopy(holder, forms))
            return e;
    }
    return nullptr;
}

ResolvedRequest DocumentResolver::resolve(const QUrl& url, RequestKind kind,
                                          const ShownDocuments& shown) const
{
    ResolvedRequest r;
    const QStringList forms = storedAddressForms(url);
    TElement* found = nullptr;
    if (kind == RequestKind::Document) {
        found = findDocument(forms, shown);
        if (!found)
            found = findImage(forms, shown);
    } else {
        found = findImage(forms, shown);
        if (!found)
            found = findDocument(forms, shown);
    }
    if (found) {
        r.version = found == shown.versionElement ? std::max(1, shown.CurrentVersion) : 1;
        r.file = servableFile(found, r.version);
        if (r.file.isEmpty() && r.version > 1) {
            r.version = 1;
            r.file = servableFile(found, 1);
        }
        r.element = found;
        r.mimeType = mimeTypeOf(found, r.file);
        r.missing = false;
        return r;
    }
    // The change icons of a comparison, when no stored image bears their name.
    const QString name = url.path().mid(url.path().lastIndexOf(u'/') + 1);
    for (const char* icon : {"g_new.gif", "g_wen.gif"}) {
        if (name.compare(QLatin1String(icon), Qt::CaseInsensitive) == 0) {
            const QString file = m_env.homeFile(QLatin1String(icon));
            if (QFileInfo(file).isFile()) {
                r.file = file;
                r.mimeType = "image/gif";
                r.missing = false;
                return r;
            }
        }
    }
    r.file = missingFile();
    r.mimeType = "text/html";
    return r;
}

void installViewFiles(Env& env)
{
    for (const QString& name :
         {QString(kMissing), QStringLiteral("g_new.gif"), QStringLiteral("g_wen.gif")}) {
        const QString target = env.homeFile(name);
        if (PathExists(target))
            continue;
        if (!QFile::copy(QStringLiteral(":/views/files/") + name, target)) {
            env.logError(QStringLiteral("Pb dans installViewFiles : ") + name);
            continue;
        }
        QFile::setPermissions(target,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

} // namespace glanix
