#pragma once

#include "config/DeferredFileWriter.h"
#include "store/ContentTypes.h"
#include "store/TreeNode.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The element store of one running program: the root element with the global defaults, the
// tree of open agents, the list of elements that own options (ElementsWithExt), the content
// types met so far, whether images are shown in the tree, and the list of open agent files.
// Every element reaches it; tests build a fresh one per test. What the store needs from the
// main window goes through StoreHost (a no-op host when headless).
namespace glanix {

class Env;
class TElement;

class StoreHost {
public:
    virtual ~StoreHost() = default;

    virtual TreeNode* selectedNode() const { return nullptr; }

    virtual void selectNode(TreeNode* /*node*/) { }

    // The node's icon or marks may have changed.
    virtual void refreshNode(TreeNode* /*node*/) { }

    // Closes every view window that shows the element.
    virtual void closeViewsOf(TElement* /*element*/) { }

    // The element is being freed: drop it from lists and from the current element.
    virtual void elementDestroyed(TElement* /*element*/) { }
};

// ElementsWithExt: every element that owns (or owned) a TExt, in the order they got it.
class ElementList {
public:
    TElement* first() const { return m_first; }

    TElement* last() const { return m_last; }

    static TElement* next(const TElement* e);
    static TElement* previous(const TElement* e);

    int count() const { return m_count; }

    bool contains(const TElement* e) const;

    // The last element of the list whose address matches `key` (see urlKey in the store).
    TElement* lastWithUrl(const QString& key) const;

private:
    friend class TElement;
    void append(TElement* e);
    void remove(TElement* e);
    // An element of the list changes its address.
    void urlChanging(TElement* e, const QString& from, const QString& to);
    void index(TElement* e, const QString& url);
    void unindex(TElement* e, const QString& url);

    TElement* m_first = nullptr;
    TElement* m_last = nullptr;
    int m_count = 0;
    quint64 m_appended = 0;
    // Lookups by address would otherwise scan the whole list for every link of every page.
    QHash<QString, std::vector<TElement*>> m_byUrl;
};

class ElementStore {
public:
    // Creates RootElement and reads it from Glanix.ini in the env's home.
    explicit ElementStore(Env& env);
    ~ElementStore();
    ElementStore(const ElementStore&) = delete;
    ElementStore& operator=(const ElementStore&) = delete;

    Env& env() const { return m_env; }

    TElement* RootElement() const { return m_root.get(); }

    ElementTree& tree() { return m_tree; }

    const ElementTree& tree() const { return m_tree; }

    ElementList& ElementsWithExt() { return m_withExt; }

    const ElementList& ElementsWithExt() const { return m_withExt; }

    KnownTypes& knownTypes() { return m_knownTypes; }

    const KnownTypes& knownTypes() const { return m_knownTypes; }

    StoreHost& host() const { return *m_host; }

    // Where element files are written (the root's Glanix.ini excepted): a download step
    // defers its writes to its thread; every reader and file operation of the store goes
    // through it.
    DeferredFileWriter& writer() { return m_writer; }

    // Null restores the no-op host.
    void setHost(StoreHost* host);

    // The main window's "show images in the tree".
    bool seeImages() const { return m_seeImages; }

    void setSeeImages(bool on) { m_seeImages = on; }

    // Scripts are stored with their pages only when the views run them (Html/RunScripts).
    bool storeScripts() const { return m_storeScripts; }

    void setStoreScripts(bool on) { m_storeScripts = on; }

    // The browser favourites folder shared with agents ("favorites" in an agent file);
    // empty when there is none.
    const QString& favoritesFolder() const { return m_favoritesFolder; }

    void setFavoritesFolder(const QString& folder);

    // Paths of the open agent files, in opening order.
    QStringList& openAgents() { return m_openAgents; }

    const QStringList& openAgents() const { return m_openAgents; }

    // The node of the last element with ExT whose address matches (fragment and one trailing
    // slash ignored, ASCII case ignored).
    TreeNode* FindElementByURL(const QString& url) const;

    // Reads every open agent's whole tree from disk (what is read already is not read again).
    // The tree is otherwise read lazily, and FindElementByURL only knows what is read: a page
    // analysed before the rest is read would take known addresses for new ones.
    void loadEveryAgent();

    // Frees every agent: nodes and elements.
    void closeAll();

private:
    friend class TElement;

    Env& m_env;
    DeferredFileWriter m_writer;
    StoreHost m_noHost;
    StoreHost* m_host = &m_noHost;
    ElementList m_withExt;
    KnownTypes m_knownTypes;
    QStringList m_openAgents;
    QString m_favoritesFolder;
    bool m_seeImages = true;
    bool m_storeScripts = false;
    ElementTree m_tree;
    std::unique_ptr<TElement> m_root;
};

} // namespace glanix
