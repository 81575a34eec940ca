#pragma once

#include <QString>
#include <functional>

class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace glanix {

// The accept, "Annuler" and "Aide" buttons of a dialog (object names "ok", "cancel", "help"),
// wired to accept, reject and, for the button and F1, to `help`.
struct DialogButtons {
    QDialogButtonBox* box = nullptr;
    QPushButton* ok = nullptr;
};

DialogButtons makeDialogButtons(QDialog* dialog, const QString& okText, std::function<void()> help);

} // namespace glanix
