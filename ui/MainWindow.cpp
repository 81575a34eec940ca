#include "ui/MainWindow.h"

#include "agents/AgentFile.h"
#include "config/Env.h"
#include "config/IniFile.h"
#include "store/TElement.h"
#include "ui/ElementIcons.h"
#include "ui/ElementTreeModel.h"

#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

namespace glanix {

MainWindow::MainWindow(const QString& home, const QStringList& /*arguments*/, QWidget* parent)
    : QMainWindow(parent)
    , m_home(home)
    , m_env(std::make_unique<Env>(home))
    , m_store(std::make_unique<ElementStore>(*m_env))
{
    setWindowTitle(QStringLiteral("Glanix %1").arg(QStringLiteral(GLANIX_VERSION)));
    const IniFile ini(m_env->iniFileName());
    m_store->setSeeImages(ini.readBool(u"General", u"SeeImages", true));
    m_store->setFavoritesFolder(ini.readString(u"General", u"FavoritesFolder"));
    m_store->setHost(this);

    m_icons = std::make_unique<ElementIcons>(m_store->knownTypes());
    m_model = new ElementTreeModel(*m_store, *m_icons, this);

    auto* splitter = new QSplitter(this);
    m_tree = new QTreeView(splitter);
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_views = new QMdiArea(splitter);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_views);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(screen.width() - 20, screen.height() - 80);
    // The tree gets a quarter of the window, and room for a few levels of names.
    const int treeWidth = std::max(260, width() / 4);
    splitter->setSizes({treeWidth, std::max(100, width() - treeWidth)});

    openAgentsOfHome();
    if (m_store->tree().firstNode())
        m_tree->setCurrentIndex(m_model->indexOf(m_store->tree().firstNode()));
}

MainWindow::~MainWindow()
{
    // The view and the model refer to the store, which goes before the child widgets do.
    delete m_tree;
    delete m_model;
    m_store->setHost(nullptr);
    m_store->tree().setObserver(nullptr);
    m_store->closeAll();
}

void MainWindow::openAgentsOfHome()
{
    const QStringList files = QDir(m_home).entryList({QStringLiteral("*.gnx")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        QString error;
        if (!openAgent(*m_store, m_home + file, &error))
            m_env->logError(error);
    }
}

TreeNode* MainWindow::selectedNode() const
{
    const QModelIndex current = m_tree->currentIndex();
    return current.isValid() ? m_model->nodeOf(current) : nullptr;
}

void MainWindow::selectNode(TreeNode* node)
{
    m_tree->setCurrentIndex(m_model->indexOf(node));
}

void MainWindow::refreshNode(TreeNode* node)
{
    if (node)
        node->notifyChanged();
}

} // namespace glanix
