#pragma once

#include "views/SearchScorer.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>

// The background part of a search: it scores one element after another at idle priority.
// It reads only the query and the copies of text it is handed; everything that touches the
// tree, the elements and the results happens in the three steps, which run on the thread that
// created it (the user-interface thread) while the search thread waits.
namespace glanix {

class SearchSteps {
public:
    virtual ~SearchSteps() = default;
    enum class Next { Found, Later, End };
    // Copies the next element's text into `item`; Later when the step found none yet (it is
    // asked again), End when the search is over.
    virtual Next nextElement(SearchItem& item) = 0;
    // The element handed out last scored `score` (more than 0).
    virtual void addResult(int score) = 0;
    // The walk ended (not called when the search was stopped).
    virtual void endOfSearch(int documents, double seconds) = 0;
};

class TThreadSearch final : public QThread {
    Q_OBJECT

public:
    TThreadSearch(SearchSteps& steps, QString query, bool inCode, bool countAll, QObject* parent = nullptr);
    // Stops the search and waits for its end, handing the step it may be waiting for a refusal.
    ~TThreadSearch() override;

    // Every field is set: the thread may begin (it waits for this once started).
    void setReady();
    // The search pauses before its next element until resumed.
    void suspend();
    void resume();

    bool isSuspended() const { return m_suspended; }

    // No step runs any more; the thread ends at its next element. Call on the creating thread.
    void stop();

protected:
    void run() override;

private:
    template<typename Step> bool onOwnerThread(Step step);
    bool waitUntilGo();

    SearchSteps* m_steps; // read on the creating thread only
    const QString m_query;
    const bool m_inCode;
    const bool m_countAll;
    std::atomic<bool> m_stopped = false;
    std::atomic<bool> m_suspended = false;
    bool m_ready = false;
    QMutex m_mutex;
    QWaitCondition m_wake;
};

} // namespace glanix
