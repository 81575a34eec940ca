#include "ui/SearchLauncher.h"

#include "config/Env.h"
#include "config/ViewPlacement.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "ui/TForm1.h"
#include "ui/TFormRecherche.h"
#include "ui/TFormVueListe.h"
#include "ui/TFormVueURL.h"
#include "views/SearchOptions.h"
#include "views/SearchSession.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>

namespace glanix {

namespace {

// The document view opened for a result goes below the results, which stay in front: the
// reader goes down the list and reads each page without moving a window.
void placeBelow(TFormExt* results, TFormExt* document)
{
    QMdiSubWindow* top = results->subWindow();
    QMdiSubWindow* bottom = document->subWindow();
    QMdiArea* area = top ? top->mdiArea() : nullptr;
    if (!area || !bottom || top->isMaximized() || bottom->isMaximized())
        return;
    const QRect room = area->viewport()->rect();
    const int split = room.height() * 2 / 5;
    top->setGeometry(0, 0, room.width(), split);
    bottom->setGeometry(0, split, room.width(), room.height() - split);
}

void showInDocumentView(MainController& controller, TFormVueListe* results, TElement* e)
{
    if (!e || !canShowIn(wtDocument, e, controller.Opt().Starting))
        return;
    ViewWindows& views = controller.views();
    if (ViewWindow* document = views.firstOfKind(wtDocument)) {
        if (document->element() != e)
            document->showElement(e);
        return;
    }
    auto* document = dynamic_cast<TFormExt*>(views.open(wtDocument, e));
    if (!document)
        return;
    placeBelow(results, document);
    results->bringToFront();
    results->table()->setFocus();
}

} // namespace

TFormVueListe* openSearchDialog(TForm1& window, ViewHost& host)
{
    MainController& controller = window.controller();
    TFormRecherche dialog(controller.env(), &window);
    QObject::connect(&dialog, &TFormRecherche::helpRequested, &window, &TForm1::helpRequested);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    TElement* selected = controller.currentElement();
    TreeNode* start = selected ? selected->Node() : controller.store().tree().firstNode();
    return start ? startSearch(window, host, start, dialog.settings()) : nullptr;
}

TFormVueListe* startSearch(TForm1& window, ViewHost& host, TreeNode* start, const SearchSettings& settings)
{
    MainController& controller = window.controller();
    if (settings.inPages) {
        const QString word = inPageWord(settings.query);
        if (TFormVueURL* document = window.activeDocumentView())
            document->searchField()->setText(word);
        else
            saveInPageSearchText(controller.env(), word);
    }

    QPointer<TFormVueListe> results;
    SearchSession* session = nullptr;
    try {
        results = new TFormVueListe(controller.views(), host, ListViewModel::Search);
        results->dock(window.mdiArea());
        controller.views().activated(results);
        session = new SearchSession(controller.store(), start, settings, results);
        results->attachSearch(session);
    } catch (...) {
        controller.env().logError(QStringLiteral("Pb dans TFormVueListe.Create"));
        if (results)
            results->closeWindow();
        return nullptr;
    }
    TFormVueListe* view = results;
    // A row the user selects, not the current row a table takes when it gets the focus. A click
    // moves the current row before selecting it, a key selects before moving it: both are heard.
    QItemSelectionModel* selection = view->table()->selectionModel();
    const auto follow = [&controller, view, selection] {
        const QModelIndex current = selection->currentIndex();
        if (current.isValid() && selection->isRowSelected(current.row()))
            showInDocumentView(controller, view, view->model().elementAt(current.row()));
    };
    QObject::connect(selection, &QItemSelectionModel::currentRowChanged, view, follow);
    QObject::connect(selection, &QItemSelectionModel::selectionChanged, view, follow);
    if (!session->start()) {
        view->closeWindow();
        return nullptr;
    }
    return view;
}

} // namespace glanix
