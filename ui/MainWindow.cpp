#include "ui/MainWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>
#include <QMdiArea>

namespace glanix {

MainWindow::MainWindow(const QString& home, const QStringList& /*arguments*/, QWidget* parent)
    : QMainWindow(parent)
    , m_home(home)
{
    setWindowTitle(QStringLiteral("Glanix %1").arg(QStringLiteral(GLANIX_VERSION)));
    auto* splitter = new QSplitter(this);
    splitter->addWidget(new QTreeView(splitter));
    splitter->addWidget(new QMdiArea(splitter));
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(screen.width() - 20, screen.height() - 80);
}

} // namespace glanix
