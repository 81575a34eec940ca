#include "store/TElement.h"

#include "config/Env.h"
#include "config/IniFile.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/StatusTexts.h"

#include <QFileInfo>

namespace glanix {

namespace {

bool startsWithCi(QStringView s, QStringView prefix)
{
    return s.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace

TExt::~TExt()
{
    for (TElement* image : ImgList)
        delete image;
}

TElement::TElement(ElementStore& store)
    : m_store(&store)
{
}

TElement::~TElement()
{
    m_store->host().elementDestroyed(this);
    if (m_node) {
        // Freed directly rather than through its node: the node goes with it.
        TreeNode* node = m_node;
        m_node = nullptr;
        node->m_element = nullptr;
        node->m_ownsElement = false;
        node->deleteNode();
    }
    if (Kind == kindImage && m_parent && m_parent->m_ext) {
        auto& list = m_parent->m_ext->ImgList;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    Messages.clear();
    const bool hadExt = m_ext != nullptr;
    m_ext.reset();
    if (m_inExtList)
        m_store->m_withExt.remove(this);
    else if (hadExt && Kind != kindRoot)
        m_store->env().logError(QStringLiteral("Elément introuvable dans"));
}

// --- Structure -------------------------------------------------------------------------

void TElement::SetHasExt(bool has)
{
    if (has && !m_ext) {
        m_ext = std::make_unique<TExt>();
        m_store->m_withExt.append(this);
    } else if (!has && m_ext) {
        m_ext.reset();
    }
}

void TElement::SetParent(TElement* parent)
{
    const bool hadParent = m_parent != nullptr;
    m_parent = parent;
    if (hadParent)
        RecomputeDirs();
    else
        deriveDirs();
}

void TElement::deriveDirs()
{
    if (!m_parent)
        return;
    switch (Kind) {
    case kindAddress:
        m_dlDir = m_parent->GetSavePath();
        break;
    case kindFolder:
        m_dlDir = m_parent->GetSavePath();
        m_favsDir = m_parent->GetChildsPath();
        break;
    case kindPage:
    case kindImage:
        m_favsDir = m_parent->GetChildsPath();
        break;
    default:
        break;
    }
}

void TElement::RecomputeDirs()
{
    deriveDirs();
    if (m_node) {
        for (int i = 0; i < m_node->childCount(); ++i) {
            if (TElement* e = m_node->child(i)->element())
                e->RecomputeDirs();
        }
    }
    if (m_ext) {
        for (TElement* image : m_ext->ImgList)
            image->deriveDirs();
    }
}

TElement* TElement::GetAgent()
{
    for (TElement* e = this; e; e = e->m_parent) {
        if (e->Kind == kindAgent || e->Kind == kindRoot)
            return e;
    }
    return nullptr;
}

QString TElement::TreePath() const
{
    if (Kind == kindImage)
        return (m_parent ? m_parent->TreePath() : QString()) + QStringLiteral("\\Images\\") + m_name;
    QString path;
    for (const TElement* e = this; e && e->Kind != kindRoot; e = e->m_parent) {
        path = path.isEmpty() ? e->m_name : e->m_name + u'\\' + path;
        if (e->Kind == kindAgent)
            break;
    }
    return path;
}

// --- Inheritance -----------------------------------------------------------------------

TElement* TElement::inheritFrom() const
{
    if (m_parent)
        return m_parent;
    TElement* root = m_store->RootElement();
    return root == this ? nullptr : root;
}

quint8 TElement::GetVersions()
{
    if (Versions == kInherit && m_parent)
        Versions = m_parent->GetVersions();
    return Versions;
}

void TElement::SetVersions(quint8 versions)
{
    const int current = static_cast<qint8>(Versions);
    if (current > int(versions)) {
        const QString path = GetSavePath();
        if (!path.isEmpty()) {
            for (int n = int(versions) + 2; n <= current + 1; ++n)
                RemoveFile(SaveFileNameVersionPrec(path, n));
        }
    }
    Versions = versions;
}

quint8 TElement::GetDownLoadType()
{
    if (DownLoadType == kInherit && m_parent)
        DownLoadType = m_parent->GetDownLoadType();
    return DownLoadType;
}

double TElement::GetFrequency()
{
    if (Frequency == kFrequencyInherit && m_parent)
        Frequency = m_parent->GetFrequency();
    return Frequency;
}

bool TElement::GetActive()
{
    if (!ActiveDefined && m_parent) {
        Active = m_parent->GetActive();
        ActiveDefined = true;
    }
    return Active;
}

void TElement::SetActive(bool active)
{
    Active = active;
    ActiveDefined = true;
    updateStateMark();
}

bool TElement::IsActive() const
{
    for (const TElement* e = this; e; e = e->m_parent) {
        if (!e->Active)
            return false;
    }
    return true;
}

bool TElement::GetDownLoadImages()
{
    if (!m_ext)
        return true;
    if (!m_ext->DownLoadImagesDefined) {
        if (TElement* from = inheritFrom())
            return from->GetDownLoadImages();
    }
    return m_ext->DownLoadImages;
}

bool TElement::GetDownLoadImagesDefined() const
{
    return !m_ext || m_ext->DownLoadImagesDefined;
}

void TElement::SetDownLoadImages(bool on)
{
    if (!m_ext)
        return;
    m_ext->DownLoadImages = on;
    m_ext->DownLoadImagesDefined = true;
}

qint32 TElement::GetDownLoadLinksDepth()
{
    if (!m_ext)
        return 0;
    if (m_ext->DownLoadLinksDepth != -1)
        return m_ext->DownLoadLinksDepth;
    if (!m_node)
        return -1;
    if (!m_parent)
        return 0;
    return std::max(0, m_parent->GetDownLoadLinksDepth() - 1);
}

void TElement::SetDownLoadLinksDepth(qint32 depth)
{
    if (m_ext)
        m_ext->DownLoadLinksDepth = depth;
}

QString TElement::GetDownLoadLinksStart()
{
    if (!m_ext)
        return {};
    if (!m_ext->LinksStartDefined && Kind >= kindFolder && m_parent) {
        // "Same folder" and "same server" follow the chain of linked pages.
        const QString start = m_parent->GetDownLoadLinksStart();
        const QString& parentUrl = m_parent->m_url;
        bool take = true;
        QString taken;
        if (m_url.contains(start))
            taken = start;
        else if (start == DirectoryPart(parentUrl))
            taken = DirectoryPart(m_url);
        else if (start == ServerPart(parentUrl))
            taken = ServerPart(m_url);
        else
            take = false;
        if (take) {
            m_ext->DownLoadLinksStart = taken;
            m_ext->LinksStartDefined = true;
        }
    }
    return m_ext->DownLoadLinksStart;
}

void TElement::SetDownLoadLinksStart(const QString& start)
{
    if (!m_ext)
        return;
    m_ext->DownLoadLinksStart = start;
    m_ext->LinksStartDefined = true;
}

bool TElement::GetLinksStartDefined()
{
    if (!m_ext)
        return true;
    if (!m_ext->LinksStartDefined && m_node) {
        if (TElement* from = inheritFrom())
            m_ext->LinksStartDefined = from->GetLinksStartDefined();
    }
    return m_ext->LinksStartDefined;
}

QString TElement::GetIncludeMask()
{
    if (!m_ext)
        return {};
    if (!m_ext->MasksDefined && m_node) {
        if (TElement* from = inheritFrom())
            return from->GetIncludeMask();
    }
    return m_ext->IncludeMask;
}

void TElement::SetIncludeMask(const QString& mask)
{
    if (!m_ext)
        return;
    m_ext->IncludeMask = mask;
    m_ext->MasksDefined = true;
}

QString TElement::GetExcludeMask()
{
    if (!m_ext)
        return {};
    if (!m_ext->MasksDefined && m_node) {
        if (TElement* from = inheritFrom())
            return from->GetExcludeMask();
    }
    return m_ext->ExcludeMask;
}

void TElement::SetExcludeMask(const QString& mask)
{
    if (!m_ext)
        return;
    m_ext->ExcludeMask = mask;
    m_ext->MasksDefined = true;
}

qint32 TElement::GetPosition() const
{
    return m_ext ? m_ext->Position : 0;
}

void TElement::SetPosition(qint32 position)
{
    if (m_ext)
        m_ext->Position = position;
}

qint32 TElement::GetLoadedDepth() const
{
    return m_ext ? m_ext->LoadedDepth : 2000;
}

// --- State -----------------------------------------------------------------------------

int TElement::stateMarkFor() const
{
    if (Kind == kindImageGroup)
        return markNone;
    if (State == stateUnread)
        return markUnread;
    if (State == stateError)
        return markError;
    return Active ? markNone : markInactive;
}

void TElement::updateStateMark()
{
    if (m_node)
        m_node->setStateMark(stateMarkFor());
}

void TElement::SetState(quint8 state)
{
    if (State == state)
        return;
    State = state;
    updateStateMark();
}

void TElement::SetLastModified(TDateTime date)
{
    LastModified = date;
    for (TElement* a = m_parent; a && a->m_node; a = a->m_parent) {
        if ((a->Kind == kindFolder || a->Kind == kindAgent) && a->LastModified < date) {
            a->LastModified = date;
            a->Save();
        }
    }
}

// --- Messages --------------------------------------------------------------------------

QStringList& TElement::GetMessages()
{
    if (Messages.isEmpty() && (isAddressOrPage() || Kind == kindImage)) {
        const QString path = GetIniFileName();
        if (!path.isEmpty()) {
            const IniFile ini(path, m_store->writer().pending(path));
            Messages = ini.sectionLines(Kind == kindImage ? QStringLiteral("GlanixImg Messages ") + m_name
                                                          : QStringLiteral("Glanix Messages"));
        }
    }
    return Messages;
}

QString TElement::GetServerInfo()
{
    QString info;
    bool server = false;
    bool cookie = false;
    for (const QString& line : GetMessages()) {
        if (!server && line.mid(4, 6).toLower() == u"server") {
            info += line.mid(4);
            server = true;
        } else if (!cookie && line.mid(4, 10).toLower() == u"set-cookie") {
            info += (server ? QStringLiteral("    ") : QString()) + line.mid(4);
            cookie = true;
        }
    }
    ClearMessages();
    return info;
}

// --- Presentation ----------------------------------------------------------------------

QString TElement::StatusText() const
{
    return glanix::StatusText(StatusNumber, Complete);
}

int TElement::GetImageIndex()
{
    if (ImageIndex != -1)
        return ImageIndex;
    int index = 0;
    switch (Kind) {
    case kindRoot:
        index = 0;
        break;
    case kindAgent: {
        const QString& favorites = m_store->favoritesFolder();
        if (m_name == u"Netscape")
            index = 1;
        else if (!favorites.isEmpty() && withSlash(m_favsDir).startsWith(favorites))
            index = 2;
        else
            index = 0;
        break;
    }
    case kindFolder:
        index = 3;
        break;
    case kindImageGroup:
        index = 6;
        break;
    default:
        if (LastModified <= 0) {
            if (StatusNumber != 0 && StatusNumber != 200)
                index = 7;
            else if (startsWithCi(m_url, u"ftp"))
                index = 12;
            else if (GetDownLoadType() != 0)
                index = 11;
            else
                index = 5;
        } else {
            const QString path = GetSavePath();
            if (!path.isEmpty() && QFileInfo(path).isFile()) {
                KnownTypes& known = m_store->knownTypes();
                index = 14 + known.add(ContentType, ExtensionForType(ContentType, m_name, &known));
            } else {
                index = 11;
                if (GetDownLoadType() == 0) {
                    // Fetch it again at the next check.
                    LastVerified = 0;
                    Env& env = m_store->env();
                    if (env.isDebug()) {
                        env.logError(QStringLiteral("Fichier introuvable : ") + path);
                        env.appendLine(QStringLiteral("Fichier Introuvables.txt"), path);
                    }
                }
            }
        }
    }
    ImageIndex = index;
    return index;
}

bool TElement::IsHtml() const
{
    return (ContentType == u"text/html" || ContentType.isEmpty()) && isAddressOrPage();
}

bool TElement::IsText() const
{
    return ContentType == u"text/plain";
}

bool TElement::IsImage() const
{
    return ContentType == u"image/gif" || ContentType == u"image/bmp" || ContentType == u"image/jpeg"
        || ContentType == u"image/png";
}

bool TElement::HasVisibleChildren() const
{
    const TreeNode* first = m_node ? m_node->firstChild() : nullptr;
    if (!first)
        return false;
    if (first->element() && first->element()->Kind == kindImageGroup)
        return first->nextSibling() != nullptr;
    return true;
}

// --- Lookups ---------------------------------------------------------------------------

TreeNode* TElement::FindElementByURL(const QString& url) const
{
    return m_store->FindElementByURL(url);
}

TElement* TElement::FindImageByURL(const QString& url) const
{
    if (!m_ext)
        return nullptr;
    for (TElement* image : m_ext->ImgList) {
        if (sameAddress(image->m_url, url))
            return image;
    }
    return nullptr;
}

TElement* TElement::findImageByName(const QString& name) const
{
    if (!m_ext)
        return nullptr;
    for (TElement* image : m_ext->ImgList) {
        if (image->m_name == name)
            return image;
    }
    return nullptr;
}

TElement* TElement::FindLocal(const QString& url)
{
    if (!m_ext)
        return m_url == url ? this : nullptr;
    const QString server = ServerPart(url);
    for (TElement* from = this;;) {
        TElement* parent = from->m_parent;
        if (!parent)
            return nullptr;
        if (TElement* image = parent->FindImageByURL(url))
            return image;
        if (const TreeNode* node = parent->m_node) {
            for (int i = 0; i < node->childCount(); ++i) {
                TElement* e = node->child(i)->element();
                if (!e || e == from || e->Kind == kindImageGroup)
                    continue;
                if (sameAddress(e->m_url, url))
                    return e;
                if (TElement* image = e->FindImageByURL(url))
                    return image;
            }
        }
        if (!parent->isAddressOrPage() || ServerPart(parent->m_url).compare(server, Qt::CaseInsensitive) != 0)
            return nullptr;
        from = parent;
    }
}

std::unique_ptr<TElement> TElement::RemoveFromImgList(TElement* image)
{
    if (!m_ext) {
        m_store->env().logError(
            QStringLiteral("RemoveFromImgList est appelée par un élément sans extension"));
        return {};
    }
    auto& list = m_ext->ImgList;
    const auto it = std::find(list.begin(), list.end(), image);
    if (it == list.end()) {
        if (m_store->env().isDebug())
            m_store->env().logError(QStringLiteral("Element introuvable dans ImgList"));
        return {};
    }
    list.erase(it);
    return std::unique_ptr<TElement>(image);
}

void TElement::addImage(std::unique_ptr<TElement> image)
{
    if (!m_ext || !image)
        return;
    image->Kind = kindImage;
    if (image->m_parent != this)
        image->SetParent(this);
    m_ext->ImgList.push_back(image.release());
}

// --- Images in the tree ----------------------------------------------------------------

TreeNode* TElement::imageGroupNode() const
{
    TreeNode* first = m_node ? m_node->firstChild() : nullptr;
    return first && first->element() && first->element()->Kind == kindImageGroup ? first : nullptr;
}

void TElement::BuildImageNodes()
{
    if (!m_ext || m_ext->ImgList.empty() || !m_node)
        return;
    TreeNode* group = imageGroupNode();
    if (!group) {
        auto* element = new TElement(*m_store);
        element->Kind = kindImageGroup;
        element->SetParent(this);
        element->SetName(QStringLiteral("Images"));
        group = m_node->insertChild(0, QStringLiteral("Images"), element);
    }
    for (TElement* image : m_ext->ImgList) {
        if (!image->m_node) {
            group->addSorted(image->m_name, image, false);
            image->updateStateMark();
        }
    }
}

void TElement::RemoveImageGroup()
{
    if (TreeNode* group = imageGroupNode())
        group->deleteNode();
}

void TElement::CopyFrom(const TElement& other)
{
    m_name = other.m_name;
    assignUrl(other.m_url);
    Versions = other.Versions;
    DownLoadType = other.DownLoadType;
    Frequency = other.Frequency;
    Active = other.Active;
    ActiveDefined = other.ActiveDefined;
    if (m_ext && other.m_ext) {
        m_ext->DownLoadImages = other.m_ext->DownLoadImages;
        m_ext->DownLoadImagesDefined = other.m_ext->DownLoadImagesDefined;
        m_ext->DownLoadLinksDepth = other.m_ext->DownLoadLinksDepth;
        m_ext->DownLoadLinksStart = other.m_ext->DownLoadLinksStart;
        m_ext->LinksStartDefined = other.m_ext->LinksStartDefined;
        m_ext->IncludeMask = other.m_ext->IncludeMask;
        m_ext->ExcludeMask = other.m_ext->ExcludeMask;
        m_ext->MasksDefined = other.m_ext->MasksDefined;
        m_ext->Position = other.m_ext->Position;
    }
}

void TElement::FreeAnalysis()
{
    if (!m_ext)
        return;
    m_ext->ImageLinks.clear();
    m_ext->PageLinks.clear();
    m_ext->FrameLinks.clear();
    m_ext->Analysed = false;
}

} // namespace glanix
