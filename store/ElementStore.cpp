#include "store/ElementStore.h"

#include "config/Env.h"
#include "store/Addresses.h"
#include "store/TElement.h"

namespace glanix {

TElement* ElementList::next(const TElement* e)
{
    return e ? e->m_nextWithExt : nullptr;
}

TElement* ElementList::previous(const TElement* e)
{
    return e ? e->m_prevWithExt : nullptr;
}

bool ElementList::contains(const TElement* e) const
{
    return e && e->m_inExtList;
}

namespace {

// What two addresses that FindElementByURL takes for the same must share: the text without
// one trailing separator, ASCII letters lowered.
QString indexKey(QStringView url)
{
    if (url.endsWith(u'/') || url.endsWith(u'\\'))
        url.chop(1);
    QString key = url.toString();
    for (QChar& c : key) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + 32);
    }
    return key;
}

} // namespace

void ElementList::index(TElement* e, const QString& url)
{
    m_byUrl[indexKey(url)].push_back(e);
}

void ElementList::unindex(TElement* e, const QString& url)
{
    const auto it = m_byUrl.find(indexKey(url));
    if (it == m_byUrl.end())
        return;
    std::erase(it.value(), e);
    if (it.value().empty())
        m_byUrl.erase(it);
}

void ElementList::urlChanging(TElement* e, const QString& from, const QString& to)
{
    if (!e->m_inExtList)
        return;
    unindex(e, from);
    index(e, to);
}

TElement* ElementList::lastWithUrl(const QString& key) const
{
    const auto it = m_byUrl.constFind(indexKey(key));
    if (it == m_byUrl.constEnd())
        return nullptr;
    TElement* last = nullptr;
    for (TElement* e : it.value()) {
        if (!last || e->m_extOrder > last->m_extOrder)
            last = e;
    }
    return last;
}

void ElementList::append(TElement* e)
{
    if (e->m_inExtList)
        return;
    e->m_extOrder = ++m_appended;
    index(e, e->m_url);
    e->m_prevWithExt = m_last;
    e->m_nextWithExt = nullptr;
    if (m_last)
        m_last->m_nextWithExt = e;
    else
        m_first = e;
    m_last = e;
    e->m_inExtList = true;
    ++m_count;
}

void ElementList::remove(TElement* e)
{
    if (!e->m_inExtList)
        return;
    unindex(e, e->m_url);
    if (e->m_prevWithExt)
        e->m_prevWithExt->m_nextWithExt = e->m_nextWithExt;
    else
        m_first = e->m_nextWithExt;
    if (e->m_nextWithExt)
        e->m_nextWithExt->m_prevWithExt = e->m_prevWithExt;
    else
        m_last = e->m_prevWithExt;
    e->m_prevWithExt = e->m_nextWithExt = nullptr;
    e->m_inExtList = false;
    --m_count;
}

ElementStore::ElementStore(Env& env)
    : m_env(env)
{
    m_root = std::make_unique<TElement>(*this);
    m_root->SetHasExt(true);
    m_root->Kind = kindRoot;
    m_root->Load();
    // The root's folder is never stored: it is the home, whatever the file says.
    if (m_root->DLDir().isEmpty())
        m_root->m_dlDir = env.home();
}

ElementStore::~ElementStore()
{
    m_writer.settleAll();
    for (const QString& error : m_writer.takeErrors())
        m_env.logError(error);
    m_host = &m_noHost;
    m_tree.clearObservers();
    m_tree.clear();
    m_root.reset();
}

void ElementStore::setHost(StoreHost* host)
{
    m_host = host ? host : &m_noHost;
}

void ElementStore::setFavoritesFolder(const QString& folder)
{
    m_favoritesFolder = folder;
    if (!m_favoritesFolder.isEmpty() && !m_favoritesFolder.endsWith(u'/'))
        m_favoritesFolder += u'/';
}

namespace {

constexpr int kWholeTree = 200; // LoadChildren reads no deeper

QString urlKey(QString url)
{
    const qsizetype hash = url.indexOf(u'#');
    if (hash >= 0)
        url.truncate(hash);
    if (url.endsWith(u'/') || url.endsWith(u'\\'))
        url.chop(1);
    return url;
}

} // namespace

TreeNode* ElementStore::FindElementByURL(const QString& url) const
{
    const TElement* e = m_withExt.lastWithUrl(urlKey(url));
    return e ? e->Node() : nullptr;
}

void ElementStore::loadEveryAgent()
{
    for (int i = 0; i < m_tree.topLevelCount(); ++i) {
        if (TElement* agent = m_tree.topLevel(i)->element())
            agent->LoadChildren(kWholeTree);
    }
}

void ElementStore::closeAll()
{
    m_tree.clear();
    m_openAgents.clear();
}

} // namespace glanix
