#pragma once

#include "engine/DialUpBackend.h"

#include <QString>
#include <QStringList>
#include <functional>

// The dial-up component: the phone book, dialling one entry with a report of each state,
// the connections that are up, and hanging up, over a DialUpBackend. The main window owns
// one when the program connects by modem (its events are the window's DialUp1 handlers);
// the dialling window has its own for the duration of a dial. Events are plain callbacks
// run on the user-interface thread; an event may change the component's properties but
// must not free it.
namespace glanix {

enum TDialMode { dmAsync, dmSync };

enum TLanguage { English, French };

class TDialUp final : private DialListener {
public:
    using TNotifyEvent = std::function<void(TDialUp& sender)>;
    using TOnNotConn = std::function<void(TDialUp& sender, int error, const QString& message)>;
    using TOnError = std::function<void(TDialUp& sender, int error, const QString& message)>;
    using TOnAsyncEvent = std::function<void(TDialUp& sender, int state, int error, const QString& message)>;
    using TOnActiveConn
        = std::function<void(TDialUp& sender, const QString& handle, int status, const QString& statusText,
                             const QString& entry, const QString& deviceType, const QString& deviceName)>;
    using TOnEntryGet = std::function<void(TDialUp& sender, const QString& entry)>;

    explicit TDialUp(DialUpBackend& backend);
    // A line this component dialled stays up.
    ~TDialUp() override;
    TDialUp(const TDialUp&) = delete;
    TDialUp& operator=(const TDialUp&) = delete;

    // dmAsync reports every state through OnAsyncEvent; dmSync only the outcome.
    TDialMode DialMode = dmAsync;
    QStringList Entries;
    QString Entry;
    TLanguage Language = English;
    // The program's mode word: 10 = hang up every active connection reported.
    int Tag = 0;

    TNotifyEvent OnDialing;
    TNotifyEvent OnConnect;
    TOnNotConn OnNotConnected;
    TOnAsyncEvent OnAsyncEvent;
    TOnError OnError;
    TOnActiveConn OnActiveConnection;
    TOnEntryGet OnEntryGet;

    // Fills Entries (OnEntryGet for each); false after OnError.
    bool GetEntries();
    // Dials Entry; false after OnError (the dial never began).
    bool Dial();
    // OnActiveConnection for each connection that is up or coming up; false after OnError.
    bool GetActiveConnections();
    // Hangs up the connection this component dialled, if any.
    void HangUp();
    void HangUpConnection(const QString& handle);

    bool dialling() const { return m_dialling; }

    QString stateText(int state) const { return stateText(state, Language); }

    QString errorText(int error) const { return errorText(error, Language); }

    static QString stateText(int state, TLanguage language);
    static QString errorText(int error, TLanguage language);

private:
    void dialProgress(int state, int error) override;
    void reportError(int error);

    DialUpBackend& m_backend;
    bool m_dialling = false;
    bool m_dialled = false;
};

} // namespace glanix
