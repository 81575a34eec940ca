#include "ui/TFormOuvrirAgents.h"

#include "ui/DialogButtons.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace glanix {

TFormOuvrirAgents::TFormOuvrirAgents(const QStringList& names,
                                     const std::function<QString(const QString&)>& hint, QWidget* parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("TFormOuvrirAgents"));
    setWindowTitle(tr("Ouvrir agents"));
    m_list->setObjectName(QStringLiteral("ListAgents"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, m_list);
        if (hint)
            item->setToolTip(QString(hint(name)).replace(u'\r', u'\n'));
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);

    const DialogButtons buttons
        = makeDialogButtons(this, tr("Ouvrir"), [this] { emit helpRequested(QStringLiteral("Agents")); });
    m_open = buttons.ok;
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_open->setEnabled(!m_list->selectedItems().isEmpty()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Agents à ouvrir :"), this));
    layout->addWidget(m_list);
    layout->addWidget(buttons.box);
    resize(360, 320);
}

QStringList TFormOuvrirAgents::selectedNames() const
{
    QStringList names;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected())
            names << m_list->item(i)->text();
    }
    return names;
}

void TFormOuvrirAgents::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        emit helpRequested(QStringLiteral("Agents"));
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace glanix
