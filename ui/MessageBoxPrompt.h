#pragma once

#include "config/UserPrompt.h"

#include <QPointer>
#include <QWidget>

// Questions and messages as modal message boxes over a window, titled "Glanix".
namespace glanix {

class MessageBoxPrompt final : public UserPrompt {
public:
    explicit MessageBoxPrompt(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }

    void setParent(QWidget* parent) { m_parent = parent; }

    Button ask(Icon icon, const QString& text, unsigned buttons, Button defaultButton) override;
    bool confirm(const QString& text, const std::function<void(bool)>& dontAskAgainChanged) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace glanix
