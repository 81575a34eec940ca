#pragma once

#include "store/ElementStore.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

class QMdiArea;
class QTreeView;

// The main window: the tree of open agents on the left, view windows on the right. It owns
// the program's element store and answers what the store asks of the window (the selected
// node, refreshing a node's look).
namespace glanix {

class ElementIcons;
class ElementTreeModel;
class Env;

class MainWindow final : public QMainWindow, private StoreHost {
    Q_OBJECT

public:
    MainWindow(const QString& home, const QStringList& arguments, QWidget* parent = nullptr);
    ~MainWindow() override;

    ElementStore& store() { return *m_store; }

    ElementTreeModel& treeModel() { return *m_model; }

    QTreeView* treeView() const { return m_tree; }

private:
    // Opens every agent file of the home, in name order.
    void openAgentsOfHome();

    TreeNode* selectedNode() const override;
    void selectNode(TreeNode* node) override;
    void refreshNode(TreeNode* node) override;

    QString m_home;
    std::unique_ptr<Env> m_env;
    std::unique_ptr<ElementStore> m_store;
    std::unique_ptr<ElementIcons> m_icons;
    ElementTreeModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QMdiArea* m_views = nullptr;
};

} // namespace glanix
