#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// "Choix connexion": the phone book's entries, the one in use selected; OK gives the one
// chosen, which the engine makes the dial-up entry (ConnectEntry).
namespace glanix {

class TFormChoixConn final : public QDialog {
    Q_OBJECT

public:
    TFormChoixConn(const QStringList& entries, const QString& current, QWidget* parent = nullptr);

    // The entry selected; empty when none is.
    QString chosen() const;

    QListWidget* list() const { return m_list; }

private:
    QListWidget* m_list;
    QPushButton* m_ok;
};

} // namespace glanix
