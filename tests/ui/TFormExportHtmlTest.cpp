#include "ui/TFormExportHtml.h"

#include "config/IniFile.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/GuiTest.h"
#include "tests/support/MainFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/ui/MainWindowFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

using namespace glanix;
using namespace glanix::test;

namespace {

struct ExportDialog : StoreFixture {
    ScriptedPrompt prompt;
    ScriptedFolders folders;
    TElement* site = nullptr;
    QList<QUrl> opened;

    void SetUp() override
    {
        StoreFixture::SetUp();
        site = add(agent, kindAddress, "Site", "http://site.example/index.htm", "text/html");
        store_(site, "<html><img src=\"logo.gif\"><a href=\"p.htm\">p</a></html>");
        TElement* logo = add(site, kindImage, "logo.gif", "http://site.example/logo.gif", "image/gif");
        store_(logo, "GIF89a");
        for (int i = 0; i < 3; ++i) {
            TElement* p = add(site, kindPage, QStringLiteral("P%1").arg(i),
                              QStringLiteral("http://site.example/p%1.htm").arg(i), "text/html");
            store_(p, "<html><a href=\"index.htm\">i</a></html>");
        }
        IniFile ini(home.env().iniFileName());
        ini.writeString(u"Export", u"SaveTo", home.file("Sortie~~"));
        ini.save();
        home.mkdir("Sortie");
    }

    std::unique_ptr<TFormExportHtml> dialog()
    {
        auto d = std::make_unique<TFormExportHtml>(*site, home.env(), true, prompt, folders);
        d->setOpener([this](const QUrl& url) { opened << url; });
        return d;
    }
};

} // namespace

TEST_F(ExportDialog, SettingsEnablingRulesEscapeAndTheResultOpened)
{
    auto d = dialog();
    ASSERT_TRUE(showActive(d.get()));
    EXPECT_EQ(d->windowTitle(), "Export d'un groupe de page");
    auto* sameServer = d->findChild<QCheckBox*>("SameServer");
    auto* keepStruct = d->findChild<QCheckBox*>("KeepStruct");
    auto* dontChange = d->findChild<QCheckBox*>("DontChange");
    auto* saveTo = d->findChild<QLineEdit*>("SaveTo");
    auto* size = d->findChild<QLabel*>("SizeLabel");
    ASSERT_TRUE(sameServer && keepStruct && dontChange && saveTo && size);
    // The stored destination loses its "~", then gets one for each folder that exists.
    EXPECT_EQ(saveTo->text(), home.file("Sortie~"));
    EXPECT_EQ(d->findChild<QSpinBox*>("Depth")->value(), 50);
    EXPECT_TRUE(d->findChild<QCheckBox*>("WithImg")->isChecked());
    EXPECT_FALSE(size->isVisible());
    EXPECT_FALSE(keepStruct->isEnabled());
    EXPECT_FALSE(dontChange->isEnabled());
    click(sameServer);
    EXPECT_TRUE(keepStruct->isEnabled());
    EXPECT_FALSE(dontChange->isEnabled());
    click(keepStruct);
    EXPECT_TRUE(dontChange->isEnabled());
    click(sameServer);
    EXPECT_FALSE(keepStruct->isEnabled());
    EXPECT_FALSE(dontChange->isEnabled());
    EXPECT_FALSE(d->settings().keepStruct());
    screenshot(d.get(), "export-dialog");
    d->grab().save("/tmp/glanix-export-dialog.png");

    folders.setNextFolder(home.file("Choisi"));
    QTest::mouseClick(d->findChild<QPushButton*>("Browse"), Qt::LeftButton);
    EXPECT_EQ(folders.titles(), QStringList({"Indiquez le répertoire où exporter la sélection"}));
    EXPECT_EQ(saveTo->text(), home.file("Choisi"));

    QSignalSpy help(d.get(), &TFormExportHtml::helpRequested);
    QTest::keyClick(d.get(), Qt::Key_F1);
    EXPECT_EQ(help.count(), 1);

    // Escape during the export asks; "Non" lets it go on to the end.
    QStringList captions;
    int steps = 0;
    d->setStepHook([&] {
        captions << d->windowTitle();
        if (++steps == 2) {
            prompt.setNextAnswer(UserPrompt::No);
            QTest::keyClick(d.get(), Qt::Key_Escape);
            EXPECT_TRUE(d->isVisible());
        }
    });
    QTest::mouseClick(d->findChild<QPushButton*>("ok"), Qt::LeftButton);
    EXPECT_EQ(prompt.texts(), QStringList({"Voulez-vous interrompre l'export en cours ?"}));
    EXPECT_EQ(d->result().outcome, ExportResult::Outcome::Done);
    EXPECT_EQ(d->result().exported, 5);
    EXPECT_EQ(captions.first(), "Page 1 sur 5 - Site");
    EXPECT_TRUE(size->text().endsWith(" à exporter")) << size->text().toStdString();
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(home.file("Choisi/Index Site.html"))}));
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(loadExportSettings(home.env()).SaveTo, home.file("Choisi"));

    // "Oui" stops it between two documents, and the user is told what was written.
    prompt.clear();
    opened.clear();
    auto again = dialog();
    ASSERT_TRUE(showActive(again.get()));
    EXPECT_EQ(again->findChild<QLineEdit*>("SaveTo")->text(), home.file("Choisi~"));
    again->findChild<QLineEdit*>("SaveTo")->setText(home.file("Autre"));
    int step = 0;
    again->setStepHook([&] {
        if (++step == 1) {
            prompt.setNextAnswer(UserPrompt::Yes);
            QTest::keyClick(again.get(), Qt::Key_Escape);
            prompt.setNextAnswer(UserPrompt::Ok);
        }
    });
    QTest::mouseClick(again->findChild<QPushButton*>("ok"), Qt::LeftButton);
    EXPECT_EQ(again->result().outcome, ExportResult::Outcome::Cancelled);
    ASSERT_EQ(prompt.texts().size(), 2);
    EXPECT_TRUE(prompt.texts()[1].startsWith("Export interrompu : 0 documents exportés sur 5."));
    EXPECT_TRUE(opened.isEmpty());
}

namespace {

struct ExportFromMainWindow : MainWindowFixture { };

} // namespace

TEST_F(ExportFromMainWindow, CtrlEOpensTheDialogOnTheCurrentElement)
{
    start();
    QString title;
    whenModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        EXPECT_NE(qobject_cast<TFormExportHtml*>(dialog), nullptr);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    type(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(title, "Export d'un groupe de page");
}
