#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;

// The yes/cancel question that the user may switch off for the future. It only shows the
// question and reports the box; what is remembered, and where, is config/Confirmations.
namespace glanix {

class TFormConfirm final : public QDialog {
    Q_OBJECT

public:
    TFormConfirm(const QString& message, std::function<void(bool dontAskAgain)> dontAskAgainChanged,
                 QWidget* parent = nullptr);

    QCheckBox* dontAskAgainBox() const { return m_dontAsk; }

private:
    QCheckBox* m_dontAsk;
};

} // namespace glanix
