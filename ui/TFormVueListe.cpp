#include "ui/TFormVueListe.h"

#include "agents/MainController.h"
#include "agents/TreeCommands.h"
#include "config/ViewPlacement.h"
#include "store/TElement.h"
#include "ui/ElementIcons.h"
#include "views/SearchSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace glanix {

namespace {

ViewKind settingsKind(ListViewModel::Mode mode)
{
    switch (mode) {
    case ListViewModel::Special:
        return ViewKind::ListSpecial;
    case ListViewModel::Search:
        return ViewKind::ListSearch;
    default:
        return ViewKind::List;
    }
}

// The hourglass while a long fill runs.
struct WaitCursor {
    bool on;

    explicit WaitCursor(bool show)
        : on(show)
    {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }

    ~WaitCursor()
    {
        if (on)
            QApplication::restoreOverrideCursor();
    }
};

} // namespace

TFormVueListe::TFormVueListe(ViewWindows& list, ViewHost& host, ListViewModel::Mode mode, QWidget* parent)
    : TFormExt(wtList, list, host, parent)
    , m_model(new ListViewModel(host.controller().store(), mode, this))
    , m_table(new QTableView(this))
    , m_boxes(new QWidget(this))
    , m_lock(new QCheckBox(tr("Verrouiller"), m_boxes))
    , m_folders(new QCheckBox(tr("Dossiers"), m_boxes))
    , m_all(new QCheckBox(tr("Tout le contenu"), m_boxes))
    , m_images(new QCheckBox(tr("Images"), m_boxes))
    , m_up(new QToolButton(m_boxes))
    , m_searchPanel(new QWidget(this))
    , m_searchLabel(new QLabel(m_searchPanel))
    , m_suspend(new QPushButton(tr("Suspendre"), m_searchPanel))
{
    setObjectName(QStringLiteral("TFormVueListe"));
    setWindowTitle(tr("Vue liste"));
    // The rank counts the list views open with this one (it is not in the list yet).
    m_rank = 1;
    for (ViewWindow* w : list.list()) {
        if (w->kind() == wtList && w != this)
            ++m_rank;
    }

    if (const ElementIcons* icons = host.elementIcons())
        m_model->setDecoration([icons](int index, int mark) { return QVariant(icons->icon(index, mark)); });
    connect(m_model, &ListViewModel::listedGone, this, [this] {
        Element = nullptr;
        setWindowTitle(tr("Vue liste"));
    });

    m_table->setObjectName(QStringLiteral("ListView"));
    m_table->setModel(m_model);
    MainController& controller = host.controller();
    m_model->setRenamer(&TreeCommands::canRename, [&controller](TElement& e, const QString& name) {
        return TreeCommands(controller.store(), controller.prompt()).rename(e, name);
    });
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setDragEnabled(true);
    m_table->setDragDropMode(QAbstractItemView::DragOnly);
    m_table->setMouseTracking(true);
    m_table->verticalHeader()->hide();
    // Rows of one height: a table of a hundred thousand rows scrolls without measuring any.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    // The score beside the name, where it is read, not past the long "Emplacement".
    if (mode == ListViewModel::Search)
        header->moveSection(ListViewModel::Occurrences, ListViewModel::Type);
    connect(header, &QHeaderView::sectionClicked, this, &TFormVueListe::headerClicked);
    m_table->installEventFilter(this);
    m_table->viewport()->installEventFilter(this);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (TElement* e = m_model->elementAt(current.row()))
                    this->host().showElementStatus(e, false);
            });
    connect(m_table, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { rowActivated(m_model->elementAt(index.row())); });

    m_up->setObjectName(QStringLiteral("BtnUp"));
    m_up->setText(tr("Remonter d'un dossier"));
    m_up->setToolTip(tr("Remonter d'un dossier"));
    m_up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    m_up->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(m_up, &QToolButton::clicked, this, &TFormVueListe::goUp);
    m_folders->setChecked(true);
    if (mode == ListViewModel::Special) {
        m_lock->setChecked(true);
        m_all->setChecked(true);
        m_folders->setChecked(false);
    }
    auto* boxes = new QHBoxLayout(m_boxes);
    boxes->setContentsMargins(6, 2, 6, 2);
    boxes->addWidget(m_up);
    for (QCheckBox* b : {m_lock, m_folders, m_all, m_images})
        boxes->addWidget(b);
    boxes->addStretch(1);
    connect(m_folders, &QCheckBox::toggled, this, &TFormVueListe::boxToggled);
    connect(m_all, &QCheckBox::toggled, this, &TFormVueListe::boxToggled);
    connect(m_images, &QCheckBox::toggled, this, &TFormVueListe::boxToggled);
    connect(m_lock, &QCheckBox::toggled, this, [this](bool locked) {
        if (!locked && m_model->mode() == ListViewModel::Normal)
            showElement(this->host().controller().currentElement());
    });

    m_searchLabel->setObjectName(QStringLiteral("LabelSearch"));
    m_suspend->setObjectName(QStringLiteral("BtnSuspend"));
    auto* search = new QHBoxLayout(m_searchPanel);
    search->setContentsMargins(6, 2, 6, 2);
    search->addWidget(m_searchLabel, 1);
    search->addWidget(m_suspend);
    connect(m_suspend, &QPushButton::clicked, this, [this] {
        if (m_session) {
            m_session->toggleSuspended();
            m_suspend->setText(m_session->suspendButtonText());
        } else {
            m_suspend->setText(m_suspend->text() == tr("Suspendre") ? tr("Reprendre") : tr("Suspendre"));
        }
        emit suspendToggled();
    });
    m_boxes->setVisible(mode != ListViewModel::Search);
    m_searchPanel->setVisible(mode == ListViewModel::Search);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_boxes);
    layout->addWidget(m_searchPanel);
    layout->addWidget(m_table, 1);
    loadSettings();
}

TFormVueListe::~TFormVueListe()
{
    // The model goes before the table: nothing may reach it on the way out.
    m_table->removeEventFilter(this);
    m_table->viewport()->removeEventFilter(this);
    disconnect(m_table->selectionModel(), nullptr, this, nullptr);
}

void TFormVueListe::loadSettings()
{
    const int columns = m_model->columnCount();
    ViewPlacement current;
    for (int c = 0; c < columns; ++c)
        current.columnWidths << 0;
    const ViewPlacement p
        = loadViewPlacement(host().controller().env(), settingsKind(m_model->mode()), m_rank, false, current);
    // A date with its mark must fit in its column at the user's font size.
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("*00/00/00 00:00")) + 16;
    for (int c = 0; c < columns; ++c) {
        const int width = c < p.columnWidths.size() ? p.columnWidths[c] : 0;
        int fallback = ListViewModel::defaultWidth(c);
        if (c >= ListViewModel::Modified && c <= ListViewModel::Verified)
            fallback = std::max(fallback, dateWidth);
        m_table->setColumnWidth(c, width > 0 ? width : fallback);
    }
    const int column = p.lastSort >= 0 && p.lastSort < columns ? p.lastSort : 2;
    m_model->sortRows(column, p.lastSortOrder == 1);
    updateSortIndicator();
}

void TFormVueListe::saveSettings()
{
    ViewPlacement p;
    p.lastSort = m_model->sortColumn();
    p.lastSortOrder = m_model->ascending() ? 1 : 0;
    for (int c = 0; c < m_model->columnCount(); ++c)
        p.columnWidths << m_table->columnWidth(c);
    saveViewPlacement(host().controller().env(), settingsKind(m_model->mode()), m_rank, p, false);
}

void TFormVueListe::savePlacement()
{
    saveSettings();
}

void TFormVueListe::aboutToClose()
{
    if (m_session)
        m_session->stop();
    saveSettings();
    // The window is freed later, maybe after the store: it lets go of the tree now.
    m_model->detach();
    Element = nullptr;
}

void TFormVueListe::updateSortIndicator()
{
    m_table->horizontalHeader()->setSortIndicator(
        m_model->sortColumn(), m_model->ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TFormVueListe::showElement(TElement* element)
{
    if (!element || element == Element || m_model->mode() != ListViewModel::Normal)
        return;
    if (Element && m_lock->isChecked())
        return;
    listElement(element);
}

void TFormVueListe::listElement(TElement* element)
{
    Element = element;
    setWindowTitle(element->GetName());
    refill();
}

void TFormVueListe::refreshView()
{
    if (m_model->mode() == ListViewModel::Normal)
        refill();
}

void TFormVueListe::refill()
{
    if (!Element)
        return;
    const ListViewModel::Filter filter {m_folders->isChecked(), m_all->isChecked(), m_images->isChecked()};
    QPointer<TFormVueListe> self(this);
    bool done = false;
    {
        WaitCursor wait(filter.allContent);
        done = m_model->fill(Element, filter);
    }
    if (!self || !done)
        return;
    showCount();
}

void TFormVueListe::showCount()
{
    if (list().count() > 0 && list().at(0) == this)
        host().setStatusPanel(0, m_model->countText());
}

void TFormVueListe::boxToggled()
{
    if (m_model->mode() != ListViewModel::Normal || !Element || Element->Kind == kindImageGroup)
        return;
    refill();
}

void TFormVueListe::addRow(TElement* element, const QString& occurrences)
{
    m_model->addRow(element, occurrences);
}

void TFormVueListe::removeRowOf(TElement* element)
{
    m_model->removeRowOf(element);
}

void TFormVueListe::removeRowsOfAgent(TElement* agent)
{
    m_model->removeRowsOfAgent(agent);
}

void TFormVueListe::setSearchLabel(const QString& text)
{
    m_searchLabel->setText(text);
    // The whole description, when the window is too narrow for it.
    m_searchLabel->setToolTip(text);
}

void TFormVueListe::attachSearch(SearchSession* session)
{
    m_session = session;
    if (!session)
        return;
    setSearchLabel(session->label());
    m_suspend->setText(session->suspendButtonText());
    if (!session->caption().isEmpty())
        setWindowTitle(session->caption());
    connect(session, &SearchSession::captionChanged, this, &QWidget::setWindowTitle);
    connect(session, &SearchSession::resultAdded, this, &TFormVueListe::addRow);
    connect(session, &SearchSession::finished, this, [this] {
        m_model->sortRows(m_model->sortColumn(), m_model->ascending());
        m_suspend->hide();
        showCount();
    });
}

void TFormVueListe::headerClicked(int column)
{
    const bool ascending = column == m_model->sortColumn() ? !m_model->ascending() : true;
    m_model->sortRows(column, ascending);
    updateSortIndicator();
}

void TFormVueListe::goUp()
{
    if (!Element || Element->Kind == kindAgent || !Element->Parent() || Element->Parent()->Kind == kindRoot)
        return;
    listElement(Element->Parent());
}

TElement* TFormVueListe::selectedElement() const
{
    return m_model->elementAt(m_table->currentIndex().row());
}

QList<TElement*> TFormVueListe::selectedElements() const
{
    QList<TElement*> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        if (TElement* e = m_model->elementAt(index.row()))
            rows << e;
    }
    return rows;
}

void TFormVueListe::moveSelection(bool down)
{
    const int count = m_model->rowCount();
    if (count == 0)
        return;
    const int current = m_table->selectionModel()->hasSelection() ? m_table->currentIndex().row() : -1;
    int row = current < 0 ? count - 1 : current + (down ? 1 : -1);
    row = std::clamp(row, 0, count - 1);
    m_table->setCurrentIndex(m_model->index(row, 0));
    m_table->scrollTo(m_model->index(row, 0));
}

void TFormVueListe::rowActivated(TElement* element)
{
    if (element)
        host().selectElement(element);
}

bool TFormVueListe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Enter in a name being edited ends the edit; it comes here when the editor lets it go.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && QApplication::focusWidget() == m_table) {
            rowActivated(selectedElement());
            return true;
        }
    } else if (watched == m_table->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            const QModelIndex index
                = m_table->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            TElement* e = index.isValid() ? m_model->elementAt(index.row()) : Element;
            if (e)
                host().showElementStatus(e, false);
        } else if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                // The row under the mouse is the one the pop-up is about.
                const QModelIndex index = m_table->indexAt(mouse->position().toPoint());
                if (index.isValid())
                    m_table->setCurrentIndex(index);
                return true;
            }
        }
    }
    return TFormExt::eventFilter(watched, event);
}

bool TFormVueListe::editSelectedName()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return false;
    const QModelIndex name = m_model->index(current.row(), ListViewModel::Name);
    if (!(m_model->flags(name) & Qt::ItemIsEditable))
        return false;
    m_table->setFocus();
    m_table->edit(name);
    return true;
}

} // namespace glanix
