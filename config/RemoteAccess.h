#pragma once

// Whether the system's connection service (NetworkManager) can be used to dial, asked when
// the user picks connection by modem and at start-up. The desktop program asks D-Bus; tests
// give a fake.
namespace glanix {

class RemoteAccessProbe {
public:
    virtual ~RemoteAccessProbe() = default;
    virtual bool isAvailable() = 0;
};

} // namespace glanix
