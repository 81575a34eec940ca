#pragma once

#include "config/Env.h"
#include "config/OptGene.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QStringList>
#include <functional>

// Owns `Opt`, the one TOptGene of the running program, and moves it to and from Glanix.ini:
// loaded once when the main window is first shown, saved once when it goes away, single keys
// written at once by the general options dialog and by the few other writers. The main
// window hands its own state (geometry, address history, open agents and windows) in and out
// as plain values, so none of this needs a widget. Glanix.ini is opened and released around
// each call; other parts of the program open it too.
namespace glanix {

// One entry of section OpenedWindows.
struct OpenedWindow {
    int WindowType = 4; // 1 document, 2 image, 3 list, 4 information view
    QString ShortCut; // tree path of the element shown

    bool operator==(const OpenedWindow&) const = default;
};

// What the main window keeps in its own controls.
struct MainWindowState {
    QRect geometry; // in the normal state
    bool maximized = false;
    bool minimized = false; // only meaningful when saving
    int split = 0; // width of the tree panel
    // A hidden tree panel has no width to measure: its last width is kept when `split` is 0.
    bool treePanelVisible = true;
    QStringList history; // entries of the address box, in order
    QStringList openedAgents;
    QList<OpenedWindow> openedWindows; // in ListWindows order, head first
    bool firstWindowMaximized = false;
};

// What loading needs to know of the display.
struct DisplayInfo {
    QRect screen; // available geometry of the screen
    std::function<bool(const QString& family)> fontInstalled;
    QString desktopFont; // the desktop's proportional font, when none of the usual ones exists
};

class Settings {
public:
    explicit Settings(Env& env);

    Env& env() const { return m_env; }

    TOptGene& Opt() { return m_opt; }

    const TOptGene& Opt() const { return m_opt; }

    // Reads History.dat, General/Starting (and writes it back as 1 at once), then the window
    // geometry, section Html and the rest of section General.
    MainWindowState loadSettings(const DisplayInfo& display);
    // Writes History.dat, then sections General, Html, OpenedAgents and OpenedWindows.
    // OpenedAgents is left alone when the program was started on an agent file.
    void saveSettings(const MainWindowState& state, const QString& firstArgument);
    // Reads sections Html and General into Opt and leaves the file alone (for programs
    // without a main window, such as glanix-cli).
    void readOptions();
    // The end of the start-up sequence: General/Starting back to 0.
    void endStarting();

    // The general options dialog was closed with OK: writes the keys it edits.
    void writeDialogKeys();
    // "Mettre à zéro" confirmed: the total starts again from now.
    void resetTotalCounter();
    void writeBookMarkFileName(const QString& fileName);

    // Debug/ShowException, read once.
    bool showException() const;

    // The main window's tool bars and docks, as QMainWindow::saveState gives them.
    QByteArray toolbarState() const;
    void saveToolbarState(const QByteArray& state);

    static bool isAgentFileArgument(const QString& argument);
    static QStringList readHistory(const QString& fileName);
    static bool writeHistory(const QString& fileName, const QStringList& entries);

private:
    Env& m_env;
    TOptGene m_opt;
    mutable int m_showException = -1;
};

} // namespace glanix
