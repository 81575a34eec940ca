#include "views/ListViewModel.h"

#include "config/FrenchText.h"
#include "tests/store/StoreFixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace glanix;
using namespace glanix::test;

namespace {

TDateTime at(int day, int hour, int minute = 0)
{
    return toDateTime(QDateTime(QDate(2026, 3, day), QTime(hour, minute)));
}

struct ListModel : StoreFixture {
    ListViewModel model {store};
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

    QStringList column(int c) const
    {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts << model.index(r, c).data().toString();
        return texts;
    }
};

TEST_F(ListModel, RowTextsComeFromTheElementAsTheColumnsSayWithoutReadingFiles)
{
    TElement* a = add(agent, kindAddress, "Nouvelles", "http://h.example/news.htm", "text/html");
    a->LastModified = at(5, 14, 30);
    a->DateDownloaded = a->LastModified;
    a->LastVerified = at(6, 8, 5);
    a->Size = 2048;
    a->StatusNumber = 404;
    TElement* b = add(agent, kindAddress, "Brouillon", "http://h.example/b.htm");
    b->LastModified = at(4, 9);
    b->DateDownloaded = at(5, 9);
    b->Size = 0;
    add(agent, kindFolder, "Dossier");

    ListViewModel::Filter filter;
    ASSERT_TRUE(model.fill(agent, filter));
    model.sortRows(ListViewModel::Name, true);
    ASSERT_EQ(column(0), QStringList({"Dossier", "Brouillon", "Nouvelles"}));
    const auto row = [&](int r) {
        QStringList texts;
        for (int c = 0; c < ListViewModel::ColumnCount; ++c)
            texts << model.index(r, c).data().toString();
        return texts;
    };
    EXPECT_EQ(row(2),
              QStringList({"Nouvelles", "text/html", "*05/03/26 14:30", "05/03/26 14:30", "06/03/26 08:05",
                           "2048", "http://h.example/news.htm", "404 : Non trouvé", ""}));
    // A modification before the download: a blank mark; no size below 1, no status for 0.
    EXPECT_EQ(row(1),
              QStringList({"Brouillon", "", " 04/03/26 09:00", "05/03/26 09:00", "", "",
                           "http://h.example/b.htm", "", ""}));
    EXPECT_EQ(row(0).mid(1, 8).join(""), "");
    EXPECT_EQ(model.index(2, ListViewModel::Size).data(Qt::TextAlignmentRole).toInt()
                  & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(model.index(2, ListViewModel::Modified).data(Qt::TextAlignmentRole).toInt()
                  & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(model.countText(), "3 éléments listés (2,00 Ko)");
    model.removeRowOf(a);
    model.removeRowOf(b);
    EXPECT_EQ(model.countText(), "1 élément listé (0 octets)");
}

TEST_F(ListModel, DatesReadAsTheFrenchDateFormatterWritesThem)
{
    // Midnight, just before a minute, the minute's rounding carrying into the next day, a
    // year 2000 and a far one.
    const TDateTime dates[]
        = {at(1, 0), at(9, 23, 59) + 59.6 / 86400, 45000.999999999, 36526.5, 73050.75, 1.0 / 3, 44000.123456};
    for (const TDateTime d : dates) {
        TElement* e = add(agent, kindAddress, QStringLiteral("d%1").arg(d), "http://h.example/");
        e->DateDownloaded = d;
        ListViewModel one(store);
        one.addRow(e);
        EXPECT_EQ(one.index(0, ListViewModel::Downloaded).data().toString(), frenchDate(d, "dd/MM/yy hh:mm"))
            << d;
    }
}

TEST_F(ListModel, FillListsChildrenOrEverythingBelowByTheBoxes)
{
    TElement* docs = add(agent, kindFolder, "Docs");
    TElement* sub = add(docs, kindFolder, "Sub");
    TElement* deep = add(sub, kindAddress, "Profond", "http://h.example/deep");
    TElement* page = add(docs, kindAddress, "Page", "http://h.example/p.htm", "text/html");
    add(page, kindImage, "logo.gif", "http://h.example/logo.gif", "image/gif");
    page->BuildImageNodes();
    TElement* group = page->Node()->firstChild()->element();
    ASSERT_EQ(group->Kind, kindImageGroup);

    ListViewModel::Filter filter;
    model.sortRows(ListViewModel::Name, true);
    ASSERT_TRUE(model.fill(docs, filter));
    EXPECT_EQ(column(0), QStringList({"Sub", "Page"}));
    EXPECT_EQ(column(ListViewModel::Location), QStringList({"", ""}));

    // Everything below, with where each one lies under the listed folder; the group itself
    // is never a row, its images only with "Images".
    filter.allContent = true;
    ASSERT_TRUE(model.fill(docs, filter));
    EXPECT_EQ(column(0), QStringList({"Sub", "Page", "Profond"}));
    EXPECT_EQ(column(ListViewModel::Location), QStringList({"", "", "Sub"}));
    filter.images = true;
    filter.folders = false;
    ASSERT_TRUE(model.fill(agent, filter));
    EXPECT_EQ(column(0), QStringList({"Page", "Profond", "logo.gif"}));
    EXPECT_EQ(column(ListViewModel::Location), QStringList({"Docs", "Docs\\Sub", "Docs\\Page\\Images"}));

    // An image group shows its images even with "Images" unchecked.
    filter = {};
    ASSERT_TRUE(model.fill(group, filter));
    EXPECT_EQ(column(0), QStringList({"logo.gif"}));

    // A search lists from the agent down.
    ListViewModel search(store, ListViewModel::Search);
    search.addRow(deep);
    EXPECT_EQ(search.index(0, ListViewModel::Location).data().toString(), "Veille\\Docs\\Sub");
}

TEST_F(ListModel, SortKeepsFoldersFirstAndReadsSizesAndDatesAsValues)
{
    const auto address = [&](const char* name, qint32 size, int day, int status) {
        TElement* e = add(agent, kindAddress, name, QStringLiteral("http://h.example/") + name);
        e->Size = size;
        e->LastModified = at(day, 12);
        e->StatusNumber = status;
        return e;
    };
    address("a", 9, 3, 200);
    address("b", 10, 1, -1);
    address("c", 100, 2, 0);
    add(agent, kindFolder, "zeta");
    add(agent, kindFolder, "alpha");

    ASSERT_TRUE(model.fill(agent, {}));
    // The default order: newest first, folders still ahead.
    EXPECT_EQ(model.sortColumn(), ListViewModel::Modified);
    EXPECT_FALSE(model.ascending());
    EXPECT_EQ(column(0).mid(2), QStringList({"a", "c", "b"}));
    EXPECT_TRUE(QStringList({"zeta", "alpha"}) == column(0).mid(0, 2)
                || QStringList({"alpha", "zeta"}) == column(0).mid(0, 2));

    model.sortRows(ListViewModel::Name, false);
    EXPECT_EQ(column(0), QStringList({"zeta", "alpha", "c", "b", "a"}));
    model.sortRows(ListViewModel::Size, true);
    EXPECT_EQ(column(0).mid(2), QStringList({"a", "b", "c"})); // 9 < 10 < 100, not as text
    model.sortRows(ListViewModel::Size, false);
    EXPECT_EQ(column(0).mid(2), QStringList({"c", "b", "a"}));
    EXPECT_EQ(column(0).mid(0, 2), QStringList({"zeta", "alpha"})); // equal sizes keep their order
    model.sortRows(ListViewModel::Status, true);
    EXPECT_EQ(column(ListViewModel::Status).mid(2), QStringList({"", "200 : OK", "Occupé"}))
        << column(ListViewModel::Status).join('|').toStdString();
}

TEST_F(ListModel, RowsLeaveWithTheirNodesAndTheListedElementGoingEmptiesTheTable)
{
    TElement* docs = add(agent, kindFolder, "Docs");
    TElement* page = add(docs, kindAddress, "Page", "http://h.example/p.htm");
    TElement* image = add(page, kindImage, "logo.gif", "http://h.example/logo.gif");
    page->BuildImageNodes();
    TElement* kept = add(docs, kindAddress, "Reste", "http://h.example/r.htm");

    // As the main window does: an element being deleted leaves the lists first.
    struct Withdraw : StoreHost {
        ListViewModel* list;

        void closeViewsOf(TElement* e) override { list->removeRowOf(e); }
    } host;

    host.list = &model;
    store.setHost(&host);

    ListViewModel::Filter all {.folders = true, .allContent = true, .images = true};
    ASSERT_TRUE(model.fill(agent, all));
    ASSERT_EQ(model.rowCount(), 4);
    // Hiding images in the tree frees the group, not the image: its row stays.
    page->RemoveImageGroup();
    EXPECT_EQ(model.rowOf(image) >= 0, true);
    page->Delete(false);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.rowOf(image), -1);
    EXPECT_GE(model.rowOf(kept), 0);

    QSignalSpy gone(&model, &ListViewModel::listedGone);
    ASSERT_TRUE(model.fill(docs, {}));
    ASSERT_EQ(model.rowCount(), 1);
    docs->Delete(false);
    EXPECT_EQ(gone.count(), 1);
    EXPECT_EQ(model.listed(), nullptr);
    EXPECT_EQ(model.rowCount(), 0);

    // A search list loses the rows of a closed agent only.
    TElement* other = makeAgent("Autre");
    TElement* there = add(other, kindAddress, "Là", "http://o.example/");
    TElement* here = add(agent, kindAddress, "Ici", "http://h.example/");
    ListViewModel search(store, ListViewModel::Search);
    QAbstractItemModelTester searchTester(&search, QAbstractItemModelTester::FailureReportingMode::Fatal);
    search.addRow(there);
    search.addRow(here);
    search.addRow(there);
    search.removeRowsOfAgent(other);
    ASSERT_EQ(search.rowCount(), 1);
    EXPECT_EQ(search.elementAt(0), here);
    store.setHost(nullptr);
}

TEST_F(ListModel, FillLetsEventsRunEveryHundredRowsAndANewerFillWins)
{
    TElement* big = add(agent, kindFolder, "Gros");
    add(big, kindFolder, "Sous-dossier"); // skipped without "Dossiers": events run before any row
    for (int i = 0; i < 250; ++i)
        add(big, kindAddress, QStringLiteral("a%1").arg(i, 3, 10, QChar(u'0')),
            QStringLiteral("http://h.example/%1").arg(i));
    add(agent, kindAddress, "Seul", "http://h.example/seul");

    QList<int> seen;
    model.setEventPump([&] { seen << model.rowCount(); });
    ASSERT_TRUE(model.fill(big, {.folders = false}));
    // Shown in batches of a hundred, the message loop running between them.
    EXPECT_EQ(seen, QList<int>({0, 100, 200}));
    EXPECT_EQ(model.rowCount(), 250);

    // The user picks another element while the fill runs: the later fill is what stays.
    bool once = false;
    model.setEventPump([&] {
        if (model.rowCount() == 100 && !once) {
            once = true;
            EXPECT_TRUE(model.fill(agent, {}));
        }
    });
    EXPECT_FALSE(model.fill(big, {}));
    EXPECT_EQ(model.listed(), agent);
    EXPECT_EQ(column(0), QStringList({"Gros", "Seul"}));

    // The folder being walked goes while events run: the fill stops with what it has.
    model.setEventPump([&] {
        if (model.rowCount() == 100 && big)
            std::exchange(big, nullptr)->Delete(false);
    });
    EXPECT_FALSE(model.fill(agent, {.allContent = true}));
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
