#pragma once

#include <QString>

// What the main window asks of the download engine: its connection commands, whether a
// download cycle is in progress, the time-out watch, the dial-up link, and the end of the
// run. The window's connection menu entries, buttons and status bars are wired to this;
// the engine provides the real one. The base class is the program without an engine:
// nothing runs, and the connection commands are offered disabled.
namespace glanix {

class TElement;
class TreeNode;

class DownloadControl {
public:
    virtual ~DownloadControl() = default;

    // False while no engine is behind this: the connection commands stay disabled.
    virtual bool available() const { return false; }

    // A download cycle is in progress (its status bar is shown).
    virtual bool cycleInProgress() const { return false; }

    // Download threads still running, and elements still waiting to be fetched.
    virtual int threadsRunning() const { return 0; }

    virtual int pendingCount() const { return 0; }

    // "C&onnecter", the start button.
    virtual void startCommand() { }

    // The unattended run of the command line: the start command, and the cycle ends once
    // nothing is left to do.
    virtual void startUnattended() { startCommand(); }

    // The end button.
    virtual void endCommand() { }

    virtual void stopLaunching() { }

    virtual void interruptAll() { }

    // The tree's "Interrompre": the element's download stops and it counts as verified now.
    virtual void interruptElement(TElement* /*element*/) { }

    virtual void hangUpNow() { }

    // A dial-up connection is up ("Raccrocher maintenant" is offered).
    virtual bool connectionActive() { return false; }

    // The address last clicked in a document view: it is fetched before the rest.
    virtual void setURLClicked(const QString& /*address*/) { }

    virtual QString urlClicked() const { return {}; }

    // The mouse went down on a tree node: the next walk may start there.
    virtual void nodePressed(TreeNode* /*node*/) { }

    // The mouse is over the end button: its hint tells how long the line has been up.
    virtual void endButtonHover() { }

    // Connection by modem is in use: the dial-up link is made on the given entry.
    virtual void createDialUp(const QString& /*entry*/) { }

    // "&Annuaire": choose the dial-up entry.
    virtual void chooseConnection() { }

    // The time-out and disk-space watch runs from the end of start-up on.
    virtual void startTimeOutWatch() { }

    // The window is closing: the time-out, status and scheduling timers stop.
    virtual void stopTimers() { }

    // The window is going away: every download thread is stopped and freed, last first,
    // and the dial-up link is released.
    virtual void shutdown() { }

    // The element is about to be freed: its download is interrupted and forgotten.
    virtual void elementDestroyed(TElement* /*element*/) { }
};

} // namespace glanix
