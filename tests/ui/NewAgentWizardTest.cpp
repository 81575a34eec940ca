#include "ui/NewAgentWizard.h"

#include "config/IniFile.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/GuiTest.h"
#include "tests/support/MainFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/NumberEdit.h"
#include "ui/TFormNouvelAgent.h"
#include "ui/WizardOptionPages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

struct NewAgentWizardTest : ::testing::Test {
    TempHome home;
    ScriptedPrompt prompt;
    ScriptedFolders folders;
    std::unique_ptr<NewAgentWizard> wizard;

    void open(const QString& clipboard = {}, const QString& favorites = {})
    {
        wizard = std::make_unique<NewAgentWizard>(
            NewAgentWizardSetup {home.path(), QStringLiteral("/nowhere/bookmarks.html"), favorites,
                                 clipboard},
            prompt, folders);
        ASSERT_TRUE(showActive(wizard.get()));
    }

    void next() { QTest::mouseClick(wizard->nextButton(), Qt::LeftButton); }

    void back() { QTest::mouseClick(wizard->previousButton(), Qt::LeftButton); }
};

TEST_F(NewAgentWizardTest, AnAddressGoesThroughSixPagesAndBack)
{
    home.write("Agent 1.gnx", "[Glanix]\n");
    home.mkdir("Agent 2");
    open("https://lwn.net/");
    EXPECT_EQ(wizard->windowTitle(), "Création d'un agent");
    EXPECT_TRUE(wizard->startPage()->addressChoice()->isChecked());
    EXPECT_EQ(wizard->startPage()->addressField()->text(), "https://lwn.net/"); // from the clipboard
    EXPECT_FALSE(wizard->previousButton()->isVisible());
    EXPECT_FALSE(wizard->startPage()->favoritesChoice()->isEnabled()); // no favourites folder set
    screenshot(wizard.get(), QStringLiteral("wizard-1-start"));

    typeAndLeave(wizard->startPage()->addressField(), "  ");
    prompt.setNextAnswer(UserPrompt::Ok);
    next();
    EXPECT_EQ(prompt.texts().last(), "Vous n'avez pas renseigné l'adresse");
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Start);
    typeAndLeave(wizard->startPage()->addressField(), "debian.org/News");
    next();
    EXPECT_EQ(wizard->startPage()->address(), "http://debian.org/News");

    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Name);
    EXPECT_TRUE(wizard->previousButton()->isVisible());
    EXPECT_EQ(wizard->namePage()->name(), "Agent 2");
    screenshot(wizard.get(), QStringLiteral("wizard-2-name"));
    typeAndLeave(wizard->namePage()->nameField(), "Agent 1");
    prompt.setNextAnswer(UserPrompt::Ok);
    next();
    EXPECT_EQ(prompt.texts().last(), "Un agent portant ce nom existe déjà");
    typeAndLeave(wizard->namePage()->nameField(), "Agent 2");
    next();

    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Folder);
    EXPECT_EQ(wizard->folderPage()->folder(), home.path() + "Agent 21");
    screenshot(wizard.get(), QStringLiteral("wizard-3-folder"));
    next();
    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Refresh);
    EXPECT_EQ(wizard->nextButton()->text(), "Suivant  >");
    screenshot(wizard.get(), QStringLiteral("wizard-4-refresh"));
    next();

    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Depth);
    EXPECT_EQ(wizard->windowTitle(), "Nouvelle adresse");
    EXPECT_EQ(wizard->nextButton()->text(), "Terminer"); // depth 0: no masks page
    screenshot(wizard.get(), QStringLiteral("wizard-5-depth"));
    typeAndLeave(wizard->depthPage()->findChild<NumberEdit*>("depth"), "2");
    EXPECT_EQ(wizard->nextButton()->text(), "Suivant  >");
    next();
    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Masks);
    EXPECT_EQ(wizard->nextButton()->text(), "Terminer");
    screenshot(wizard.get(), QStringLiteral("wizard-6-masks"));

    // Back, page by page, to where the user came from.
    back();
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Depth);
    back();
    back();
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Folder);
    back();
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Name);
    EXPECT_EQ(wizard->windowTitle(), "Création d'un agent");
    for (int i = 0; i < 4; ++i)
        next();
    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Masks);
    next();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);

    const NewAgentChoice c = wizard->choice();
    EXPECT_EQ(c.start, AgentStart::Address);
    EXPECT_EQ(c.name, "Agent 2");
    EXPECT_EQ(c.folder, home.path() + "Agent 21");
    EXPECT_EQ(c.address, "http://debian.org/News");
    EXPECT_EQ(c.depth, 2);
    EXPECT_TRUE(c.sameServer);
    EXPECT_EQ(c.frequency, 0);
    EXPECT_TRUE(prompt.allAnswered());
}

TEST_F(NewAgentWizardTest, NetscapeSkipsTheNameAndAFolderAgentEndsOnItsRefreshPage)
{
    open();
    wizard->startPage()->netscapeChoice()->setChecked(true);
    next();
    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Folder);
    EXPECT_EQ(wizard->folderPage()->folder(), home.path() + "Netscape");
    next();
    EXPECT_EQ(wizard->nextButton()->text(), "Terminer");
    back();
    back();
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Start); // the name page was never shown
    EXPECT_EQ(wizard->choice().name, "Netscape");

    // Once a Netscape agent exists, that start is no longer offered.
    home.write("Netscape.gnx", "[Glanix]\n");
    open();
    EXPECT_FALSE(wizard->startPage()->netscapeChoice()->isEnabled());
    wizard->startPage()->folderChoice()->setChecked(true);
    next();
    next();
    next();
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Refresh);
    EXPECT_EQ(wizard->nextButton()->text(), "Terminer");
    wizard->cancelButton()->click();
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
}

TEST_F(NewAgentWizardTest, FolderPageRefusesTheInsideOfAnAgentAndAsksAboutAnAgentsOwn)
{
    const AgentBuilder b(home.path(), "Veille");
    home.write("Veille/DL/GlanixDefault.ini", "[Glanix]\n");
    home.write("Veille/DL/Sous/DL/.keep", "");
    open();
    wizard->startPage()->folderChoice()->setChecked(true);
    next();
    next();
    ASSERT_EQ(wizard->currentPage(), NewAgentWizard::Folder);

    // The folder chooser is the seam the "..." button goes through.
    folders.setNextFolder(home.path() + "Veille/DL/Sous");
    QTest::mouseClick(wizard->folderPage()->findChild<QToolButton*>("folderBrowse"), Qt::LeftButton);
    prompt.setNextAnswer(UserPrompt::Ok);
    next();
    EXPECT_TRUE(
        prompt.texts().last().startsWith("Ce répertoire est déjà un sous-répertoire d'un agent existant."));
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Folder);

    typeAndLeave(wizard->folderPage()->folderField(), home.path() + "Veille/");
    prompt.setNextAnswer(UserPrompt::No);
    next();
    EXPECT_EQ(prompt.texts().last(),
              "Ce répertoire est celui d'un agent existant.\rÊtes-vous certain de vouloir l'utiliser ?");
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Folder);
    prompt.setNextAnswer(UserPrompt::Yes);
    next();
    EXPECT_EQ(wizard->currentPage(), NewAgentWizard::Refresh);
    EXPECT_EQ(wizard->choice().folder, home.path() + "Veille");
}

using NewAgentFromMainWindow = MainWindowFixture;

TEST_F(NewAgentFromMainWindow, TheFinishedWizardOpensTheAgentOnItsFirstAddress)
{
    start();
    whenModal([&](QWidget* dialog) {
        auto* w = static_cast<NewAgentWizard*>(dialog);
        typeAndLeave(w->startPage()->addressField(), "lwn.net");
        w->next();
        typeAndLeave(w->namePage()->nameField(), "Veille");
        for (int i = 0; i < 4; ++i)
            w->next();
    });
    action("MenuNouvelAgent")->trigger();
    EXPECT_EQ(topLevelNames(), QStringList({"Agent de Base", "Veille"}));
    EXPECT_EQ(currentText(), "Nouveau site ");
    TElement* site = window->controller().currentElement();
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->GetURL(), "http://lwn.net");
    EXPECT_TRUE(home.exists("Veille.gnx"));
    EXPECT_TRUE(home.exists("Veille/Favs/Nouveau site .url"));
    EXPECT_TRUE(home.exists("Veille/DL/GlanixDefault.ini"));
    ASSERT_TRUE(quit());
    EXPECT_EQ(ini("OpenedAgents", "Agent2"), "Veille");
}

} // namespace
