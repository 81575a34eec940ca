#pragma once

#include <QComboBox>

// The address box of the main window (`ComboBoxHistorique`): an editable list of the
// addresses and names typed, completed from the first character, showing up to 25 entries.
// Its entries are the address history kept in History.dat.
namespace glanix {

class AddressBox final : public QComboBox {
    Q_OBJECT

public:
    explicit AddressBox(QWidget* parent = nullptr);

    QStringList entries() const;
    void setEntries(const QStringList& entries);
    // Adds the text at the top unless it is there already.
    void remember(const QString& text);

signals:
    // Enter in the box: find what it holds.
    void findRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace glanix
