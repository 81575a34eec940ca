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

void ElementList::append(TElement* e)
{
    if (e->m_inExtList)
        return;
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
    m_host = &m_noHost;
    m_tree.setObserver(nullptr);
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
    const QString key = urlKey(url);
    for (TElement* e = m_withExt.last(); e; e = ElementList::previous(e)) {
        QStringView candidate = e->GetURL();
        if (candidate.endsWith(u'/') || candidate.endsWith(u'\\'))
            candidate.chop(1);
        if (sameAddress(candidate, key))
            return e->Node();
    }
    return nullptr;
}

void ElementStore::closeAll()
{
    m_tree.clear();
    m_openAgents.clear();
}

} // namespace glanix
