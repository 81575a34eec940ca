#include "app/cli/Cli.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glanix"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return glanix::cli::run(args);
}
