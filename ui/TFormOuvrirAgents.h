#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QListWidget;
class QPushButton;

// "Ouvrir agents": the agents of the home that are not open, sorted, several may be chosen;
// hovering over one tells where it is saved. The main window opens what was chosen.
namespace glanix {

class TFormOuvrirAgents final : public QDialog {
    Q_OBJECT

public:
    // `hint` gives the tooltip of each name.
    TFormOuvrirAgents(const QStringList& names, const std::function<QString(const QString&)>& hint,
                      QWidget* parent = nullptr);

    // The names chosen, in list order.
    QStringList selectedNames() const;

    QListWidget* list() const { return m_list; }

signals:
    void helpRequested(const QString& topic);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QListWidget* m_list;
    QPushButton* m_open;
};

} // namespace glanix
