#pragma once

#include "ui/TFormExt.h"
#include "views/ListViewModel.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

// "Vue liste": what a folder, an agent, a page or an image group holds, as a sortable table
// (ListViewModel), or rows handed in by a search or the identical-address command. In normal
// mode it follows the tree's selection unless "Verrouiller" is checked; its sort and column
// widths are kept per rank in ListView1, ListView2, ... (ListViewSearch1 and ListViewSpecial1
// for the other modes). A row tells the main window about its element; double-click or Enter
// selects it in the tree.
namespace glanix {

class SearchSession;

class TFormVueListe final : public TFormExt {
    Q_OBJECT

public:
    TFormVueListe(ViewWindows& list, ViewHost& host, ListViewModel::Mode mode = ListViewModel::Normal,
                  QWidget* parent = nullptr);
    ~TFormVueListe() override;

    void showElement(TElement* element) override;
    void refreshView() override;

    bool followsSelection() const override { return m_model->mode() == ListViewModel::Normal; }

    void savePlacement() override;
    void removeRowOf(TElement* element) override;
    void removeRowsOfAgent(TElement* agent) override;

    // A row for a search result (with its "Occurrences" text) or an identical address.
    void addRow(TElement* element, const QString& occurrences = {});
    // Search mode: its label, its rows as they come, "Suspendre"/"Reprendre", sorted at the end.
    void attachSearch(SearchSession* session);
    void setSearchLabel(const QString& text);
    // The main window's up and down commands while this view is active.
    void moveSelection(bool down);
    // "Remonter d'un dossier".
    void goUp();
    // A click on a column header: the same column toggles the order, another sorts ascending.
    void headerClicked(int column);
    // The count line ("12 éléments listés (1,50 Mo)") when this is the first view.
    void showCount();

    ListViewModel& model() const { return *m_model; }

    QTableView* table() const { return m_table; }

    QCheckBox* lockBox() const { return m_lock; }

    QCheckBox* foldersBox() const { return m_folders; }

    QCheckBox* allBox() const { return m_all; }

    QCheckBox* imagesBox() const { return m_images; }

    QToolButton* upButton() const { return m_up; }

    QPushButton* suspendButton() const { return m_suspend; }

    QLabel* searchLabel() const { return m_searchLabel; }

    int rank() const { return m_rank; }

    TElement* selectedElement() const;
    // The elements of every selected row, in the selection's order.
    QList<TElement*> selectedElements() const;
    // "&Renommer" while the list is active: the selected row's name is edited in place;
    // false when there is none or it keeps its name (agents, images).
    bool editSelectedName();

signals:
    // "Suspendre"/"Reprendre" pressed in search mode.
    void suspendToggled();

protected:
    void aboutToClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listElement(TElement* element);
    void refill();
    void boxToggled();
    void rowActivated(TElement* element);
    void loadSettings();
    void saveSettings();
    void updateSortIndicator();

    ListViewModel* m_model;
    QTableView* m_table;
    QWidget* m_boxes;
    QCheckBox* m_lock;
    QCheckBox* m_folders;
    QCheckBox* m_all;
    QCheckBox* m_images;
    QToolButton* m_up;
    QWidget* m_searchPanel;
    QLabel* m_searchLabel;
    QPushButton* m_suspend;
    QPointer<SearchSession> m_session;
    int m_rank = 1;
    bool m_saved = false;
};

} // namespace glanix
