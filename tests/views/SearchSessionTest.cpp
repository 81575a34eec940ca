#include "views/SearchSession.h"

#include "tests/store/StoreFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QThread>

using namespace glanix;
using namespace glanix::test;

namespace {

// Lets the user-interface thread run until `done` holds.
bool eventually(const std::function<bool()>& done, int ms = 10000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

struct SearchSessionTest : StoreFixture {
    TElement *a, *b, *c;
    std::vector<std::pair<QString, QString>> rows; // name, occurrences

    TElement* doc(const QString& name, const QByteArray& content)
    {
        TElement* e = add(agent, kindAddress, name, "http://h/" + name.toLower() + ".htm", "text/html");
        store_(e, content);
        return e;
    }

    void SetUp() override
    {
        StoreFixture::SetUp();
        a = doc("A", "mot mot");
        b = doc("B", "rien");
        c = doc("C", "un mot");
    }

    std::unique_ptr<SearchSession> session(const QString& query = "mot")
    {
        SearchSettings s;
        s.query = query;
        s.where = 1;
        auto session = std::make_unique<SearchSession>(store, agent->Node(), s);
        QObject::connect(session.get(), &SearchSession::resultAdded,
                         [this](TElement* e, const QString& occurrences) {
                             rows.emplace_back(e->GetName(), occurrences);
                         });
        return session;
    }

    using Rows = std::vector<std::pair<QString, QString>>;
};

} // namespace

TEST_F(SearchSessionTest, RunsInTheBackgroundAndReportsItsEnd)
{
    auto s = session();
    EXPECT_EQ(s->label(),
              "Recherche dans les pages, les titres, les notes, les adresses, "
              "en comptant les occurences, dans l'agent Veille");
    QSignalSpy finished(s.get(), &SearchSession::finished);
    QStringList captions;
    QObject::connect(s.get(), &SearchSession::captionChanged, [&](const QString& t) { captions << t; });
    ASSERT_TRUE(s->start());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(rows, (Rows {{"A", "  2"}, {"C", "  1"}}));
    EXPECT_EQ(captions.first(), "Recherche (mot) dans A");
    EXPECT_TRUE(QRegularExpression("^Recherche \\(mot\\)  \\d+,\\d\\d secondes pour 3 documents$")
                    .match(s->caption())
                    .hasMatch())
        << s->caption().toStdString();
    EXPECT_TRUE(eventually([&] { return !s->isRunning(); }));
}

TEST_F(SearchSessionTest, SuspendHoldsTheSearchUntilResumed)
{
    auto s = session();
    QSignalSpy finished(s.get(), &SearchSession::finished);
    ASSERT_TRUE(s->start());
    s->toggleSuspended();
    EXPECT_EQ(s->suspendButtonText(), "Reprendre");
    EXPECT_FALSE(finished.wait(300));
    EXPECT_LE(rows.size(), 1u);
    s->toggleSuspended();
    EXPECT_EQ(s->suspendButtonText(), "Suspendre");
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(rows.size(), 2u);
}

TEST_F(SearchSessionTest, ClosingTheResultsWindowStopsTheSearchEvenFromAStep)
{
    auto s = session();
    QSignalSpy finished(s.get(), &SearchSession::finished);
    // The window closes on its first row: the thread is waiting for that very step.
    QObject::connect(s.get(), &SearchSession::resultAdded, s.get(), &SearchSession::stop);
    ASSERT_TRUE(s->start());
    ASSERT_TRUE(eventually([&] { return !s->isRunning(); }));
    EXPECT_FALSE(finished.wait(200));
    EXPECT_EQ(rows, (Rows {{"A", "  2"}}));
    s.reset(); // and the session can go while nothing runs
}

TEST_F(SearchSessionTest, AnElementDeletedWhileSearchedIsNotListed)
{
    auto s = session();
    QSignalSpy finished(s.get(), &SearchSession::finished);
    // The caption names the element being searched; the user deletes it meanwhile.
    QObject::connect(s.get(), &SearchSession::captionChanged, [&](const QString& t) {
        if (t.endsWith(" dans A"))
            a->Delete(false);
    });
    ASSERT_TRUE(s->start());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(rows, (Rows {{"C", "  1"}}));
    EXPECT_TRUE(s->caption().endsWith(" secondes pour 3 documents")) << s->caption().toStdString();
}

TEST(SearchSession, OccurrencesAreRightAlignedInThreeCharacters)
{
    const std::pair<int, const char*> cases[] = {{5, "  5"}, {42, " 42"}, {123, "123"}, {1234, "1234"}};
    for (const auto& [score, text] : cases)
        EXPECT_EQ(SearchSession::occurrencesText(score), text);
}

TEST(SearchSessionAlone, AStoppedSessionMayOutliveTheStore)
{
    // A results window closed at shutdown is freed after the store.
    TempHome home;
    auto store = std::make_unique<ElementStore>(home.env());
    SearchSettings settings;
    settings.query = QStringLiteral("mot");
    auto session = std::make_unique<SearchSession>(*store, nullptr, settings);
    session->stop();
    store.reset();
    session.reset();
}
