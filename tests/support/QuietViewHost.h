#pragma once

#include "ui/TFormExt.h"

namespace glanix::test {

// A view window's host that keeps nothing of what the view reports: for views shown alone.
class QuietViewHost final : public ViewHost {
public:
    explicit QuietViewHost(MainController& controller)
        : m_controller(controller)
    {
    }

    MainController& controller() override { return m_controller; }

    void selectElement(TElement*) override { }

    void showElementStatus(TElement*, bool) override { }

    void setStatusPanel(int, const QString&) override { }

    void refreshElement(TElement*, bool) override { }

    void editNotes(TElement*) override { }

    void showVersion(TElement*, int) override { }

private:
    MainController& m_controller;
};

} // namespace glanix::test
