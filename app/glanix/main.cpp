#include "agents/DefaultAgents.h"
#include "agents/MainController.h"
#include "config/Home.h"
#include "config/HomeLock.h"
#include "config/TerminationSignals.h"
#include "ui/GlanixApplication.h"
#include "ui/HomeInstance.h"
#include "ui/TForm1.h"
#include "ui/ViewWeb.h"

#include <QDir>
#include <QMessageBox>

int main(int argc, char** argv)
{
    glanix::prepareWebEngine();
    glanix::GlanixApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glanix"));
    QApplication::setApplicationVersion(QStringLiteral(GLANIX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("glanix"));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const QStringList given = args;
    QString error;
    const QString home = glanix::resolveHome(args, QApplication::applicationDirPath(), &error);
    if (home.isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Glanix"), error);
        return 1;
    }

    // One Glanix per home: a second one hands its request to the first and ends.
    glanix::HomeLock lock(home);
    if (!lock.tryLock()) {
        if (!lock.failed() && glanix::handToRunningInstance(home, glanix::instanceRequest(args)))
            return 0;
        QMessageBox::critical(nullptr, QStringLiteral("Glanix"), lock.busyMessage());
        return lock.failed() ? 1 : 2;
    }
    glanix::HomeInstanceServer instances(home);
    instances.listen();

    glanix::MainServices services;
    services.home = home;
    services.arguments = args;
    services.applicationsDir = glanix::userApplicationsDir();
    // The menu entry starts this program on this home when the home was chosen by hand.
    services.launchCommand = {QApplication::applicationFilePath()};
    if (given.size() != args.size())
        services.launchCommand << QStringLiteral("--home") << QDir::cleanPath(home);

    glanix::TForm1 window(services);
    glanix::TerminationSignals termination;
    QObject::connect(&termination, &glanix::TerminationSignals::terminationRequested, &window,
                     [&window](int) { window.terminate(); });
    // Queued: an agent that cannot be opened shows a message, which is no business of the socket.
    QObject::connect(&instances, &glanix::HomeInstanceServer::requested, &window,
                     &glanix::TForm1::bringForward, Qt::QueuedConnection);
    window.show();
    return app.exec();
}
