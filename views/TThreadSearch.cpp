#include "views/TThreadSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace glanix {

TThreadSearch::TThreadSearch(SearchSteps& steps, QString query, bool inCode, bool countAll, QObject* parent)
    : QThread(parent)
    , m_steps(&steps)
    , m_query(std::move(query))
    , m_inCode(inCode)
    , m_countAll(countAll)
{
}

TThreadSearch::~TThreadSearch()
{
    stop();
    // The thread may be waiting for a step posted to this thread: deliver it (it is refused)
    // so that the thread can see the stop.
    while (!wait(10))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void TThreadSearch::setReady()
{
    const QMutexLocker lock(&m_mutex);
    m_ready = true;
    m_wake.wakeAll();
}

void TThreadSearch::suspend()
{
    m_suspended = true;
}

void TThreadSearch::resume()
{
    const QMutexLocker lock(&m_mutex);
    m_suspended = false;
    m_wake.wakeAll();
}

void TThreadSearch::stop()
{
    m_steps = nullptr;
    const QMutexLocker lock(&m_mutex);
    m_stopped = true;
    m_wake.wakeAll();
}

bool TThreadSearch::waitUntilGo()
{
    QMutexLocker lock(&m_mutex);
    while (!m_stopped && (!m_ready || m_suspended))
        m_wake.wait(&m_mutex);
    return !m_stopped;
}

template<typename Step> bool TThreadSearch::onOwnerThread(Step step)
{
    bool done = false;
    if (m_stopped)
        return false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            if (m_steps)
                done = step(*m_steps);
        },
        Qt::BlockingQueuedConnection);
    return done && !m_stopped;
}

void TThreadSearch::run()
{
    if (!waitUntilGo())
        return;
    const SearchScorer scorer(m_query, m_inCode, m_countAll);
    QElapsedTimer elapsed;
    elapsed.start();
    int documents = 0;
    SearchItem item;
    for (;;) {
        SearchSteps::Next next = SearchSteps::Next::End;
        if (!waitUntilGo() || !onOwnerThread([&](SearchSteps& s) {
                next = s.nextElement(item);
                return true;
            }))
            return;
        if (next == SearchSteps::Next::End)
            break;
        if (next == SearchSteps::Next::Later)
            continue;
        ++documents;
        const int score = scorer.score(item);
        if (score > 0)
            onOwnerThread([&](SearchSteps& s) {
                s.addResult(score);
                return true;
            });
    }
    onOwnerThread([&](SearchSteps& s) {
        s.endOfSearch(documents, static_cast<double>(elapsed.elapsed()) / 1000.0);
        return true;
    });
}

} // namespace glanix
