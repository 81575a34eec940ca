#include "ui/TFormConfirm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace glanix {

TFormConfirm::TFormConfirm(const QString& message, std::function<void(bool)> dontAskAgainChanged,
                           QWidget* parent)
    : QDialog(parent)
    , m_dontAsk(new QCheckBox(tr("Ne plus poser cette question à l'avenir"), this))
{
    setWindowTitle(tr("Confirmation"));

    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QLabel(message, this);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setMinimumWidth(320);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* yes = buttons->addButton(tr("&Oui"), QDialogButtonBox::YesRole);
    QPushButton* cancel = buttons->addButton(tr("&Annuler"), QDialogButtonBox::RejectRole);
    yes->setObjectName(QStringLiteral("yes"));
    cancel->setObjectName(QStringLiteral("cancel"));
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_dontAsk, &QCheckBox::toggled, this, [callback = std::move(dontAskAgainChanged)](bool on) {
        if (callback)
            callback(on);
    });

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(m_dontAsk);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace glanix
