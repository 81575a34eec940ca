#include "ui/TFormChoixConn.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace glanix {

TFormChoixConn::TFormChoixConn(const QStringList& entries, const QString& current, QWidget* parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("TFormChoixConn"));
    setWindowTitle(tr("Choix connexion"));
    m_list->setObjectName(QStringLiteral("ListConnexions"));
    m_list->addItems(entries);
    const int row = static_cast<int>(entries.indexOf(current));
    m_list->setCurrentRow(row >= 0 ? row : 0);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(tr("Annuler"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int r) { m_ok->setEnabled(r >= 0); });
    m_ok->setEnabled(m_list->currentRow() >= 0);

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(entries.isEmpty() ? tr("Aucune connexion n'est définie sur ce système.")
                                               : tr("Connexion à utiliser :"),
                             this);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(340, 280);
}

QString TFormChoixConn::chosen() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item ? item->text() : QString();
}

} // namespace glanix
