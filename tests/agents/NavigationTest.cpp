#include "agents/Navigation.h"

#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace glanix;
using glanix::test::TempHome;

namespace {

struct NavigationTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    std::vector<std::unique_ptr<TElement>> elements;

    TElement* make(quint8 kind)
    {
        elements.push_back(std::make_unique<TElement>(store));
        elements.back()->Kind = kind;
        return elements.back().get();
    }
};

TEST_F(NavigationTest, VisitsAreKeptThirtyDeepWithoutImages)
{
    NavigationHistory history;
    std::vector<TElement*> pages;
    for (int i = 0; i < 40; ++i) {
        pages.push_back(make(kindAddress));
        history.recordVisit(pages.back());
    }
    ASSERT_EQ(history.PreviousList().size(), NavigationHistory::kMaxEntries);
    EXPECT_EQ(history.PreviousList().first(), pages[39]);
    EXPECT_EQ(history.PreviousList().last(), pages[10]);

    TElement* image = make(kindImage);
    history.recordVisit(image);
    history.recordVisit(make(kindImageGroup));
    EXPECT_FALSE(history.PreviousList().contains(image));

    // Visiting again moves an element to the front instead of listing it twice.
    history.recordVisit(pages[20]);
    EXPECT_EQ(history.PreviousList().first(), pages[20]);
    EXPECT_EQ(history.PreviousList().count(pages[20]), 1);

    history.forget(pages[20]);
    EXPECT_FALSE(history.PreviousList().contains(pages[20]));
}

} // namespace

TEST_F(NavigationTest, BackAndForwardExchangeTheListsAndNeverKeepAnImage)
{
    NavigationHistory history;
    TElement* a = make(kindAddress);
    TElement* b = make(kindAddress);
    TElement* c = make(kindPage);
    TElement* image = make(kindImage);
    // a, then b, then c were left in turn; the image is shown now.
    for (TElement* left : {a, b, c})
        history.recordVisit(left);
    EXPECT_EQ(history.goBack(image, 4), nullptr); // only three behind
    EXPECT_EQ(history.goBack(image), c);
    EXPECT_TRUE(history.NextList().isEmpty()); // the image is not kept
    EXPECT_EQ(history.goBack(c, 2), a);
    EXPECT_EQ(history.NextList(), QList<TElement*>({b, c}));
    EXPECT_TRUE(history.PreviousList().isEmpty());
    EXPECT_EQ(history.goForward(a), b);
    EXPECT_EQ(history.PreviousList(), QList<TElement*>({a}));
    // A new visit ends the way forward: what was ahead goes behind.
    history.recordVisit(b);
    EXPECT_TRUE(history.NextList().isEmpty());
    EXPECT_EQ(history.PreviousList(), QList<TElement*>({b, c, a}));
}
