#pragma once

#include "agents/ConnectionPort.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;

// The dialling window "Connexion": the entry being dialled and the state of the line, always
// on top and modal while the dial runs, with "Annuler" to hang up. It owns its DialSession,
// which decides everything and closes it; the window frees itself when closed.
namespace glanix {

class DialSession;

class TFormRas final : public QDialog, private DialWindow {
    Q_OBJECT

public:
    TFormRas(std::unique_ptr<DialSession> session, QWidget* parent = nullptr);
    ~TFormRas() override;

    DialSession& session() const { return *m_session; }

    QLabel* entryLabel() const { return m_nomEntree; }

    QLabel* statusLabel() const { return m_labelStatut1; }

    QPushButton* cancelButton() const { return m_buttonCancel; }

    // Escape, the window's close box and "Annuler" all hang up.
    void reject() override;

signals:
    void helpRequested(const QString& topic);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setEntryName(const QString& name) override;
    void setStatus(const QString& text) override;
    void closeWindow() override;

    std::unique_ptr<DialSession> m_session;
    QLabel* m_nomEntree;
    QLabel* m_labelStatut1;
    QPushButton* m_buttonCancel;
    bool m_closed = false;
};

} // namespace glanix
