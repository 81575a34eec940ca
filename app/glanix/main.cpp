#include "ui/MainWindow.h"

#include "config/Home.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glanix"));
    QApplication::setApplicationVersion(QStringLiteral(GLANIX_VERSION));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString error;
    const QString home = glanix::resolveHome(args, QApplication::applicationDirPath(), &error);
    if (home.isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Glanix"), error);
        return 1;
    }
    glanix::MainWindow window(home, args);
    window.show();
    return app.exec();
}
