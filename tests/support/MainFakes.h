#pragma once

#include "agents/FolderChooser.h"
#include "agents/MainController.h"
#include "agents/ViewWindows.h"
#include "engine/DownloadControl.h"
#include "tests/support/FakeRemoteAccess.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <vector>

// Stand-ins for what the main window talks to: the folder dialog, the view windows and the
// download engine. Each records what it was asked.
namespace glanix::test {

// Answers folder dialogs from a script; an unscripted dialog fails the test and is cancelled.
class ScriptedFolders final : public FolderChooser {
public:
    void setNextFolder(const QString& folder) { m_answers.push_back(folder); }

    const QStringList& titles() const { return m_titles; }

    bool allAnswered() const { return m_answers.empty(); }

    QString chooseFolder(const QString& title, const QString& /*start*/) override
    {
        m_titles << title;
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected folder dialog: " << title.toStdString();
            return {};
        }
        const QString answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

private:
    std::deque<QString> m_answers;
    QStringList m_titles;
};

// View windows as a list of (kind, element), most recently activated first: a window opened
// goes to the front.
class FakeViews final : public ViewWindows {
public:
    struct Window {
        int type;
        TElement* element;
        bool maximized = false;
    };

    std::vector<Window> windows;
    std::vector<TElement*> rowsRemovedFor;
    int placementsSaved = 0;
    bool firstMaximized = false;
    bool refuseToOpen = false;

    int count() const override { return static_cast<int>(windows.size()); }

    int windowType(int i) const override { return windows[static_cast<size_t>(i)].type; }

    TElement* element(int i) const override { return windows[static_cast<size_t>(i)].element; }

    bool isMaximized(int i) const override { return windows[static_cast<size_t>(i)].maximized; }

    bool open(int type, TElement* element) override
    {
        if (refuseToOpen)
            return false;
        windows.insert(windows.begin(), {type, element});
        return true;
    }

    void close(int i) override { windows.erase(windows.begin() + i); }

    void removeRowsOf(TElement* agent) override { rowsRemovedFor.push_back(agent); }

    void showFirst(bool maximized) override { firstMaximized = maximized; }

    void savePlacements() override { ++placementsSaved; }
};

// A download engine that only records the commands it gets.
class FakeDownloads final : public DownloadControl {
public:
    bool cycle = false;
    int pending = 0;
    int starts = 0;
    int timersStopped = 0;
    int shutdowns = 0;
    int timeOutWatches = 0;
    QStringList dialUps;
    std::vector<TElement*> destroyed;

    bool available() const override { return true; }

    bool cycleInProgress() const override { return cycle; }

    int pendingCount() const override { return pending; }

    void startCommand() override { ++starts; }

    void createDialUp(const QString& entry) override { dialUps << entry; }

    void startTimeOutWatch() override { ++timeOutWatches; }

    void stopTimers() override { ++timersStopped; }

    void shutdown() override { ++shutdowns; }

    void elementDestroyed(TElement* element) override { destroyed.push_back(element); }
};

// What the controller and the window are given in the tests: every service scripted, the
// desktop entry in a folder of its own.
struct MainServiceFakes {
    QTemporaryDir dataHome;
    ScriptedPrompt prompt;
    ScriptedFolders folders;
    FakeRemoteAccess remoteAccess {true};
    FakeDownloads downloads;
    FakeViews views;

    MainServices servicesOn(TempHome& home, const QStringList& arguments)
    {
        MainServices s;
        s.home = home.path();
        s.clock = std::shared_ptr<Clock>(&home.clock(), [](Clock*) {});
        s.prompt = &prompt;
        s.folders = &folders;
        s.remoteAccess = &remoteAccess;
        s.downloads = &downloads;
        s.views = &views;
        s.arguments = arguments;
        s.applicationsDir = dataHome.path() + QStringLiteral("/applications");
        s.launchCommand = {QStringLiteral("/usr/bin/glanix")};
        return s;
    }
};

} // namespace glanix::test
