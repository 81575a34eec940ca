#include "ui/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QShortcut>

namespace glanix {

DialogButtons makeDialogButtons(QDialog* dialog, const QString& okText, std::function<void()> help)
{
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(QDialog::tr("Annuler"), QDialogButtonBox::RejectRole);
    QPushButton* helpButton = box->addButton(QDialog::tr("Aide"), QDialogButtonBox::HelpRole);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    helpButton->setObjectName(QStringLiteral("help"));
    ok->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(helpButton, &QPushButton::clicked, dialog, help);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
    QObject::connect(f1, &QShortcut::activated, dialog, std::move(help));
    return {box, ok};
}

} // namespace glanix
