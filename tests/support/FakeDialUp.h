#pragma once

#include "engine/DialUpBackend.h"

#include <QStringList>
#include <vector>

// A connection service from a script: its phone book, the links that are up, and the states
// a dial goes through, delivered when the test says so (play() or step()), never from inside
// the call that started the dial. A dial that reaches rsConnected adds its link to `active`;
// hanging up takes it away. Records what was dialled and hung up.
//
//   FakeDialUp fake;
//   fake.entries = {{"Orange", "gsm"}};
//   fake.script = {{rsOpenPort}, {rsAuthenticate}, {rsDisconnected, deNoAnswer}};
//   ... dial ...
//   fake.play();
namespace glanix::test {

class FakeDialUp final : public DialUpBackend {
public:
    struct Step {
        int state;
        int error = 0;
    };

    QList<DialUpEntry> entries;
    QList<ActiveLink> active;
    std::vector<Step> script
        = {{rsOpenPort}, {rsConnectDevice}, {rsAuthenticate}, {rsProjected}, {rsConnected}};
    int listError = 0; // every listing fails with it
    int dialError = 0; // the dial does not begin

    QStringList dialled;
    QStringList hungUp; // handles, and "own:" + entry for a dial hung up
    int listings = 0;

    static ActiveLink link(const QString& entry, int state = rsConnected)
    {
        return ActiveLink {QStringLiteral("/active/") + entry, state, entry, QStringLiteral("modem"),
                           QStringLiteral("ppp0")};
    }

    bool dialling() const { return m_listener != nullptr && m_next < script.size(); }

    // Delivers the next state; false when the dial has nothing left to report.
    bool step()
    {
        if (!m_listener || m_next >= script.size())
            return false;
        const Step s = script[m_next++];
        DialListener* listener = m_listener;
        if (s.state == rsConnected && s.error == 0)
            active << link(m_entry);
        if (s.error || s.state == rsConnected || s.state == rsDisconnected)
            m_listener = nullptr;
        listener->dialProgress(s.state, s.error);
        return true;
    }

    void play()
    {
        while (step()) { }
    }

    int listEntries(QList<DialUpEntry>& out) override
    {
        ++listings;
        if (listError)
            return listError;
        out = entries;
        return 0;
    }

    int listActive(QList<ActiveLink>& out) override
    {
        ++listings;
        if (listError)
            return listError;
        out = active;
        return 0;
    }

    int startDial(const QString& entry, DialListener* listener) override
    {
        if (dialError)
            return dialError;
        dialled << entry;
        m_entry = entry;
        m_listener = listener;
        m_next = 0;
        m_owner = listener;
        return 0;
    }

    int hangUpDial(DialListener* listener) override
    {
        if (listener != m_owner)
            return 0;
        m_listener = nullptr;
        m_owner = nullptr;
        hungUp << QStringLiteral("own:") + m_entry;
        removeLink(link(m_entry).handle);
        return 0;
    }

    void forget(DialListener* listener) override
    {
        if (listener == m_listener)
            m_listener = nullptr;
        if (listener == m_owner)
            m_owner = nullptr;
    }

    int hangUp(const QString& handle) override
    {
        hungUp << handle;
        removeLink(handle);
        return 0;
    }

private:
    void removeLink(const QString& handle)
    {
        active.removeIf([&](const ActiveLink& l) { return l.handle == handle; });
    }

    DialListener* m_listener = nullptr; // gets the progress
    DialListener* m_owner = nullptr; // may hang up the dial
    QString m_entry;
    size_t m_next = 0;
};

} // namespace glanix::test
