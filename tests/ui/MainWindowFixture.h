#pragma once

#include "agents/MainController.h"
#include "config/IniFile.h"
#include "tests/support/FakeDialUp.h"
#include "tests/support/FakeRemoteAccess.h"
#include "tests/support/GuiTest.h"
#include "tests/support/MainFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"
#include "ui/ElementTreeModel.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTreeView>
#include <memory>

// The real main window on a temporary home, with the user's answers, the folder dialogs, the
// view windows and the engine scripted.
namespace glanix::test {

struct MainWindowFixture : ::testing::Test, MainServiceFakes {
    TempHome home;
    // With realEngine the window builds its own download engine on this connection service.
    bool realEngine = false;
    // With realViews the window makes its own view windows (WebEngine tests).
    bool realViews = false;
    FakeDialUp dialUp;
    std::unique_ptr<TForm1> window;

    MainServices services(const QStringList& arguments = {})
    {
        MainServices s = servicesOn(home, arguments);
        if (realEngine)
            s.downloads = nullptr;
        if (realViews)
            s.viewFactory = nullptr;
        s.dialUp = &dialUp;
        return s;
    }

    // Shows the window and runs its start-up sequence to the end.
    void start(const QStringList& arguments = {})
    {
        window = std::make_unique<TForm1>(services(arguments));
        views.attach(window->controller().views());
        ASSERT_TRUE(showActive(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] { return !window->controller().starting(); }, 10000));
    }

    // Closes it as "&Quitter" does; true when it went.
    bool quit()
    {
        window->actions().quitter->trigger();
        return !window->isVisible();
    }

    // A key as the user types it, once the window has the keyboard again.
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        reactivate();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, key, modifiers);
    }

    // The offscreen platform does not give the keyboard back to the window when a dialog
    // closes; a desktop does.
    void reactivate()
    {
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    bool treeHasFocus()
    {
        reactivate();
        return QTest::qWaitFor([this] { return window->treeView()->hasFocus(); }, 2000);
    }

    QAction* action(const char* name) const
    {
        auto* a = window->findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }

    QString currentText() const { return window->treeView()->currentIndex().data().toString(); }

    QStringList topLevelNames() const
    {
        QStringList names;
        ElementTreeModel& model = window->treeModel();
        for (int i = 0; i < model.rowCount(); ++i)
            names << model.index(i, 0).data().toString();
        return names;
    }

    QString ini(const QString& section, const QString& key) const
    {
        const IniFile file(home.file(QStringLiteral("Glanix.ini")));
        return file.readString(section, key);
    }
};

} // namespace glanix::test
