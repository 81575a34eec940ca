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

// Small view windows of the tests' own: each records what it was asked and plays its part in
// the controller's list of windows as a real one does (activation, closing).
class FakeViews final : public ViewFactory {
public:
    class Window final : public ViewWindow {
    public:
        Window(FakeViews& owner, int kind)
            : m_owner(owner)
            , m_kind(kind)
        {
        }

        int kind() const override { return m_kind; }

        TElement* element() const override { return shown; }

        void showElement(TElement* element) override
        {
            shown = element;
            ++shows;
        }

        void closeWindow() override
        {
            closed = true;
            m_owner.list->removed(this);
        }

        void bringToFront() override { m_owner.list->activated(this); }

        bool followsSelection() const override { return !searchResults; }

        bool isMaximized() const override { return maximized; }

        void showMaximized(bool on) override { m_owner.firstMaximized = on; }

        void savePlacement() override { ++m_owner.placementsSaved; }

        void removeRowOf(TElement* element) override { m_owner.rowsRemoved.push_back(element); }

        void removeRowsOfAgent(TElement* agent) override { m_owner.rowsRemovedFor.push_back(agent); }

        void postponeRead(TElement* element) override { postponed.push_back(element); }

        std::vector<TElement*> postponed;
        TElement* shown = nullptr;
        int shows = 0;
        bool maximized = false;
        bool closed = false;
        bool searchResults = false;

    private:
        FakeViews& m_owner;
        int m_kind;
    };

    ViewWindows* list = nullptr;
    std::vector<std::unique_ptr<Window>> made; // closed ones stay, for the checks
    std::vector<TElement*> rowsRemoved;
    std::vector<TElement*> rowsRemovedFor;
    int placementsSaved = 0;
    bool firstMaximized = false;
    bool refuseToOpen = false;

    ViewWindow* createView(int kind, ViewWindows& windows) override
    {
        if (refuseToOpen)
            return nullptr;
        list = &windows;
        made.push_back(std::make_unique<Window>(*this, kind));
        return made.back().get();
    }

    void attach(ViewWindows& windows) { list = &windows; }

    int count() const { return list ? list->count() : 0; }

    int windowType(int i) const { return list->windowType(i); }

    TElement* element(int i) const { return list->element(i); }

    Window& window(int i) const { return *static_cast<Window*>(list->at(i)); }

    Window* open(int kind, TElement* element, bool searchResults = false)
    {
        auto* w = static_cast<Window*>(list->open(kind, element));
        if (w)
            w->searchResults = searchResults;
        return w;
    }
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
        s.viewFactory = &views;
        s.arguments = arguments;
        s.applicationsDir = dataHome.path() + QStringLiteral("/applications");
        s.launchCommand = {QStringLiteral("/usr/bin/glanix")};
        return s;
    }
};

} // namespace glanix::test
