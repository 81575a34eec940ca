#pragma once

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

// Helpers for tests that drive real widgets on the offscreen platform.
namespace glanix::test {

// Shows a top-level widget and waits until it has the keyboard, so focus moves like a user's.
inline bool showActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Replaces the text of a field as a user would and leaves the field with Tab.
inline void typeAndLeave(QWidget* field, const QString& text)
{
    field->setFocus(Qt::TabFocusReason);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
        spin->selectAll();
    else if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

// Clicks a button where its label starts: check boxes and radio buttons stretched across a
// layout only answer on their indicator and text.
inline void click(QAbstractButton* button)
{
    const QPoint at(std::min(8, button->width() / 2), button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

// Runs `action` on the modal dialog that the next call opens, then lets the call go on.
// A dialog that never opens fails the test instead of hanging it.
inline void whenModal(std::function<void(QWidget*)> action, int timeoutMs = 5000)
{
    struct Poll {
        std::function<void(QWidget*)> action;
        int left;
        void operator()() const
        {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                action(modal);
            } else if (left <= 0) {
                ADD_FAILURE() << "no modal dialog opened";
            } else {
                QTimer::singleShot(20, Poll {action, left - 20});
            }
        }
    };
    QTimer::singleShot(0, Poll {std::move(action), timeoutMs});
}

// Writes the widget's picture when GLANIX_SCREENSHOTS names a folder, so people can look.
inline void screenshot(QWidget* widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("GLANIX_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace glanix::test
