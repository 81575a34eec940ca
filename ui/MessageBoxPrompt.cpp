#include "ui/MessageBoxPrompt.h"

#include "ui/NormalCursor.h"
#include "ui/TFormConfirm.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <map>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MessageBoxPrompt", text);
}

QMessageBox::Icon boxIcon(UserPrompt::Icon icon)
{
    switch (icon) {
    case UserPrompt::Icon::Information:
        return QMessageBox::Information;
    case UserPrompt::Icon::Warning:
        return QMessageBox::Warning;
    case UserPrompt::Icon::Critical:
        return QMessageBox::Critical;
    case UserPrompt::Icon::Question:
        break;
    }
    return QMessageBox::Question;
}

} // namespace

UserPrompt::Button MessageBoxPrompt::ask(Icon icon, const QString& text, unsigned buttons,
                                         Button defaultButton)
{
    QMessageBox box(boxIcon(icon), QStringLiteral("Glanix"), text, QMessageBox::NoButton, m_parent);
    // Texts of the "\r"-separated messages inherited from the old program.
    box.setText(QString(text).replace(u'\r', u'\n'));
    std::map<QAbstractButton*, Button> chosen;
    auto add = [&](Button b, const QString& label, QMessageBox::ButtonRole role) {
        if (!(buttons & b))
            return;
        QPushButton* button = box.addButton(label, role);
        chosen[button] = b;
        if (b == defaultButton)
            box.setDefaultButton(button);
    };
    add(Ok, tr("OK"), QMessageBox::AcceptRole);
    add(Yes, tr("&Oui"), QMessageBox::YesRole);
    add(No, tr("&Non"), QMessageBox::NoRole);
    add(Cancel, tr("&Annuler"), QMessageBox::RejectRole);
    if (chosen.empty())
        add(Ok, tr("OK"), QMessageBox::AcceptRole);

    const Button escape = (buttons & Cancel) ? Cancel : (buttons & No) ? No : Ok;
    for (const auto& [button, b] : chosen) {
        if (b == escape)
            box.setEscapeButton(button);
    }
    const NormalCursor arrow;
    box.exec();
    const auto it = chosen.find(box.clickedButton());
    return it == chosen.end() ? escape : it->second;
}

bool MessageBoxPrompt::confirm(const QString& text, const std::function<void(bool)>& dontAskAgainChanged)
{
    TFormConfirm dialog(QString(text).replace(u'\r', u'\n'), dontAskAgainChanged, m_parent);
    const NormalCursor arrow;
    return dialog.exec() == QDialog::Accepted;
}

} // namespace glanix
