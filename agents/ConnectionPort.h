#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// What the download engine's connection side asks of the main window beyond the EngineView:
// the dialling window, the connection choice, the end button's drop-down menu and the check
// marks that mirror Opt. The window implements it with widgets; tests give a fake.
namespace glanix {

class DialSession;

// The dialling window (TFormRas) as its session drives it.
class DialWindow {
public:
    virtual ~DialWindow() = default;
    virtual void setEntryName(const QString& name) = 0; // NomEntree
    virtual void setStatus(const QString& text) = 0; // LabelStatut1
    // The window closes and frees itself (with the session).
    virtual void closeWindow() = 0;
};

class ConnectionPort {
public:
    virtual ~ConnectionPort() = default;

    // Shows the dialling window, modal, without waiting for it to close; the window takes
    // the session, attaches itself and starts it.
    virtual void showDialWindow(std::unique_ptr<DialSession> session) = 0;
    // The program is going away: the dialling window, if any, goes at once.
    virtual void closeDialWindow() = 0;
    // "Choix connexion": the entry chosen, nothing when the user cancelled.
    virtual std::optional<QString> chooseConnection(const QStringList& entries, const QString& current) = 0;
    // The end button's drop-down menu (PopupMenuConnexion); taken away while dialling.
    virtual void setEndButtonMenu(bool attached) = 0;
    // Opt changed behind the window's back: the check marks follow.
    virtual void optionsChanged() = 0;
};

} // namespace glanix
