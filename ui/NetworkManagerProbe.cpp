#include "ui/NetworkManagerProbe.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace glanix {

bool NetworkManagerProbe::isAvailable()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> reply
        = bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.NetworkManager"));
    return reply.isValid() && reply.value();
}

} // namespace glanix
