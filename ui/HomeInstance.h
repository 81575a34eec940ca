#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// The desktop program already running on a home is the one that stays: it listens on a local
// socket named after the home (homeInstanceName), and a second program started on the same home
// hands it what it was asked to open, then ends. One line goes each way: the request ("show", or
// the path of an agent file), then "ok" once it was taken.
namespace glanix {

class HomeInstanceServer final : public QObject {
    Q_OBJECT

public:
    explicit HomeInstanceServer(const QString& home, QObject* parent = nullptr);

    // Called by the holder of the home's lock only, so that a socket left by a crash can be
    // taken over.
    bool listen();

signals:
    void requested(const QString& request);

private:
    void accept();

    QString m_name;
    QLocalServer* m_server;
};

// What a second program asks of the first: to open an agent file, else only to show itself.
QString instanceRequest(const QStringList& arguments);

// Hands `request` to the program that listens for `home`; false when none took it within
// `timeoutMs` (one that has just taken the lock may not be listening yet: it is tried again).
bool handToRunningInstance(const QString& home, const QString& request, int timeoutMs = 5000);

} // namespace glanix
