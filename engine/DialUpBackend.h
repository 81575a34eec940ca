#pragma once

#include <QList>
#include <QString>

// The system's connection service as the dial-up component needs it: its phone book (the
// connections the user may dial), the connections that are up, dialling one with progress
// reports, and hanging up. NetworkManagerDialUp speaks to NetworkManager over D-Bus; tests
// give a scripted one. Every call and report happens on the user-interface thread; progress
// is never reported from inside the call that started the dial.
namespace glanix {

// Connection states, numbered as the remote-access states whose texts the program shows.
enum RasState : int {
    rsOpenPort = 0,
    rsPortOpened = 1,
    rsConnectDevice = 2,
    rsDeviceConnected = 3,
    rsAllDevicesConnected = 4,
    rsAuthenticate = 5,
    rsAuthNotify = 6,
    rsAuthRetry = 7,
    rsAuthCallback = 8,
    rsAuthChangePassword = 9,
    rsAuthProject = 10,
    rsAuthLinkSpeed = 11,
    rsAuthAck = 12,
    rsReAuthenticate = 13,
    rsAuthenticated = 14,
    rsPrepareForCallback = 15,
    rsWaitForModemReset = 16,
    rsWaitForCallback = 17,
    rsProjected = 18,
    rsStartAuthentication = 19,
    rsCallbackComplete = 20,
    rsLogonNetwork = 21,
    rsInteractive = 0x1000,
    rsRetryAuthentication = 0x1001,
    rsCallbackSetByCaller = 0x1002,
    rsPasswordExpired = 0x1003,
    rsConnected = 0x2000,
    rsDisconnected = 0x2001,
};

// Error numbers of the dial-up layer; every failure of a dial is 600 or more.
enum DialUpError : int {
    deNone = 0,
    deEntryNotFound = 623,
    dePortUnavailable = 633,
    deDeviceError = 651,
    deLineBusy = 676,
    deNoAnswer = 678,
    deNoCarrier = 679,
    deNoDialTone = 680,
    deAccessDenied = 691,
    deServiceUnavailable = 711,
    deNegotiationFailed = 720,
    deLinkTerminated = 734,
    deDisconnected = 628,
    deUserDisconnected = 631,
    deNotPermitted = 770,
};

struct DialUpEntry {
    QString name;
    QString type; // "gsm", "pppoe", "802-3-ethernet" ...
};

struct ActiveLink {
    QString handle; // what hanging it up needs
    int state = rsConnected;
    QString entry;
    QString deviceType;
    QString deviceName;
};

// Receives the progress of one dial.
class DialListener {
public:
    virtual ~DialListener() = default;
    // A new state; `error` (600 or more) ends the dial without a connection. rsConnected ends
    // it with one.
    virtual void dialProgress(int state, int error) = 0;
};

class DialUpBackend {
public:
    virtual ~DialUpBackend() = default;

    // Each returns 0, or an error number and nothing.
    virtual int listEntries(QList<DialUpEntry>& entries) = 0;
    virtual int listActive(QList<ActiveLink>& links) = 0;
    // Starts dialling the entry for `listener`, which then gets the progress.
    virtual int startDial(const QString& entry, DialListener* listener) = 0;
    // Hangs up what `listener` dialled, whether it is still dialling or up; no more progress.
    virtual int hangUpDial(DialListener* listener) = 0;
    // The listener goes away; what it dialled stays up.
    virtual void forget(DialListener* listener) = 0;
    virtual int hangUp(const QString& handle) = 0;
};

} // namespace glanix
