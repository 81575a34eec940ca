#pragma once

#include "store/TreeNode.h"
#include "views/SearchScorer.h"

#include <QString>

// The walk of a search over the tree: which elements are searched, in which order, and the
// copy of their text handed to the scorer. It runs on the thread that owns the tree and
// follows the tree's changes meanwhile: a deleted element is never handed back, a closed
// agent ends a search confined to it, and the walk always ends.
namespace glanix {

class ElementStore;
class TElement;

struct SearchSettings {
    QString query;
    bool fast = false; // the code engine
    bool inTitle = true;
    bool inURL = true;
    bool inNotes = true;
    bool inPages = true;
    int where = 0; // 0 the selected element's content, 1 its agent, 2 every open agent
    bool count = true;
    bool checkMinAge = false;
    bool checkMaxAge = false;
    int minDaysOld = 1;
    int maxDaysOld = 365;
};

class SearchWalk final : public TreeObserver {
public:
    SearchWalk(ElementStore& store, TreeNode* start, const SearchSettings& settings);
    ~SearchWalk() override;
    SearchWalk(const SearchWalk&) = delete;
    SearchWalk& operator=(const SearchWalk&) = delete;

    enum class Step { Found, Later, End };

    // Moves to the next element to search and copies its text into `item`. Visits at most
    // `budget` nodes: Later when none of them is searched, so that a long run of folders or
    // pages never downloaded does not hold the user-interface thread.
    Step step(SearchItem& item, int budget);

    // The next element to search, however far; false at the end.
    bool next(SearchItem& item);

    // The element `next` handed out last; null when it has been removed since.
    TElement* current() const { return m_current; }

    // Elements handed out so far.
    int documents() const { return m_documents; }

    // The walk is over for good and no longer follows the tree (its owner may outlive it).
    void detach();

    void nodesAboutToBeRemoved(TreeNode* parent, int first, int last) override;

private:
    TreeNode* following(TreeNode* node) const;
    TreeNode* advance();
    bool searchable(TElement& e) const;
    void fill(TElement& e, SearchItem& item) const;

    ElementStore& m_store;
    SearchSettings m_settings;
    TreeNode* m_start;
    TreeNode* m_agent;
    int m_startLevel;
    TreeNode* m_node = nullptr; // last node visited
    TreeNode* m_resume = nullptr; // visited next instead of what follows m_node (it was removed)
    bool m_resumeAtEnd = false; // what followed the removed node was the end of the tree
    bool m_begun = false;
    bool m_done = false;
    bool m_detached = false;
    int m_wraps = 0;
    TElement* m_current = nullptr;
    int m_documents = 0;
};

} // namespace glanix
