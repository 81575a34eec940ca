// The search from the real main window: F3, the dialog, the results list and the document view.
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/TFormRecherche.h"
#include "ui/TFormVueListe.h"
#include "ui/TFormVueURL.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>

using namespace glanix;
using namespace glanix::test;

namespace {

struct SearchWindowTest : MainWindowFixture {
    void SetUp() override
    {
        realViews = true;
        AgentBuilder agent(home.path(), QStringLiteral("Archives"));
        agent.folder(QStringLiteral("Voyages"));
        const auto page = [&](const char* folder, const char* name, const QByteArray& content) {
            StoredDoc d;
            d.name = QString::fromUtf8(name);
            d.url = QStringLiteral("http://site.test/") + QString::number(qHash(d.name))
                + QStringLiteral(".html");
            d.content = content;
            agent.address(QLatin1String(folder), d);
        };
        page("Voyages", "Été",
             "<meta charset=utf-8><p>Un bel &eacute;t&eacute; &agrave; la mer, l'été encore.</p>");
        page("Voyages", "Hiver", "<p>De la neige, rien d'autre.</p>");
        page("Voyages", "Carnet", "<meta charset=iso-8859-1><p>Un \xe9t\xe9 en Bretagne</p>");
        page("", "Ailleurs", "<p>ete</p>");
        home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Archives\n");
    }

    TElement* element(const char* path)
    {
        return window->controller().findByTreePath(QString::fromUtf8(path));
    }

    void select(const char* path)
    {
        window->treeView()->setCurrentIndex(window->treeModel().indexOf(element(path)->Node()));
    }

    // F3, the query typed, "Chercher": the results window that comes up.
    TFormVueListe* search(const QString& query)
    {
        whenModal([query](QWidget* modal) {
            auto* dialog = qobject_cast<TFormRecherche*>(modal);
            ASSERT_TRUE(dialog);
            dialog->queryBox()->setEditText(query);
            QTest::mouseClick(dialog->searchButton(), Qt::LeftButton);
        });
        type(Qt::Key_F3);
        auto* results = dynamic_cast<TFormVueListe*>(window->activeView());
        EXPECT_TRUE(results && results->model().mode() == ListViewModel::Search);
        return results;
    }

    static bool finished(TFormVueListe* results) { return !results->suspendButton()->isVisibleTo(results); }

    static QStringList rows(TFormVueListe* results)
    {
        QStringList out;
        for (int r = 0; r < results->model().rowCount(); ++r)
            out << results->model().index(r, ListViewModel::Name).data().toString() + u'|'
                    + results->model().index(r, ListViewModel::Occurrences).data().toString();
        out.sort();
        return out;
    }

    void shot(const char* name)
    {
        QTest::qWait(150);
        window->grab().save(QStringLiteral("/tmp/") + QLatin1String(name) + QStringLiteral(".png"));
    }
};

TEST_F(SearchWindowTest, TheDialogReadsAndWritesItsSettingsAndHistory)
{
    home.write("Glanix.ini",
               "[OpenedAgents]\nAgent1=Archives\n[Search]\nFast=1\nWhere=2\nCheckMinAge=1\n"
               "MinDaysOld=30\n[LastSearchs]\nplage\nneige soleil\n");
    start();
    QSignalSpy help(window.get(), &TForm1::helpRequested);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TFormRecherche*>(modal);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), "Recherche avancée");
        EXPECT_TRUE(dialog->findChild<QRadioButton*>("RadioCode")->isChecked());
        EXPECT_TRUE(dialog->findChild<QRadioButton*>("RadioWhere2")->isChecked());
        EXPECT_TRUE(dialog->findChild<QSpinBox*>("MinDaysOld")->isEnabled());
        EXPECT_EQ(dialog->findChild<QSpinBox*>("MinDaysOld")->value(), 30);
        EXPECT_FALSE(dialog->findChild<QSpinBox*>("MaxDaysOld")->isEnabled());
        EXPECT_EQ(dialog->queryBox()->currentText(), "plage");
        dialog->queryBox()->setEditText("   ");
        EXPECT_FALSE(dialog->searchButton()->isEnabled());
        QTest::keyClick(dialog, Qt::Key_Return); // nothing to search: the dialog stays
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog->queryBox(), Qt::Key_F1);
        dialog->queryBox()->setEditText("plage");
        dialog->forgetAction()->trigger();
        EXPECT_EQ(dialog->history(), QStringList({"neige soleil"}));
        dialog->queryBox()->setEditText("neige   ");
        click(dialog->findChild<QRadioButton*>("RadioNormal"));
        dialog->reject();
    });
    type(Qt::Key_F3);
    EXPECT_EQ(help.count(), 1);
    EXPECT_EQ(help.value(0).value(0).toString(), "Search");
    EXPECT_EQ(window->findChildren<TFormVueListe*>().size(), 1)
        << "the agent's list, no search without Chercher";
    // Written when it closed, even cancelled; the query typed is not history.
    EXPECT_EQ(ini("Search", "Fast"), "0");
    EXPECT_EQ(ini("Search", "Where"), "2");
    EXPECT_EQ(ini("Search", "MinDaysOld"), "30");
    const IniFile file(home.file("Glanix.ini"));
    EXPECT_EQ(file.sectionLines(u"LastSearchs"), QStringList({"neige soleil"}));

    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TFormRecherche*>(modal);
        ASSERT_TRUE(dialog);
        dialog->grab().save(QStringLiteral("/tmp/search-dialog.png"));
        dialog->forgetAllAction()->trigger();
        EXPECT_TRUE(dialog->history().isEmpty());
        dialog->queryBox()->setEditText("  hiver ");
        dialog->accept();
    });
    type(Qt::Key_F3);
    EXPECT_EQ(IniFile(home.file("Glanix.ini")).sectionLines(u"LastSearchs"), QStringList({"hiver"}));
}

TEST_F(SearchWindowTest, ResultsAreListedWithTheirCountsAndOpenInTheDocumentView)
{
    start();
    select("Archives\\Voyages");
    EXPECT_EQ(window->activeDocumentView(), nullptr);
    TFormVueListe* results = search("ete");
    ASSERT_TRUE(results);
    EXPECT_EQ(results->searchLabel()->text(),
              "Recherche dans les pages, les titres, les notes, les adresses, "
              "en comptant les occurences, dans Voyages");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished(results); }, 20000));
    const QString caption = results->subWindow()->windowTitle();
    EXPECT_TRUE(QRegularExpression("^Recherche \\(ete\\)  \\d+,\\d\\d secondes pour 3 documents$")
                    .match(caption)
                    .hasMatch())
        << caption.toStdString();
    // The title counts too; "Ailleurs" is outside the folder searched.
    EXPECT_EQ(rows(results), QStringList({"Carnet|  1", "Été|  3"}));
    QHeaderView* header = results->table()->horizontalHeader();
    EXPECT_EQ(header->visualIndex(ListViewModel::Occurrences), 1);
    EXPECT_EQ(header->model()->headerData(ListViewModel::Occurrences, Qt::Horizontal).toString(),
              "Occurrences");
    const int align
        = results->model().index(0, ListViewModel::Occurrences).data(Qt::TextAlignmentRole).toInt();
    EXPECT_TRUE(align & Qt::AlignRight);
    results->headerClicked(ListViewModel::Occurrences);
    EXPECT_EQ(results->model().elementAt(0)->GetName(), "Carnet");
    results->headerClicked(ListViewModel::Occurrences);
    EXPECT_EQ(results->model().elementAt(0)->GetName(), "Été");
    // No document view was open: the word waits in Glanix.ini for the next one.
    EXPECT_EQ(ini("Search", "InPage"), "ete");
    shot("search-results");

    // The table taking the focus is not a choice: no document view yet.
    reactivate();
    results->table()->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([&] { return results->table()->hasFocus(); }, 2000));
    EXPECT_EQ(window->activeDocumentView(), nullptr);
    // A result selected opens below the list, which stays in front, with the word to find.
    const int row = results->model().rowOf(element("Archives\\Voyages\\Été"));
    QTest::mouseClick(results->table()->viewport(), Qt::LeftButton, {},
                      results->table()->visualRect(results->model().index(row, 0)).center());
    auto* document = window->activeDocumentView();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->element(), element("Archives\\Voyages\\Été"));
    EXPECT_EQ(document->searchField()->text(), "ete");
    EXPECT_EQ(window->activeView(), results);
    EXPECT_LE(results->subWindow()->geometry().bottom(), document->subWindow()->geometry().top());
    QSignalSpy loaded(document, &TFormVueURL::loaded);
    QTest::keyClick(results->table(), Qt::Key_Up);
    QTest::keyClick(results->table(), Qt::Key_Down);
    const int other = results->table()->currentIndex().row();
    EXPECT_EQ(document->element(), results->model().elementAt(other));
    EXPECT_TRUE(loaded.count() > 0 || loaded.wait(20000));
    shot("search-results-document");

    // Another search, with a document view open: the view takes the word at once.
    TFormVueListe* second = search("+neige -ete");
    ASSERT_TRUE(second && second != results);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished(second); }, 20000));
    EXPECT_EQ(document->searchField()->text(), "neige");
    EXPECT_EQ(rows(second), QStringList({"Hiver|  1"}));
    EXPECT_EQ(ini("Search", "InPage"), "ete");
}

TEST_F(SearchWindowTest, ASuspendedSearchResumesOrStopsWithItsWindow)
{
    start();
    select("Archives");
    TFormVueListe* results = search("ete");
    ASSERT_TRUE(results);
    // The thread has had no step yet: suspended here, it stays before its first document.
    results->suspendButton()->click();
    EXPECT_EQ(results->suspendButton()->text(), "Reprendre");
    shot("search-suspended");
    QTest::qWait(300);
    EXPECT_FALSE(finished(results));
    EXPECT_LE(results->model().rowCount(), 1);
    results->suspendButton()->click();
    EXPECT_EQ(results->suspendButton()->text(), "Suspendre");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished(results); }, 20000));
    EXPECT_EQ(results->model().rowCount(), 3);
    EXPECT_TRUE(results->subWindow()->windowTitle().endsWith(" secondes pour 4 documents"))
        << results->subWindow()->windowTitle().toStdString();

    // Closed while suspended: the search ends with it, and the tree can change afterwards.
    TFormVueListe* stopped = search("neige");
    ASSERT_TRUE(stopped);
    stopped->suspendButton()->click();
    QPointer<TFormVueListe> gone(stopped);
    stopped->closeWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 5000));
    element("Archives\\Voyages\\Hiver")->Delete(true);
    EXPECT_TRUE(quit());
}

} // namespace
