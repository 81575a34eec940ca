#include "views/SearchSession.h"

#include "config/Env.h"
#include "config/FrenchText.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

namespace glanix {

namespace {

QString labelFor(const SearchSettings& s, TreeNode* start)
{
    QString label = SearchSession::tr("Recherche dans ");
    if (s.inPages)
        label += SearchSession::tr("les pages, ");
    if (s.inTitle)
        label += SearchSession::tr("les titres, ");
    if (s.inNotes)
        label += SearchSession::tr("les notes, ");
    if (s.inURL)
        label += SearchSession::tr("les adresses, ");
    label += s.count ? SearchSession::tr("en comptant les occurences, ")
                     : SearchSession::tr("sans compter les occurences, ");
    const QString name = start && start->element() ? start->element()->GetName() : QString();
    switch (s.where) {
    case 0:
        return label + SearchSession::tr("dans ") + name;
    case 1:
        return label + SearchSession::tr("dans l'agent ") + name;
    default:
        return label + SearchSession::tr("dans tous les agents");
    }
}

// Nodes one step may pass over without finding an element to search.
constexpr int kNodesPerStep = 200;

// While a step runs, the walk it uses stays attached; a stop meanwhile detaches it afterwards.
struct InStep {
    InStep(bool& flag, bool& detachAfter, SearchWalk& walk)
        : m_flag(flag)
        , m_detachAfter(detachAfter)
        , m_walk(walk)
    {
        m_flag = true;
    }

    ~InStep()
    {
        m_flag = false;
        if (m_detachAfter)
            m_walk.detach();
    }

    bool& m_flag;
    bool& m_detachAfter;
    SearchWalk& m_walk;
};

} // namespace

SearchSession::SearchSession(ElementStore& store, TreeNode* start, const SearchSettings& settings,
                             QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_walk(store, start, settings)
    , m_label(labelFor(settings, start))
    , m_caption(captionStart() + u')')
{
}

SearchSession::~SearchSession()
{
    stop();
}

QString SearchSession::captionStart() const
{
    return (m_settings.fast ? tr("Recherche dans le code (") : tr("Recherche (")) + m_settings.query;
}

QString SearchSession::occurrencesText(int score)
{
    // A score past 999 keeps all its digits.
    return QString::number(score).rightJustified(3, u' ');
}

bool SearchSession::start()
{
    try {
        m_thread = std::make_unique<TThreadSearch>(static_cast<SearchSteps&>(*this), m_settings.query,
                                                   m_settings.fast, m_settings.count);
        connect(m_thread.get(), &QThread::finished, this, [this] { m_thread.reset(); });
        m_thread->start(QThread::IdlePriority);
        m_thread->setReady();
    } catch (...) {
        m_thread.reset();
        m_store.env().logError(QStringLiteral("ThreadSearch non lancé"));
        return false;
    }
    return true;
}

void SearchSession::toggleSuspended()
{
    if (!m_thread)
        return;
    if (m_thread->isSuspended())
        m_thread->resume();
    else
        m_thread->suspend();
}

QString SearchSession::suspendButtonText() const
{
    return m_thread && m_thread->isSuspended() ? tr("Reprendre") : tr("Suspendre");
}

void SearchSession::stop()
{
    if (m_inStep)
        m_detachAfterStep = true;
    else
        m_walk.detach();
    if (!m_thread)
        return;
    m_thread->stop();
    // Inside a step the thread waits for that step to return: it is let go afterwards.
    if (m_inStep)
        m_thread.release()->deleteLater();
    else
        m_thread.reset();
}

void SearchSession::setCaption(const QString& caption)
{
    m_caption = caption;
    emit captionChanged(caption);
}

SearchSteps::Next SearchSession::nextElement(SearchItem& item)
{
    const InStep in(m_inStep, m_detachAfterStep, m_walk);
    // A failure with one element is logged and the walk goes on with the next.
    try {
        switch (m_walk.step(item, kNodesPerStep)) {
        case SearchWalk::Step::Found:
            setCaption(captionStart() + tr(") dans ") + m_walk.current()->GetName());
            return Next::Found;
        case SearchWalk::Step::Later:
            return Next::Later;
        case SearchWalk::Step::End:
            return Next::End;
        }
    } catch (...) {
        m_store.env().logError(QStringLiteral("Pb dans DoFindNextNode"));
    }
    return Next::Later;
}

void SearchSession::addResult(int score)
{
    const InStep in(m_inStep, m_detachAfterStep, m_walk);
    try {
        // The element may have been deleted while its text was being searched.
        if (TElement* e = m_walk.current())
            emit resultAdded(e, occurrencesText(score));
    } catch (...) {
        m_store.env().logError(QStringLiteral("Pb dans DoAddToListView"));
    }
}

void SearchSession::endOfSearch(int documents, double seconds)
{
    const InStep in(m_inStep, m_detachAfterStep, m_walk);
    setCaption(captionStart() + QStringLiteral(")  ") + frenchNumber(seconds, 2) + tr(" secondes pour ")
               + QString::number(documents) + tr(" documents"));
    emit finished();
}

} // namespace glanix
