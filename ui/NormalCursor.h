#pragma once

#include <QApplication>

// The arrow over a question asked while the program is busy (the hourglass of start-up is an
// application-wide cursor, which dialogs would show too), the busy cursor back afterwards.
namespace glanix {

class NormalCursor {
public:
    NormalCursor()
        : m_active(QApplication::overrideCursor() != nullptr)
    {
        if (m_active)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }

    ~NormalCursor()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
    }

    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool m_active;
};

} // namespace glanix
