#pragma once

#include "config/DateTime.h"
#include "store/TreeNode.h"

#include <QAbstractTableModel>
#include <QHash>
#include <deque>
#include <functional>
#include <vector>

// The rows of a list view: the contents of one listed element (its children, or everything
// below it), or rows handed in one by one by a search or by the identical-address command.
// Each row's texts and sort keys are taken from the element when the row is added, so that
// showing and sorting never read a file. The model follows the tree: a row whose element goes
// with its node leaves the table, and the listed element going leaves the table listing
// nothing. Widget-free; the list view window and glanix-cli sit on it.
namespace glanix {

class ElementStore;
class TElement;

class ListViewModel final : public QAbstractTableModel, private TreeObserver {
    Q_OBJECT

public:
    enum Mode { Normal = 0, Special = 1, Search = 2 };

    enum Column { Name, Type, Modified, Downloaded, Verified, Size, Url, Status, Location, ColumnCount };

    // A search list has a tenth column after these.
    enum { Occurrences = ColumnCount };

    enum Role { ElementRole = Qt::UserRole + 1, ImageIndexRole, StateMarkRole };

    // Rows dragged out of a list or nodes out of the tree; the data names the source
    // ("list" or "tree"), whose selection is what is dragged.
    static constexpr const char* DragFormat = "application/x-glanix-elements";

    struct Row {
        TElement* element = nullptr;
        QString text[ColumnCount];
        // Sort keys: the dates as stored, the size as its text reads, the last two upper-cased.
        TDateTime modified = 0;
        TDateTime downloaded = 0;
        TDateTime verified = 0;
        qint64 size = 0;
        QString statusKey;
        QString locationKey;
        QString occurrences; // a search's score, as the column shows it
        int score = 0;
        bool folder = false;
        int imageIndex = 0;
        int stateMark = -1;
    };

    struct Filter {
        bool folders = true; // "Dossiers"
        bool allContent = false; // "Tout le contenu"
        bool images = false; // "Images"
    };

    explicit ListViewModel(ElementStore& store, Mode mode = Normal, QObject* parent = nullptr);
    ~ListViewModel() override;

    Mode mode() const { return m_mode; }

    TElement* listed() const { return m_listed; }

    // Lists the element's contents by the filter, letting events run as it goes (see
    // setEventPump), then sorts. False when a newer fill, or the listed element going, cut
    // this one short.
    bool fill(TElement* listed, const Filter& filter);
    // Appends one row now (search results, the identical-address list); not sorted.
    void addRow(TElement* element, const QString& occurrences = {});
    void clear();
    // Stops following the tree and lets go of every element (a closing window: it may be freed
    // after the store).
    void detach();

    // `column` 0 to 8 (9 in a search list); `ascending` false is the order 0. Folders come
    // first either way.
    void sortRows(int column, bool ascending);

    int sortColumn() const { return m_sortColumn; }

    bool ascending() const { return m_ascending; }

    void removeRowOf(TElement* element);
    void removeRowsOfAgent(TElement* agent);

    TElement* elementAt(int row) const;
    int rowOf(const TElement* element) const;

    const Row& row(int r) const { return m_rows[static_cast<size_t>(r)]; }

    qint64 totalSize() const { return m_totalSize; }

    // "12 éléments listés (1,50 Mo)".
    QString countText() const;

    // The headers' texts, default widths and alignments.
    static QString columnTitle(int column);
    static int defaultWidth(int column);
    static Qt::Alignment alignment(int column);

    // Runs pending events during a fill; QCoreApplication::processEvents unless set.
    void setEventPump(std::function<void()> pump) { m_pump = std::move(pump); }

    // The row icon from its icon number and state mark (set by the window; none headless).
    void setDecoration(std::function<QVariant(int, int)> decoration) { m_decoration = std::move(decoration); }

    // A row's name edited in place renames its element; `canRename` says which may be.
    void setRenamer(std::function<bool(const TElement&)> canRename,
                    std::function<bool(TElement&, const QString&)> rename)
    {
        m_canRename = std::move(canRename);
        m_rename = std::move(rename);
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The three-step comparison of two rows: -1, 0 or 1.
    static int compare(const Row& a, const Row& b, int column, bool ascending);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

signals:
    // The listed element's node went away: nothing is listed any more.
    void listedGone();

private:
    Row makeRow(TElement* e) const;
    QString locationOf(TElement* e) const;
    void flushPending();
    void removeWhere(const std::function<bool(const Row&)>& doomed);

    void nodesAboutToBeRemoved(TreeNode* parent, int first, int last) override;

    std::function<bool(const TElement&)> m_canRename;
    std::function<bool(TElement&, const QString&)> m_rename;
    ElementStore& m_store;
    Mode m_mode;
    TElement* m_listed = nullptr;
    std::deque<Row> m_rows; // grows without moving the rows it holds
    std::vector<Row> m_pending; // rows found by the fill, shown at its next pause
    QHash<const TElement*, int> m_present; // how many rows each element has
    qint64 m_totalSize = 0;
    int m_sortColumn = 2;
    bool m_ascending = false;
    // A fill in progress: its serial (a newer fill or a clear changes it) and where it walks.
    quint64 m_serial = 0;
    TreeNode* m_cursor = nullptr;
    bool m_fillBroken = false;
    bool m_detached = false;
    bool m_withLocation = false; // "Emplacement" is filled
    std::function<void()> m_pump;
    std::function<QVariant(int, int)> m_decoration;
};

} // namespace glanix
