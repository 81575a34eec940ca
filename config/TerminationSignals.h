#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT turned into a Qt signal, so that a desktop logout or Ctrl+C closes the
// program the normal way (settings saved). The handler only writes a byte to a pipe; the
// notifier reads it in the event loop, where anything may be done. One instance per process.
namespace glanix {

class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isActive() const { return m_notifier != nullptr; }

signals:
    // The signal number that arrived.
    void terminationRequested(int signal);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace glanix
