#include "ui/ElementTreeModel.h"

#include "agents/TreeCommands.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "ui/ElementIcons.h"
#include "views/ListViewModel.h"

#include <QFont>
#include <QMimeData>

namespace glanix {

ElementTreeModel::ElementTreeModel(ElementStore& store, ElementIcons& icons, QObject* parent)
    : QAbstractItemModel(parent)
    , m_store(store)
    , m_icons(icons)
{
    m_store.tree().addObserver(this);
}

ElementTreeModel::~ElementTreeModel()
{
    m_store.tree().removeObserver(this);
}

QModelIndex ElementTreeModel::indexOf(const TreeNode* node) const
{
    if (!node || node->isRoot())
        return {};
    return createIndex(node->row(), 0, const_cast<TreeNode*>(node));
}

QModelIndex ElementTreeModel::parentIndex(TreeNode* parent) const
{
    return indexOf(parent);
}

TreeNode* ElementTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : m_store.tree().root();
}

TElement* ElementTreeModel::elementOf(const QModelIndex& index) const
{
    return index.isValid() ? nodeOf(index)->element() : nullptr;
}

QModelIndex ElementTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || (parent.isValid() && parent.column() != 0))
        return {};
    TreeNode* child = nodeOf(parent)->child(row);
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex ElementTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    TreeNode* parent = nodeOf(child)->parent();
    return parent ? createIndex(parent->row(), 0, parent) : QModelIndex();
}

int ElementTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return nodeOf(parent)->childCount();
}

int ElementTreeModel::columnCount(const QModelIndex& /*parent*/) const
{
    return 1;
}

bool ElementTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant ElementTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    TreeNode* node = nodeOf(index);
    TElement* e = node->element();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->text();
    case Qt::DecorationRole:
        return e ? m_icons.icon(e->GetImageIndex(), node->stateMark()) : QVariant();
    case Qt::FontRole:
        if (node->bold()) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole:
        if (e && (e->isAddressOrPage() || e->isImage()))
            return e->GetURL() + u'\n' + e->StatusText();
        return {};
    case ElementRole:
        return QVariant::fromValue(static_cast<void*>(e));
    case StateMarkRole:
        return node->stateMark();
    case ImageIndexRole:
        return e ? e->GetImageIndex() : -1;
    default:
        return {};
    }
}

Qt::ItemFlags ElementTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const TElement* e = elementOf(index);
    const bool editable = m_renamer && e && TreeCommands::canRename(*e);
    const Qt::ItemFlags dnd = m_drop ? Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | dnd | (editable ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

QStringList ElementTreeModel::mimeTypes() const
{
    return {QString::fromLatin1(ListViewModel::DragFormat)};
}

QMimeData* ElementTreeModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(ListViewModel::DragFormat), "tree");
    return data;
}

bool ElementTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                       const QModelIndex& parent) const
{
    // Onto a node only, never between two.
    if (!m_drop || !data || row >= 0 || !parent.isValid())
        return false;
    const QByteArray source = data->data(QString::fromLatin1(ListViewModel::DragFormat));
    return !source.isEmpty() && m_drop(source, nodeOf(parent), false);
}

bool ElementTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                    const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    m_drop(data->data(QString::fromLatin1(ListViewModel::DragFormat)), nodeOf(parent), true);
    // The move is done: the view must not take any rows away itself.
    return false;
}

bool ElementTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TElement* e = elementOf(index);
    if (role != Qt::EditRole || !e || !m_renamer)
        return false;
    // The node's text follows the element's (normalised) name through the tree's own signals.
    return m_renamer(*e, value.toString());
}

bool ElementTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const TElement* e = elementOf(parent);
    return e && e->HasExt() && e->GetLoadedDepth() < 2;
}

void ElementTreeModel::fetchMore(const QModelIndex& parent)
{
    if (!elementOf(parent))
        return;
    if (m_changing == 0) {
        elementOf(parent)->LoadChildren(2);
        return;
    }
    // Asked from inside a change (a view answering rowsInserted): rows cannot be added
    // before that change is over.
    const QPersistentModelIndex later(parent);
    QMetaObject::invokeMethod(
        this,
        [this, later] {
            if (later.isValid())
                fetchMore(later);
        },
        Qt::QueuedConnection);
}

void ElementTreeModel::nodesAboutToBeInserted(TreeNode* parent, int first, int last)
{
    ++m_changing;
    beginInsertRows(parentIndex(parent), first, last);
}

void ElementTreeModel::nodesInserted(TreeNode* /*parent*/, int /*first*/, int /*last*/)
{
    endInsertRows();
    --m_changing;
}

void ElementTreeModel::nodesAboutToBeRemoved(TreeNode* parent, int first, int last)
{
    ++m_changing;
    beginRemoveRows(parentIndex(parent), first, last);
}

void ElementTreeModel::nodesRemoved(TreeNode* /*parent*/, int /*first*/, int /*last*/)
{
    endRemoveRows();
    --m_changing;
}

void ElementTreeModel::nodeAboutToBeMoved(TreeNode* from, int row, TreeNode* to, int destinationRow)
{
    ++m_changing;
    beginMoveRows(parentIndex(from), row, row, parentIndex(to), destinationRow);
}

void ElementTreeModel::nodeMoved(TreeNode* /*from*/, int /*row*/, TreeNode* /*to*/, int /*destinationRow*/)
{
    endMoveRows();
    --m_changing;
}

void ElementTreeModel::nodeChanged(TreeNode* node)
{
    const QModelIndex i = indexOf(node);
    ++m_changing;
    emit dataChanged(i, i);
    --m_changing;
}

} // namespace glanix
