#pragma once

#include "config/RemoteAccess.h"

// Connection by modem needs NetworkManager: it is usable when its service is on the system bus.
namespace glanix {

class NetworkManagerProbe final : public RemoteAccessProbe {
public:
    bool isAvailable() override;
};

} // namespace glanix
