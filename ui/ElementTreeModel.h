#pragma once

#include "store/TreeNode.h"

#include <QAbstractItemModel>
#include <functional>

// The tree of open agents for a QTreeView. It mirrors the store's ElementTree: every
// notification of the tree becomes the matching begin/end call of the model, one to one.
// Reading is lazy: expanding a node reads its element's children two levels deep, so that
// every visible node already knows whether it has children of its own.
namespace glanix {

class ElementIcons;
class ElementStore;
class TElement;

class ElementTreeModel final : public QAbstractItemModel, private TreeObserver {
    Q_OBJECT

public:
    enum Role { ElementRole = Qt::UserRole + 1, StateMarkRole, ImageIndexRole };

    ElementTreeModel(ElementStore& store, ElementIcons& icons, QObject* parent = nullptr);
    ~ElementTreeModel() override;

    QModelIndex indexOf(const TreeNode* node) const;
    TreeNode* nodeOf(const QModelIndex& index) const;
    TElement* elementOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A node's text edited in place renames its element (agents, images and groups refuse).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void setRenamer(std::function<bool(TElement&, const QString&)> renamer)
    {
        m_renamer = std::move(renamer);
    }

    // Drag and drop: the tree's selected node, or a list view's rows, onto a node. The
    // handler works out what is dragged from the data's source and says whether it may land
    // (`apply` false) or moves it (`apply` true).
    using DropHandler = std::function<bool(const QByteArray& source, TreeNode* target, bool apply)>;

    void setDropHandler(DropHandler handler) { m_drop = std::move(handler); }

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }

    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    QModelIndex parentIndex(TreeNode* parent) const;
    void nodesAboutToBeInserted(TreeNode* parent, int first, int last) override;
    void nodesInserted(TreeNode* parent, int first, int last) override;
    void nodesAboutToBeRemoved(TreeNode* parent, int first, int last) override;
    void nodesRemoved(TreeNode* parent, int first, int last) override;
    void nodeAboutToBeMoved(TreeNode* from, int row, TreeNode* to, int destinationRow) override;
    void nodeMoved(TreeNode* from, int row, TreeNode* to, int destinationRow) override;
    void nodeChanged(TreeNode* node) override;

    ElementStore& m_store;
    ElementIcons& m_icons;
    std::function<bool(TElement&, const QString&)> m_renamer;
    DropHandler m_drop;
    // Depth of begin/end pairs under way, their signals included.
    int m_changing = 0;
};

} // namespace glanix
