#pragma once

#include "views/SearchWalk.h"
#include "views/TThreadSearch.h"

#include <QObject>
#include <memory>

// One search as the results window sees it: the walk over the tree and the search thread, the
// texts of its label and caption, and a row for each result. It lives on the user-interface
// thread; the thread reaches it only through the three steps, which it serves here.
namespace glanix {

class SearchSession final : public QObject, private SearchSteps {
    Q_OBJECT

public:
    SearchSession(ElementStore& store, TreeNode* start, const SearchSettings& settings,
                  QObject* parent = nullptr);
    // Stops a search still running.
    ~SearchSession() override;

    // Starts the thread at idle priority; false (and "ThreadSearch non lancé" in the error
    // log) when it cannot be started.
    bool start();
    // "Suspendre" / "Reprendre".
    void toggleSuspended();
    QString suspendButtonText() const;
    // The results window is closing: the search stops, the rows stay, and the session lets go
    // of the tree (the window may be freed after the store).
    void stop();

    bool isRunning() const { return m_thread != nullptr; }

    // "Recherche dans les pages, ... dans NAME".
    QString label() const { return m_label; }

    QString caption() const { return m_caption; }

    // The "Occurrences" column: right-aligned in three characters at least.
    static QString occurrencesText(int score);

signals:
    void captionChanged(const QString& caption);
    void resultAdded(TElement* element, const QString& occurrences);
    // The walk ended; the window sorts its rows and hides its stop button.
    void finished();

private:
    Next nextElement(SearchItem& item) override;
    void addResult(int score) override;
    void endOfSearch(int documents, double seconds) override;
    void setCaption(const QString& caption);
    QString captionStart() const;

    ElementStore& m_store;
    SearchSettings m_settings;
    SearchWalk m_walk;
    std::unique_ptr<TThreadSearch> m_thread;
    QString m_label;
    QString m_caption;
    bool m_inStep = false;
    bool m_detachAfterStep = false;
};

} // namespace glanix
