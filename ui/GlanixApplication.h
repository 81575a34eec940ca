#pragma once

#include <QApplication>
#include <functional>

// The desktop program's application object. It catches what an event handler throws and hands
// it to the handler the main window installs (the error log), instead of letting the program
// end; without a handler a message box tells the user. It also sets the hint timing: a hint
// shows after 300 ms, the next one at once, and stays 40 s.
namespace glanix {

class GlanixApplication final : public QApplication {
    Q_OBJECT

public:
    GlanixApplication(int& argc, char** argv);

    using ExceptionHandler = std::function<void(const QString& message)>;

    // An empty handler shows exceptions in a message box.
    void setExceptionHandler(ExceptionHandler handler) { m_handler = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

    static GlanixApplication* instance();

private:
    void report(const QString& message);

    ExceptionHandler m_handler;
};

} // namespace glanix
