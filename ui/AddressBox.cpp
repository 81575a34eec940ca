#include "ui/AddressBox.h"

#include <QCompleter>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace glanix {

AddressBox::AddressBox(QWidget* parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("ComboBoxHistorique"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(25);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(40);
    completer()->setCompletionMode(QCompleter::PopupCompletion);
    completer()->setFilterMode(Qt::MatchContains);
    completer()->setCaseSensitivity(Qt::CaseInsensitive);
    completer()->setMaxVisibleItems(25);
    // The line edit passes Enter on to the box, which hands it back: taken here, it is one
    // request.
    lineEdit()->installEventFilter(this);
}

bool AddressBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            emit findRequested();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

QStringList AddressBox::entries() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void AddressBox::setEntries(const QStringList& entries)
{
    const QString text = currentText();
    clear();
    addItems(entries);
    setEditText(text);
}

void AddressBox::remember(const QString& text)
{
    if (text.trimmed().isEmpty() || findText(text, Qt::MatchExactly) >= 0)
        return;
    insertItem(0, text);
    setEditText(text);
}

void AddressBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = lineEdit()->createStandardContextMenu();
    menu->addSeparator();
    const QString text = currentText();
    const int at = findText(text, Qt::MatchExactly);
    QAction* forget = menu->addAction(tr("Effacer de l'historique"));
    forget->setEnabled(at >= 0);
    connect(forget, &QAction::triggered, this, [this, at] {
        removeItem(at);
        setEditText(QString());
    });
    QAction* forgetAll = menu->addAction(tr("Effacer tout l'historique"));
    forgetAll->setEnabled(count() > 0);
    connect(forgetAll, &QAction::triggered, this, [this] {
        const QString keep = currentText();
        clear();
        setEditText(keep);
    });
    menu->exec(event->globalPos());
    delete menu;
}

} // namespace glanix
