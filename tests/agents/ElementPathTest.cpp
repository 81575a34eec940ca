#include "agents/AgentFile.h"
#include "agents/ElementPath.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::AgentBuilder;
using glanix::test::TempHome;

namespace {

struct ElementPathTest : ::testing::Test {
    TempHome home;
    AgentBuilder built = AgentBuilder::sample(home.path());
    ElementStore store {home.env()};
    TElement* agent = openAgent(store, built.agentFile());
};

TEST_F(ElementPathTest, TreePathsAndAddressesNameTheSameElements)
{
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(elementAtTreePath(*agent, QString()), agent);

    // Deeper than the two levels an opened agent has read.
    TElement* suite = elementAtTreePath(*agent, "Presse\\Le Journal\\Suite");
    ASSERT_NE(suite, nullptr);
    EXPECT_EQ(suite->TreePath(), "Veille\\Presse\\Le Journal\\Suite");

    TElement* logo = elementAtTreePath(*agent, "Presse\\Le Journal\\Images\\logo.gif");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->Kind, kindImage);
    EXPECT_EQ(elementAtTreePath(*agent, logo->TreePath().section(u'\\', 1)), logo);

    EXPECT_EQ(elementAtTreePath(*agent, "Presse\\le journal"), nullptr); // names compare exactly
    EXPECT_EQ(elementAtTreePath(*agent, "Presse\\Le Journal\\Images\\absent.gif"), nullptr);
    EXPECT_EQ(elementAtTreePath(*agent, "Presse\\Le Journal\\Images\\logo.gif\\x"), nullptr);

    // An address: ASCII case, a fragment and a trailing slash do not matter.
    EXPECT_EQ(findElementArg(*agent, "HTTP://journal.example/suite.htm#haut"), suite);
    EXPECT_EQ(findElementArg(*agent, "http://journal.example/logo.gif"), logo);
    EXPECT_EQ(findElementArg(*agent, "https://meteo.example/region")->GetName(), "Météo locale");
    EXPECT_EQ(findElementArg(*agent, "http://absent.example/"), nullptr);
}

} // namespace
