#include "ui/HomeInstance.h"

#include "config/HomeLock.h"
#include "config/Settings.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace glanix {

namespace {

constexpr qint64 kMaxRequest = 8192;

} // namespace

HomeInstanceServer::HomeInstanceServer(const QString& home, QObject* parent)
    : QObject(parent)
    , m_name(homeInstanceName(home))
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HomeInstanceServer::accept);
}

bool HomeInstanceServer::listen()
{
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

void HomeInstanceServer::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest)
                    socket->abort();
                return;
            }
            const QString request = QString::fromUtf8(socket->readLine(kMaxRequest)).trimmed();
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            emit requested(request);
        });
    }
}

QString instanceRequest(const QStringList& arguments)
{
    const QString first = arguments.value(0);
    // The first program may run in another folder: the path goes whole.
    if (Settings::isAgentFileArgument(first))
        return QFileInfo(first).absoluteFilePath();
    return QStringLiteral("show");
}

bool handToRunningInstance(const QString& home, const QString& request, int timeoutMs)
{
    const QString name = homeInstanceName(home);
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(500)) {
            socket.write(request.toUtf8() + '\n');
            if (!socket.waitForBytesWritten(1000))
                return false;
            while (!socket.canReadLine()
                   && socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
                ;
            return socket.readLine().trimmed() == "ok";
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace glanix
