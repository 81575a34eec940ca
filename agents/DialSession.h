#pragma once

#include <QObject>
#include <QString>
#include <memory>

// The dialling window's logic (TFormRas without its widgets): it takes the entry to dial
// (asking the user to choose one when the phone book does not name it), dials it on a
// dial-up component of its own with the state texts in French, starts the download cycle
// when the line is up (the connection's age counting from a minute before), ends it when
// the dial fails, and hangs up on "Annuler". Owned by the dialling window, which it drives
// through DialWindow; the engine it serves must outlive it.
namespace glanix {

class DialWindow;
class DownloadEngine;
class TDialUp;

class DialSession final : public QObject {
    Q_OBJECT

public:
    DialSession(DownloadEngine& engine, std::unique_ptr<TDialUp> dialUp);
    // Leaves the line as it is: connected, it stays up.
    ~DialSession() override;

    void attach(DialWindow* window) { m_window = window; }

    // Steps 1 to 4: the entry, then the dial.
    void start();
    // "Annuler": hang up, end the cycle, close.
    void cancel();

    TDialUp& dialUp() const { return *m_dialUp; }

    // The connection is up or the dial is over: later events change nothing.
    bool finished() const { return m_finished; }

private:
    void asyncEvent(int state, int error, const QString& message);
    void connected();
    void failed();
    void status(const QString& text);
    void closeAfter(int milliseconds);

    DownloadEngine& m_engine;
    std::unique_ptr<TDialUp> m_dialUp;
    DialWindow* m_window = nullptr;
    bool m_finished = false;
    bool m_closing = false;
};

} // namespace glanix
