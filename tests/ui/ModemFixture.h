#pragma once

#include "tests/support/AgentBuilder.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/TFormRas.h"

#include <QToolBar>
#include <QToolButton>

// The main window with its real engine in modem mode, on a scripted connection service whose
// phone book holds "Orange" (the entry in use) and "Free". The open agent has nothing to
// fetch, and the clock stands still: a cycle lasts as long as the connection rules say.
namespace glanix::test {

struct ModemFixture : MainWindowFixture {
    ModemFixture()
    {
        realEngine = true;
        dialUp.entries = {{"Orange", "gsm"}, {"Free", "pppoe"}};
        AgentBuilder agent(home.path(), "Veille");
        agent.folder("Presse");
        home.write("Glanix.ini",
                   "[OpenedAgents]\nAgent1=Veille\n[General]\nConnectByModem=1\n"
                   "ConnectEntry=Orange\nKeepReady=0\n");
    }

    TFormRas* dialWindow() const { return window->findChild<TFormRas*>(); }

    QToolButton* toolButton(const char* name) const
    {
        return window->findChild<QToolButton*>(QLatin1String(name));
    }

    // The start button, pressed as a user does.
    void connect() { QTest::mouseClick(toolButton("TransparentButtonStartConnexion"), Qt::LeftButton); }
};

} // namespace glanix::test
