#pragma once

#include "config/RemoteAccess.h"

// A connection service that is there or not, as the test says; counts the probes.
namespace glanix::test {

class FakeRemoteAccess final : public RemoteAccessProbe {
public:
    explicit FakeRemoteAccess(bool available = true)
        : m_available(available)
    {
    }

    void setAvailable(bool available) { m_available = available; }

    int probes() const { return m_probes; }

    bool isAvailable() override
    {
        ++m_probes;
        return m_available;
    }

private:
    bool m_available;
    int m_probes = 0;
};

} // namespace glanix::test
