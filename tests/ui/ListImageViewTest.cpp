// The list and image views in the real main window, on agents made here.
#include "config/IniFile.h"
#include "store/FileNames.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/QuietViewHost.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/StatusBars.h"
#include "ui/TFormVueImage.h"
#include "ui/TFormVueListe.h"
#include "views/SearchSession.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>

using namespace glanix;
using namespace glanix::test;

namespace {

QByteArray png(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    for (int x = 0; x < w; ++x)
        image.setPixelColor(x, h / 2, Qt::black); // a line across, to see the scale
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct ListImageViewTest : MainWindowFixture {
    void SetUp() override
    {
        realViews = true;
        AgentBuilder agent(home.path(), QStringLiteral("Galerie"));
        agent.folder(QStringLiteral("Docs"))
            .folder(QStringLiteral("Docs/Sub"))
            .folder(QStringLiteral("Docs/Autre"));
        const auto address
            = [&](const char* folder, const char* name, const QByteArray& content, double modified) {
                  StoredDoc d;
                  d.name = QString::fromUtf8(name);
                  d.url = QStringLiteral("http://site.test/") + d.name.toLower();
                  d.content = content;
                  d.lastModified = modified;
                  return agent.address(QLatin1String(folder), d);
              };
        address("Docs", "Ancien", "<p>a</p>", 45000.25);
        address("Docs", "Récent", "<p>bb</p>", 46000.5);
        address("Docs", "Jamais", {}, 0);
        address("Docs/Sub", "Profond", "<p>ccc</p>", 45500);
        StoredDoc album;
        album.name = QStringLiteral("Album");
        album.url = QStringLiteral("http://site.test/album.html");
        album.content = "<img src=photo.png><img src=casse.png>";
        album.images.push_back({QStringLiteral("photo.png"), QStringLiteral("http://site.test/photo.png"),
                                QStringLiteral("image/png"), png(200, 100, Qt::yellow), 1});
        album.images.push_back({QStringLiteral("casse.png"), QStringLiteral("http://site.test/casse.png"),
                                QStringLiteral("image/png"), "not a picture at all"});
        agent.address({}, album);
        home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Galerie\n");
    }

    TElement* element(const char* path)
    {
        return window->controller().findByTreePath(QString::fromUtf8(path));
    }

    void select(TElement* e) { window->treeView()->setCurrentIndex(window->treeModel().indexOf(e->Node())); }

    template<class View> View* first(int kind)
    {
        ViewWindow* w = window->controller().views().firstOfKind(kind);
        return dynamic_cast<View*>(w);
    }

    QStringList names(TFormVueListe* view)
    {
        QStringList texts;
        for (int r = 0; r < view->model().rowCount(); ++r)
            texts << view->model().index(r, 0).data().toString();
        return texts;
    }

    void shot(QWidget* w, const char* name)
    {
        QTest::qWait(100);
        w->grab().save(QStringLiteral("/tmp/") + QLatin1String(name) + QStringLiteral(".png"));
    }
};

TEST_F(ListImageViewTest, AFolderIsListedSortedByHeaderClicksAndItsSettingsKeptPerRank)
{
    start();
    TElement* docs = element("Galerie\\Docs");
    ASSERT_TRUE(docs);
    select(docs);
    auto* view = first<TFormVueListe>(wtList);
    ASSERT_TRUE(view) << "selecting a folder opens a list view";
    EXPECT_EQ(view->element(), docs);
    EXPECT_EQ(view->windowTitle(), "Docs");
    // Newest first by default, folders ahead whatever the order.
    EXPECT_EQ(names(view), QStringList({"Autre", "Sub", "Récent", "Ancien", "Jamais"}));
    EXPECT_EQ(window->statusBarGlobal()->panelText(0), "5 éléments listés (17 octets)");
    EXPECT_EQ(view->model().index(2, ListViewModel::Modified).data().toString().left(1), "*");
    shot(window.get(), "list-view-by-date");

    QHeaderView* header = view->table()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
    EXPECT_EQ(names(view), QStringList({"Autre", "Sub", "Ancien", "Jamais", "Récent"}));
    view->headerClicked(0); // the same column again: descending, folders still first
    EXPECT_EQ(names(view), QStringList({"Sub", "Autre", "Récent", "Jamais", "Ancien"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // "Dossiers" off, "Tout le contenu" on: what lies below, with where it lies.
    view->foldersBox()->setChecked(false);
    EXPECT_EQ(names(view), QStringList({"Récent", "Jamais", "Ancien"}));
    view->allBox()->setChecked(true);
    EXPECT_EQ(names(view), QStringList({"Récent", "Profond", "Jamais", "Ancien"}));
    EXPECT_EQ(view->model().index(1, ListViewModel::Location).data().toString(), "Sub");
    view->allBox()->setChecked(false);
    view->foldersBox()->setChecked(true);

    // Enter on a folder's row selects it in the tree, and the list follows into it.
    view->table()->setFocus();
    view->table()->setCurrentIndex(view->model().index(0, 0));
    QTest::keyClick(view->table(), Qt::Key_Return);
    EXPECT_EQ(currentText(), "Sub");
    EXPECT_EQ(names(view), QStringList({"Profond"}));
    QTest::mouseClick(view->upButton(), Qt::LeftButton);
    EXPECT_EQ(view->element(), docs);

    // Locked, it keeps its list when the tree moves on.
    view->lockBox()->setChecked(true);
    select(element("Galerie\\Docs\\Sub"));
    EXPECT_EQ(view->element(), docs);
    view->lockBox()->setChecked(false);
    EXPECT_EQ(view->element()->GetName(), "Sub");

    // A second list view keeps its own section.
    ViewWindow* second = window->controller().views().open(wtList, docs);
    ASSERT_TRUE(second);
    static_cast<TFormVueListe*>(second)->headerClicked(ListViewModel::Size);
    second->closeWindow();
    view->closeWindow();
    QTest::qWait(50);
    EXPECT_EQ(ini("ListView1", "LastSort"), "0");
    EXPECT_EQ(ini("ListView1", "LastSortOrder"), "0");
    EXPECT_EQ(ini("ListView1", "Col8"), "600");
    EXPECT_EQ(ini("ListView2", "LastSort"), "5");
    EXPECT_EQ(ini("ListView2", "LastSortOrder"), "1");
}

TEST_F(ListImageViewTest, ListedFolderDeletedOrRowElementDeletedLeavesNoDanglingRow)
{
    start();
    TElement* docs = element("Galerie\\Docs");
    select(docs);
    auto* view = first<TFormVueListe>(wtList);
    ASSERT_TRUE(view);
    view->lockBox()->setChecked(true);
    TElement* ancien = element("Galerie\\Docs\\Ancien");
    ASSERT_TRUE(ancien);
    ancien->Delete(true);
    EXPECT_EQ(names(view), QStringList({"Autre", "Sub", "Récent", "Jamais"}));
    // Hovering a row describes it in the status bar.
    const QRect row = view->table()->visualRect(view->model().index(2, 0));
    QTest::mouseMove(view->table()->viewport(), row.center());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->statusBarGlobal()->panelText(0) == "http://site.test/récent"; }, 2000))
        << window->statusBarGlobal()->panelText(0).toStdString();

    // A search list: its panel instead of the boxes, rows handed in, placed from the agent down.
    test::QuietViewHost host(window->controller());

    TFormVueListe search(window->controller().views(), host, ListViewModel::Search);
    search.show();
    EXPECT_FALSE(search.followsSelection());
    EXPECT_FALSE(search.lockBox()->isVisible());
    EXPECT_TRUE(search.suspendButton()->isVisible());
    search.addRow(element("Galerie\\Docs\\Sub\\Profond"));
    EXPECT_EQ(search.model().index(0, ListViewModel::Location).data().toString(), "Galerie\\Docs\\Sub");
    QTest::mouseClick(search.suspendButton(), Qt::LeftButton);
    EXPECT_EQ(search.suspendButton()->text(), "Reprendre");
    QTest::mouseClick(search.suspendButton(), Qt::LeftButton);
    EXPECT_EQ(search.suspendButton()->text(), "Suspendre");
    search.close();
    EXPECT_EQ(ini("ListViewSearch2", "LastSort"), "2"); // the folder's list view is open beside it

    // A real search hands its results in as it finds them, and the list is sorted at the end.
    {
        TFormVueListe results(window->controller().views(), host, ListViewModel::Search);
        SearchSettings settings;
        settings.query = QStringLiteral("bb");
        SearchSession session(window->controller().store(), docs->Node(), settings);
        QSignalSpy finished(&session, &SearchSession::finished);
        results.attachSearch(&session);
        EXPECT_EQ(results.suspendButton()->text(), "Suspendre");
        ASSERT_TRUE(session.start());
        ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
        EXPECT_EQ(names(&results), QStringList({"Récent"}));
        EXPECT_EQ(results.model().index(0, ListViewModel::Location).data().toString(), "Galerie\\Docs");
        EXPECT_FALSE(results.searchLabel()->text().isEmpty());
    }

    // The listed folder deleted: its window closes, nothing points at what is gone.
    docs->Delete(true);
    QTest::qWait(50);
    EXPECT_EQ(window->controller().views().firstOfKind(wtList) == view, false);
}

TEST_F(ListImageViewTest, AnImageIsShownZoomedFittedAndInItsOldVersions)
{
    start();
    TElement* photo = element("Galerie\\Album\\Images\\photo.png");
    ASSERT_TRUE(photo);
    QFile old(SaveFileNameVersionPrec(photo->GetSavePath(), 2));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(png(50, 40, Qt::cyan));
    old.close();
    select(photo);
    auto* view = first<TFormVueImage>(wtImage);
    ASSERT_TRUE(view) << "selecting an image opens an image view";
    EXPECT_EQ(view->sizeLabel()->text(), "200 x 100 points");
    const QSize client = view->clientSize();
    EXPECT_EQ(view->pictureRect(), QRect((client.width() - 200) / 2, (client.height() - 100) / 2, 200, 100));
    shot(window.get(), "image-view-real-size");

    // Zoomed about its centre until 32750 pixels would be reached: that zoom is refused.
    const QPoint centre = view->pictureRect().center();
    int zooms = 0;
    while (view->zoom(true))
        ++zooms;
    EXPECT_EQ(zooms, 7); // 200 -> 25600; 51200 is refused
    EXPECT_EQ(view->pictureRect().width(), 25600);
    EXPECT_LE((view->pictureRect().center() - centre).manhattanLength(), 2);
    view->realSize();
    // Smaller than 20 pixels across is refused too.
    while (view->zoom(false)) { }
    EXPECT_GT(view->pictureRect().width() + view->pictureRect().height(), 20);

    // A click on the picture zooms in so that the clicked point comes to the centre.
    view->realSize();
    const QRect r = view->pictureRect();
    const QPoint clicked = r.topLeft() + QPoint(50, 25);
    QTest::mouseClick(view->picture(), Qt::LeftButton, {}, QPoint(50, 25));
    EXPECT_EQ(view->pictureRect().size(), QSize(400, 200));
    EXPECT_EQ(view->pictureRect().topLeft() + QPoint(100, 50),
              QPoint(client.width() / 2, client.height() / 2));
    Q_UNUSED(clicked);
    QTest::mouseClick(view->picture(), Qt::RightButton, {}, QPoint(100, 50));
    EXPECT_EQ(view->pictureRect().size(), QSize(200, 100));

    view->fullWidth();
    const double scale = std::min(double(client.height()) / 100, double(client.width()) / 200);
    EXPECT_EQ(view->pictureRect().width(), qRound(200 * scale));
    shot(window.get(), "image-view-full-width");
    view->zoom(true);
    shot(window.get(), "image-view-zoomed");

    // The old versions: one entry each, the one shown checked.
    ASSERT_TRUE(view->versionsButton()->isEnabled());
    const QStringList captions = view->versionCaptions();
    ASSERT_EQ(captions.size(), 2);
    EXPECT_TRUE(captions[0].endsWith(" Ko")) << captions[0].toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d   \\d+,\\d\\d Ko$")
                    .match(captions[1])
                    .hasMatch())
        << captions[1].toStdString();
    view->chooseVersion(2);
    EXPECT_EQ(view->sizeLabel()->text(), "50 x 40 points");
    QMenu* menu = view->versionsButton()->menu();
    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_TRUE(menu->actions()[1]->isChecked());
    EXPECT_FALSE(menu->actions()[0]->isChecked());

    // Leaving it after the read delay marks it read; a file that does not decode says so.
    EXPECT_EQ(photo->State, stateUnread);
    home.clock().advanceSeconds(3);
    select(element("Galerie\\Album\\Images\\casse.png"));
    EXPECT_EQ(photo->State, stateRead);
    EXPECT_EQ(view->element()->GetName(), "casse.png");
    EXPECT_EQ(view->sizeLabel()->text(), "Image illisible");
    EXPECT_FALSE(view->zoom(true));
    view->fullWidth();
    shot(window.get(), "image-view-broken");

    // A left click beside the picture opens the tree's pop-up there.
    QSignalSpy asked(view, &TFormVueImage::menuRequested);
    QTest::mouseClick(view->scrollArea()->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(asked.count(), 1);
    QWidget* popup = QApplication::activePopupWidget();
    EXPECT_EQ(popup ? popup->objectName() : QString(), "PopupMenuArbre");
    if (popup)
        popup->close();
}

} // namespace

TEST_F(ListImageViewTest, TheSelectedRowsAreMarkedMovedAndDeletedFromTheKeyboard)
{
    start();
    TElement* docs = element("Galerie\\Docs");
    TElement* sub = element("Galerie\\Docs\\Sub");
    TElement* ancien = element("Galerie\\Docs\\Ancien");
    TElement* recent = element("Galerie\\Docs\\Récent");
    TElement* jamais = element("Galerie\\Docs\\Jamais");
    select(docs);
    auto* view = first<TFormVueListe>(wtList);
    ASSERT_TRUE(view);
    ASSERT_EQ(names(view), QStringList({"Autre", "Sub", "Récent", "Ancien", "Jamais"}));
    const auto selectRows = [&](std::initializer_list<int> rows) {
        view->table()->setFocus();
        view->table()->clearSelection();
        for (int r : rows)
            view->table()->selectionModel()->select(view->model().index(r, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->table()->selectionModel()->setCurrentIndex(view->model().index(*rows.begin(), 0),
                                                         QItemSelectionModel::NoUpdate);
    };

    // Refresh on two rows asks the list's question and marks both, not the folder.
    for (TElement* e : {ancien, recent, jamais, docs})
        e->LastVerified = 45000;
    selectRows({3, 4});
    prompt.setNextAnswer(UserPrompt::No);
    type(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(prompt.texts().last(),
              "Vous allez marquer les éléments sélectionnés\rpour vérification lors de la "
              "prochaine connexion.\rVoulez-vous aussi rafraîchir les pages contenues ?");
    EXPECT_EQ(ancien->LastVerified, 0);
    EXPECT_EQ(jamais->LastVerified, 0);
    EXPECT_EQ(recent->LastVerified, 45000);
    EXPECT_EQ(docs->LastVerified, 45000);

    // Ctrl+Down moves the list's selection, not the tree's.
    selectRows({2});
    type(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(view->selectedElement(), ancien);
    EXPECT_EQ(window->controller().currentElement(), docs);

    // Rows dropped on a folder of the tree move there with their files and leave the list.
    selectRows({3});
    auto* data = new QMimeData;
    data->setData(ListViewModel::DragFormat, "list");
    const QModelIndex subIndex = window->treeModel().indexOf(sub->Node());
    EXPECT_FALSE(window->treeModel().canDropMimeData(data, Qt::MoveAction, -1, -1,
                                                     window->treeModel().indexOf(docs->Node())));
    window->treeModel().dropMimeData(data, Qt::MoveAction, -1, -1, subIndex);
    delete data;
    EXPECT_EQ(ancien->Parent(), sub);
    EXPECT_TRUE(QFileInfo::exists(ancien->GetIniFileName()));
    EXPECT_EQ(names(view), QStringList({"Autre", "Sub", "Récent", "Jamais"}));

    // Del on two rows: one question, both gone, counted in the status bar.
    const QString recentFile = recent->GetSavePath();
    selectRows({2, 3});
    prompt.setNextAnswer(UserPrompt::Yes);
    type(Qt::Key_Delete);
    EXPECT_EQ(prompt.texts().last(),
              "Vous allez effacer les éléments sélectionnés\rainsi que tout leur contenu.\rÊtes-vous sûr ?");
    EXPECT_EQ(names(view), QStringList({"Autre", "Sub"}));
    EXPECT_EQ(element("Galerie\\Docs\\Récent"), nullptr);
    EXPECT_FALSE(QFileInfo::exists(recentFile));
    EXPECT_EQ(window->statusBarGlobal()->panelText(0), "2 URLs effacés");
}

TEST_F(ListImageViewTest, ARowIsRenamedInPlace)
{
    start();
    TElement* docs = element("Galerie\\Docs");
    TElement* ancien = element("Galerie\\Docs\\Ancien");
    select(docs);
    auto* view = first<TFormVueListe>(wtList);
    ASSERT_TRUE(view);
    const int row = view->model().rowOf(ancien);
    ASSERT_GE(row, 0);
    view->table()->setFocus();
    view->table()->setCurrentIndex(view->model().index(row, 0));
    type(Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Vieux");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor hands its text over once back in the loop
    EXPECT_EQ(ancien->GetName(), "Vieux");
    EXPECT_EQ(view->model().data(view->model().index(view->model().rowOf(ancien), 0)).toString(), "Vieux");
    EXPECT_EQ(docs->GetName(), "Docs"); // the tree's element kept its name
}
