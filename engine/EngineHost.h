#pragma once

#include "config/DateTime.h"

#include <QString>
#include <functional>

// What the download engine needs from the program around it, kept behind small interfaces so
// that the desktop program and glanix-cli drive the same scheduler and threads:
//   - EngineView: what a cycle shows (status bar panels, hints, buttons, menu items, the
//     animation, the document view's refresh) and the end of every download. The engine
//     composes every text; a view only displays it. The defaults show nothing.
//   - Connection: the dial-up layer. The default is the local network (no modem), which is
//     what glanix-cli uses.
// Both are called on the user-interface thread only.
namespace glanix {

class TElement;

// Panels of the communication status bar.
enum CommPanel : int {
    panelRunning = 0,
    panelCounters = 1,
    panelTotal = 2,
    panelRate = 3,
    panelCommunication = 4,
};

// Menu items and buttons whose state the engine decides.
enum class EngineAction {
    StartButton, // TransparentButtonStartConnexion
    EndButton, // TransparentButtonEndConnexion
    Connect, // MenuConnecter
    StopLaunching, // MenuConnexionArreterDeLancerDesNouveauxTelechargements
    InterruptAll, // MenuConnexionInterrompreTousLesTelechargementsEnCours
    SeeImages, // MenuVoirLesImagesDansArborescence
};

// How one download ended, for a listener that reports downloads one by one.
struct DownloadReport {
    enum class Outcome { New, Modified, Unchanged, Error, Interrupted };
    Outcome outcome = Outcome::Unchanged;
    int status = 0;
    QString statusText;
    QString url;
    QString name;
    qint64 bytes = 0;
    bool localCopy = false; // answered with what another element of the address got this cycle
};

class EngineView {
public:
    virtual ~EngineView() = default;

    virtual void setCommPanel(int /*panel*/, const QString& /*text*/) { }

    virtual void setCommHint(const QString& /*text*/) { }

    virtual void setCommBarVisible(bool /*visible*/) { }

    // The application's hint line ("3 téléchargements en cours").
    virtual void setApplicationHint(const QString& /*text*/) { }

    // The main window's animation runs while downloads are in progress.
    virtual void setAnimation(bool /*running*/) { }

    // Panels of the global status bar (1: connection state, 2: dial-up state text).
    virtual void setGlobalPanel(int /*panel*/, const QString& /*text*/) { }

    virtual void setActionEnabled(EngineAction /*action*/, bool /*enabled*/) { }

    virtual void setStartButtonHint(const QString& /*text*/) { }

    virtual void setEndButtonHint(const QString& /*text*/) { }

    // Whether the start button is visible (it chooses the wording of the disk-space message).
    virtual bool startButtonVisible() const { return true; }

    // Shows image nodes in the tree for a cycle, or puts back the display chosen before. The
    // engine's default builds or removes the image groups of every page in the store.
    virtual bool showImagesInTree(bool /*on*/) { return false; }

    virtual bool documentViewOpen() const { return false; }

    // The document the user asked for from the document view was stored: select its node
    // and reload the view.
    virtual void clickedDocumentStored(TElement* /*element*/) { }

    // An image of that document was stored: the view checks whether to refresh.
    virtual void clickedImageStored(TElement* /*element*/) { }

    // A cycle is starting (the update check starts here).
    virtual void cycleStarting() { }

    virtual void cycleEnded() { }

    virtual void downloadEnded(const DownloadReport& /*report*/) { }
};

class Connection {
public:
    virtual ~Connection() = default;

    // Whether downloads go through a dial-up connection (ConnectByModem in effect).
    virtual bool byModem() const { return false; }

    // A connection is up already (checked before dialling).
    virtual bool activeConnectionExists() { return true; }

    // Shows the dialling window; it tells the scheduler when the line is up.
    virtual void dial() { }

    // Hangs up the program's own connection and every active one.
    virtual void hangUp() { }
};

// Free bytes of the file system that holds `path`; -1 when it cannot be measured. Network
// file systems answer a large number (they are not checked).
using FreeSpaceProbe = std::function<qint64(const QString& path)>;

// The next check time of the automatic refresh policy.
using NextCheckRule = std::function<TDateTime(const TElement& element)>;

} // namespace glanix
