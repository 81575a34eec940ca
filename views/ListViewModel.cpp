#include "views/ListViewModel.h"

#include "config/FrenchText.h"
#include "store/ElementStore.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace glanix {

namespace {

const QString kDateFormat = QStringLiteral("dd/MM/yy hh:mm");

// "dd/MM/yy hh:mm" as frenchDate writes it, without going through a locale and a time zone
// for every row: the stored value's own day and time of day.
QString shortDate(TDateTime days)
{
    if (!(days > 0))
        return {};
    if (!std::isfinite(days) || days > 3.0e6)
        return frenchDate(days, kDateFormat);
    double whole = std::floor(days);
    qint64 ms = std::llround((days - whole) * 86400000.0);
    if (ms >= 86400000) {
        whole += 1;
        ms = 0;
    }
    const QDate date = QDate::fromJulianDay(static_cast<qint64>(whole) + 2415019);
    const int minutes = static_cast<int>(ms / 60000);
    const int parts[5] = {date.day(), date.month(), date.year() % 100, minutes / 60, minutes % 60};
    const char separators[5] = {'/', '/', ' ', ':', 0};
    QString text;
    text.reserve(14);
    for (int i = 0; i < 5; ++i) {
        const int v = parts[i] < 0 ? -parts[i] : parts[i];
        text += QChar(u'0' + v / 10 % 10);
        text += QChar(u'0' + v % 10);
        if (separators[i])
            text += QChar(QLatin1Char(separators[i]));
    }
    return text;
}

int sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

template<typename T> int order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Everything below `top`, `top` included, depth first.
template<typename Visit> void visitSubtree(TreeNode* top, Visit visit)
{
    std::vector<TreeNode*> stack {top};
    while (!stack.empty()) {
        TreeNode* n = stack.back();
        stack.pop_back();
        visit(n);
        for (int i = n->childCount() - 1; i >= 0; --i)
            stack.push_back(n->child(i));
    }
}

} // namespace

ListViewModel::ListViewModel(ElementStore& store, Mode mode, QObject* parent)
    : QAbstractTableModel(parent)
    , m_store(store)
    , m_mode(mode)
    , m_pump([] { QCoreApplication::processEvents(); })
{
    m_store.tree().addObserver(this);
}

ListViewModel::~ListViewModel()
{
    detach();
}

void ListViewModel::detach()
{
    if (m_detached)
        return;
    m_detached = true;
    m_store.tree().removeObserver(this);
    clear();
    m_listed = nullptr;
}

QString ListViewModel::columnTitle(int column)
{
    switch (column) {
    case Name:
        return tr("Nom");
    case Type:
        return tr("Type");
    case Modified:
        return tr("Modifié");
    case Downloaded:
        return tr("Téléchargé");
    case Verified:
        return tr("Vérifié");
    case Size:
        return tr("Taille");
    case Url:
        return tr("URL");
    case Status:
        return tr("Etat", "download status");
    case Location:
        return tr("Emplacement");
    case Occurrences:
        return tr("Occurrences");
    default:
        return {};
    }
}

int ListViewModel::defaultWidth(int column)
{
    static const int widths[ColumnCount + 1] = {150, 80, 100, 100, 100, 80, 150, 100, 600, 80};
    return column >= 0 && column <= ColumnCount ? widths[column] : 100;
}

Qt::Alignment ListViewModel::alignment(int column)
{
    switch (column) {
    case Type:
    case Modified:
    case Downloaded:
    case Verified:
        return Qt::AlignHCenter;
    case Size:
    case Occurrences:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

QString ListViewModel::locationOf(TElement* e) const
{
    const bool toAgent = m_mode == Search || !m_listed;
    QStringList parts;
    if (TreeNode* node = e->Node()) {
        for (TreeNode* p = node->parent(); p && !p->isRoot(); p = p->parent()) {
            TElement* pe = p->element();
            if (!pe || pe->Kind == kindRoot || (!toAgent && pe == m_listed))
                break;
            parts.prepend(pe->GetName());
            if (pe->Kind == kindAgent)
                break;
        }
        return parts.join(u'\\');
    }
    // An image with no node (images hidden in the tree): its path as the tree would show it.
    const QString path = e->TreePath();
    const qsizetype cut = path.lastIndexOf(u'\\');
    return cut < 0 ? QString() : path.left(cut);
}

ListViewModel::Row ListViewModel::makeRow(TElement* e) const
{
    Row r;
    r.element = e;
    r.text[Name] = e->GetName();
    r.text[Type] = e->ContentType;
    if (e->LastModified > 0) {
        const QChar mark = e->LastModified == e->DateDownloaded ? u'*' : u' ';
        r.text[Modified] = mark + shortDate(e->LastModified);
    }
    r.text[Downloaded] = shortDate(e->DateDownloaded);
    r.text[Verified] = shortDate(e->LastVerified);
    if (e->Size >= 1)
        r.text[Size] = QString::number(e->Size);
    r.text[Url] = e->GetURL();
    if (e->StatusNumber != 0)
        r.text[Status] = StatusText(e->StatusNumber);
    if (m_withLocation)
        r.text[Location] = locationOf(e);
    r.modified = e->LastModified;
    r.downloaded = e->DateDownloaded;
    r.verified = e->LastVerified;
    r.size = e->Size >= 1 ? e->Size : 0;
    r.statusKey = r.text[Status].toUpper();
    r.locationKey = r.text[Location].toUpper();
    r.folder = e->Kind == kindFolder;
    r.imageIndex = e->GetImageIndex();
    r.stateMark = e->Node() ? e->Node()->stateMark() : e->stateMarkFor();
    return r;
}

void ListViewModel::clear()
{
    ++m_serial;
    m_pending.clear();
    m_cursor = nullptr;
    if (!m_rows.empty()) {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }
    m_present.clear();
    m_totalSize = 0;
}

void ListViewModel::flushPending()
{
    if (m_pending.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(m_pending.size()) - 1);
    for (Row& r : m_pending) {
        m_present[r.element] += 1;
        m_totalSize += r.size;
        m_rows.push_back(std::move(r));
    }
    m_pending.clear();
    endInsertRows();
}

bool ListViewModel::fill(TElement* listed, const Filter& filter)
{
    if (m_detached)
        return false;
    clear();
    const quint64 serial = m_serial;
    m_listed = listed;
    m_withLocation = filter.allContent || m_mode == Search;
    m_fillBroken = false;
    if (!listed || !listed->Node())
        return true;
    listed->LoadChildren(filter.allContent ? 1000 : 1);
    TreeNode* top = listed->Node();
    if (!top) // reading the children found the element gone
        return true;
    const int topLevel = top->level();
    const bool imageGroup = listed->Kind == kindImageGroup;
    int added = 0;
    for (TreeNode* node = top->firstChild(); node;) {
        m_cursor = node;
        TElement* e = node->element();
        if (e && e->Kind >= kindFolder && e->Kind <= kindImage) {
            const bool skip = (e->Kind == kindFolder && !filter.folders)
                || (e->Kind == kindImage && !filter.images && !imageGroup);
            if (!skip) {
                m_pending.push_back(makeRow(e));
                ++added;
            }
        }
        if (added % 100 == 0) {
            flushPending();
            m_pump();
            if (m_serial != serial)
                return false;
            if (m_fillBroken) {
                m_cursor = nullptr;
                sortRows(m_sortColumn, m_ascending);
                return false;
            }
        }
        if (filter.allContent) {
            node = node->next();
            if (node && node->level() <= topLevel)
                node = nullptr;
        } else {
            node = node->nextSibling();
        }
    }
    m_cursor = nullptr;
    flushPending();
    sortRows(m_sortColumn, m_ascending);
    return true;
}

void ListViewModel::addRow(TElement* element, const QString& occurrences)
{
    if (!element || m_detached)
        return;
    m_withLocation = m_mode != Normal || m_withLocation;
    Row r = makeRow(element);
    r.occurrences = occurrences;
    r.score = occurrences.trimmed().toInt();
    m_pending.push_back(std::move(r));
    flushPending();
}

int ListViewModel::compare(const Row& a, const Row& b, int column, bool ascending)
{
    int r = 0;
    switch (column) {
    case Name:
    case Type:
    case Url:
        r = sign(QString::compare(a.text[column], b.text[column], Qt::CaseSensitive));
        break;
    case Modified:
        r = order(a.modified, b.modified);
        break;
    case Downloaded:
        r = order(a.downloaded, b.downloaded);
        break;
    case Verified:
        r = order(a.verified, b.verified);
        break;
    case Size:
        r = order(a.size, b.size);
        break;
    case Status:
        r = sign(QString::compare(a.statusKey, b.statusKey, Qt::CaseSensitive));
        break;
    case Location:
        r = sign(QString::compare(a.locationKey, b.locationKey, Qt::CaseSensitive));
        break;
    case Occurrences:
        r = order(a.score, b.score);
        break;
    default:
        break;
    }
    if (!ascending)
        r = -r;
    if (a.folder != b.folder)
        return a.folder ? -1 : 1;
    return r;
}

void ListViewModel::sortRows(int column, bool ascending)
{
    if (column < 0 || column >= columnCount())
        column = Modified;
    m_sortColumn = column;
    m_ascending = ascending;
    if (m_rows.size() < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> byOrder(m_rows.size());
    std::iota(byOrder.begin(), byOrder.end(), 0);
    std::stable_sort(byOrder.begin(), byOrder.end(), [&](int a, int b) {
        return compare(m_rows[static_cast<size_t>(a)], m_rows[static_cast<size_t>(b)], column, ascending) < 0;
    });
    std::deque<Row> sorted;
    std::vector<int> newRow(m_rows.size());
    for (size_t i = 0; i < byOrder.size(); ++i) {
        newRow[static_cast<size_t>(byOrder[i])] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[static_cast<size_t>(byOrder[i])]));
    }
    m_rows = std::move(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from)
        to << index(newRow[static_cast<size_t>(i.row())], i.column());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListViewModel::removeWhere(const std::function<bool(const Row&)>& doomed)
{
    std::erase_if(m_pending, doomed);
    // From the end, one run of neighbouring rows at a time.
    int r = static_cast<int>(m_rows.size()) - 1;
    while (r >= 0) {
        if (!doomed(m_rows[static_cast<size_t>(r)])) {
            --r;
            continue;
        }
        int first = r;
        while (first > 0 && doomed(m_rows[static_cast<size_t>(first - 1)]))
            --first;
        beginRemoveRows({}, first, r);
        for (int i = first; i <= r; ++i) {
            const Row& row = m_rows[static_cast<size_t>(i)];
            m_totalSize -= row.size;
            if (--m_present[row.element] <= 0)
                m_present.remove(row.element);
        }
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + r + 1);
        endRemoveRows();
        r = first - 1;
    }
}

void ListViewModel::removeRowOf(TElement* element)
{
    if (!element || (!m_present.contains(element) && m_pending.empty()))
        return;
    removeWhere([element](const Row& r) { return r.element == element; });
}

void ListViewModel::removeRowsOfAgent(TElement* agent)
{
    if (!agent)
        return;
    removeWhere([agent](const Row& r) { return r.element->GetAgent() == agent; });
}

void ListViewModel::nodesAboutToBeRemoved(TreeNode* parent, int first, int last)
{
    TreeNode* listedNode = m_listed ? m_listed->Node() : nullptr;
    for (int i = first; i <= last; ++i) {
        TreeNode* top = parent->child(i);
        if (!top)
            continue;
        if (m_cursor && (m_cursor == top || top->isAncestorOf(m_cursor))) {
            m_fillBroken = true;
            m_cursor = nullptr;
        }
        if (listedNode && (listedNode == top || top->isAncestorOf(listedNode))) {
            // What was listed is going: nothing is listed any more.
            clear();
            m_listed = nullptr;
            listedNode = nullptr;
            emit listedGone();
            if (m_mode == Normal)
                continue;
        }
        if (m_present.isEmpty() && m_pending.empty())
            continue;
        // Elements owned by the nodes go with them; images, owned by their page, stay.
        QSet<const TElement*> going;
        visitSubtree(top, [&](TreeNode* n) {
            if (n->element() && n->ownsElement())
                going.insert(n->element());
        });
        if (!going.isEmpty())
            removeWhere([&going](const Row& r) { return going.contains(r.element); });
    }
}

TElement* ListViewModel::elementAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].element : nullptr;
}

int ListViewModel::rowOf(const TElement* element) const
{
    if (!m_present.contains(element))
        return -1;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].element == element)
            return static_cast<int>(i);
    }
    return -1;
}

QString ListViewModel::countText() const
{
    const int n = rowCount();
    return QString::number(n) + (n == 1 ? tr(" élément listé (") : tr(" éléments listés ("))
        + SizeText(m_totalSize) + u')';
}

int ListViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ListViewModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_mode == Search ? ColumnCount + 1 : ColumnCount;
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const Row& r = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == Occurrences ? r.occurrences : r.text[index.column()];
    case Qt::TextAlignmentRole:
        return static_cast<int>(alignment(index.column()) | Qt::AlignVCenter);
    case Qt::DecorationRole:
        return index.column() == Name && m_decoration ? m_decoration(r.imageIndex, r.stateMark) : QVariant();
    case ElementRole:
        return QVariant::fromValue(static_cast<void*>(r.element));
    case ImageIndexRole:
        return r.imageIndex;
    case StateMarkRole:
        return r.stateMark;
    default:
        return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return columnTitle(section);
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(alignment(section) | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags
        = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    const TElement* e = elementAt(index.row());
    if (index.column() == Name && e && m_canRename && m_canRename(*e))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool ListViewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TElement* e = index.isValid() ? elementAt(index.row()) : nullptr;
    if (role != Qt::EditRole || index.column() != Name || !e || !m_rename || !m_rename(*e, value.toString()))
        return false;
    // The row shows the name the element took (normalised, made unique).
    m_rows[static_cast<size_t>(index.row())].text[Name] = e->GetName();
    emit dataChanged(index, index);
    return true;
}

QStringList ListViewModel::mimeTypes() const
{
    return {QString::fromLatin1(DragFormat)};
}

QMimeData* ListViewModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(DragFormat), "list");
    return data;
}

} // namespace glanix
