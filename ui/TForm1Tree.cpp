// The main window's tree operations: drag and drop, the list view's selected rows as the
// target of delete and marking, up and down, fetching a page's images or links, double-click
// and the diagnosis entry "Réinitialiser".
#include "agents/LinkedPages.h"
#include "agents/NewAgent.h"
#include "config/Env.h"
#include "config/UserPrompt.h"
#include "engine/DownloadControl.h"
#include "store/PageAnalysis.h"
#include "store/TElement.h"
#include "store/TreeNode.h"
#include "ui/ElementTreeModel.h"
#include "ui/NewAddressWizard.h"
#include "ui/StatusBars.h"
#include "ui/TForm1.h"
#include "ui/TFormVueListe.h"
#include "ui/TFormVueURL.h"
#include "views/OutsideOpening.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QTableView>
#include <QTreeView>

namespace glanix {

void TForm1::connectTreeOperations()
{
    const MainActions& a = m_actions;
    m_tree->setDragEnabled(true);
    m_tree->setAcceptDrops(true);
    m_tree->setDropIndicatorShown(true);
    m_tree->setDragDropMode(QAbstractItemView::DragDrop);
    // A drop lands on a node, never between two.
    m_tree->setDragDropOverwriteMode(true);
    m_model->setDropHandler([this](const QByteArray& source, TreeNode* target, bool apply) {
        return dropOnTree(source, target, apply);
    });
    connect(m_tree, &QAbstractItemView::doubleClicked, this, &TForm1::treeDoubleClicked);
    connect(a.auDessus, &QAction::triggered, this, [this] { moveUpDown(false); });
    connect(a.enDessous, &QAction::triggered, this, [this] { moveUpDown(true); });
    connect(a.nouveauSite, &QAction::triggered, this, [this] {
        TElement* current = m_controller->currentElement();
        if (!current || !current->HasExt() || current->Kind == kindRoot)
            return;
        NewAddressWizard wizard(*current, this);
        if (wizard.exec() != QDialog::Accepted)
            return;
        if (TElement* e = addAddress(*current, wizard.address())) {
            selectNode(e->Node());
            m_tree->setFocus();
        }
    });
    connect(a.recupererImages, &QAction::triggered, this, [this] { fetchFromPage(true); });
    connect(a.recupererLiens, &QAction::triggered, this, [this] { fetchFromPage(false); });

    m_documentMenu = new QMenu(this);
    m_documentMenu->setObjectName(QStringLiteral("PopupMenuDocument"));
    QAction* fetchLink = m_documentMenu->addAction(tr("Récupérer ce lien"));
    fetchLink->setObjectName(QStringLiteral("PopupRecupererCeLien"));
    connect(fetchLink, &QAction::triggered, this, &TForm1::fetchHoveredLink);
    connect(m_documentMenu, &QMenu::aboutToShow, this,
            [this, fetchLink] { fetchLink->setEnabled(!m_statusGlobal->panelText(1).trimmed().isEmpty()); });

    m_reinit = new QAction(tr("Réinitialiser"), this);
    m_reinit->setObjectName(QStringLiteral("PopupReinitialiser"));
    m_reinit->setVisible(m_controller->env().isDebug());
    m_treeMenu->addAction(m_reinit);
    connect(m_reinit, &QAction::triggered, this, &TForm1::reinitCurrent);
}

TreeCommands TForm1::treeCommands()
{
    MainController& c = *m_controller;
    TreeCommands commands(c.store(), c.prompt());
    commands.setAgentCloser([&c](TElement* agent) { c.agents().close(agent); });
    return commands;
}

TFormVueListe* TForm1::activeListView() const
{
    auto* list = qobject_cast<TFormVueListe*>(activeView());
    return list && !m_tree->hasFocus() ? list : nullptr;
}

QList<TElement*> TForm1::selectedListRows() const
{
    TFormVueListe* list = activeListView();
    return list ? list->selectedElements() : QList<TElement*> {};
}

QList<TElement*> TForm1::draggedElements(const QByteArray& source) const
{
    if (source == "list") {
        // The rows of the first view, when it is a list.
        const ViewWindows& views = m_controller->views();
        auto* list = views.count() > 0 ? dynamic_cast<TFormVueListe*>(views.at(0)) : nullptr;
        return list ? list->selectedElements() : QList<TElement*> {};
    }
    TElement* e = m_controller->currentElement();
    return e ? QList<TElement*> {e} : QList<TElement*> {};
}

bool TForm1::dropOnTree(const QByteArray& source, TreeNode* target, bool apply)
{
    TElement* onto = target ? target->element() : nullptr;
    const QList<TElement*> dragged = draggedElements(source);
    if (!onto || !TreeCommands::canDrop(dragged, *onto))
        return false;
    if (!apply)
        return true;
    const QList<TElement*> moved = treeCommands().move(dragged, *onto);
    if (source == "list") {
        for (ViewWindow* w : m_controller->views().list()) {
            for (TElement* e : moved)
                w->removeRowOf(e);
        }
    }
    updateCommands();
    return !moved.isEmpty();
}

void TForm1::deleteSelection()
{
    MainController& c = *m_controller;
    if (editingNode())
        return;
    const QList<TElement*> rows = selectedListRows();
    if (rows.size() > 1) {
        const int n = treeCommands().removeSeveral(rows);
        if (n >= 0)
            m_statusGlobal->setPanelText(0, n == 1 ? tr("1 URL effacé") : tr("%1 URLs effacés").arg(n));
        updateCommands();
        return;
    }
    TElement* e = rows.isEmpty() ? c.currentElement() : rows.front();
    if (e && treeCommands().remove(*e))
        updateCommands();
}

void TForm1::markSelection(MainController::Mark mark)
{
    if (m_controller->markRows(mark, selectedListRows()) > 0) {
        m_tree->viewport()->update();
        for (ViewWindow* w : m_controller->views().list()) {
            if (auto* list = dynamic_cast<TFormVueListe*>(w))
                list->table()->viewport()->update();
        }
    }
}

void TForm1::moveUpDown(bool down)
{
    if (auto* list = qobject_cast<TFormVueListe*>(activeView());
        list && m_mdi->isAncestorOf(QApplication::focusWidget())) {
        list->moveSelection(down);
        return;
    }
    QModelIndex index = m_tree->currentIndex();
    if (!index.isValid()) {
        index = m_model->index(0, 0);
        if (index.isValid())
            m_tree->setCurrentIndex(index);
        return;
    }
    // Through the nodes as shown, over images and image groups.
    for (index = down ? m_tree->indexBelow(index) : m_tree->indexAbove(index); index.isValid();
         index = down ? m_tree->indexBelow(index) : m_tree->indexAbove(index)) {
        const TElement* e = m_model->elementOf(index);
        if (e && !e->isImageOrGroup())
            break;
    }
    if (index.isValid()) {
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }
}

void TForm1::fetchFromPage(bool images)
{
    TElement* e = m_controller->currentElement();
    if (!e || !e->isAddressOrPage())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (images)
        CreateImageChildren(*e);
    else
        CreateLinkedPages(*e);
    QApplication::restoreOverrideCursor();
    refreshNode(e->Node());
    updateCommands();
}

void TForm1::treeDoubleClicked(const QModelIndex& index)
{
    TElement* e = m_model->elementOf(index);
    if (!e)
        return;
    MainController& c = *m_controller;
    if (e->Kind == kindAgent || e->Kind == kindFolder) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        e->LoadChildren(2);
        QApplication::restoreOverrideCursor();
    } else if ((e->isAddressOrPage() || e->isImage()) && !e->IsHtml()) {
        OutsideOpening {c.env(), c.launcher(), c.prompt(), c.Opt()}.open(*e, true);
        refreshElement(e, false);
    }
}

void TForm1::popupDocumentMenu(TElement*, const QPoint& globalPos)
{
    m_documentMenu->popup(globalPos);
}

void TForm1::fetchHoveredLink()
{
    MainController& c = *m_controller;
    const QString last = c.downloads().urlClicked();
    QString address = linkToFetch(m_statusGlobal->panelText(1), last,
                                  [&c](const QString& message) { c.env().logError(message); });
    if (last.isEmpty())
        c.downloads().setURLClicked(address);
    if (address.isEmpty()) {
        c.prompt().inform(QStringLiteral("Opt.URLClicked est vide !!!"));
        return;
    }
    TFormVueURL* view = activeDocumentView();
    TElement* under = view && view->element() ? view->element() : c.currentElement();
    if (!under || !under->HasExt() || under->Kind == kindRoot)
        return;
    TElement* page = addLinkedPage(*under, address);
    if (!page || !page->Node())
        return;
    expandNode(under->Node());
    m_tree->scrollTo(m_model->indexOf(page->Node()));
    showElementStatus(page, false);
    // Fetched first at the next cycle.
    c.downloads().nodePressed(under->Node());
}

void TForm1::reinitCurrent()
{
    TElement* e = m_controller->currentElement();
    if (!e || e->Kind == kindRoot || !m_controller->env().isDebug())
        return;
    if (!m_controller->prompt().yesNo(tr("Réinitialiser %1 et tout son contenu ?").arg(e->GetName()),
                                      UserPrompt::No))
        return;
    e->LoadChildren(1000);
    e->Reinit();
    if (TreeNode* node = e->Node()) {
        for (TreeNode* n = node->next(); n && node->isAncestorOf(n); n = n->next()) {
            if (TElement* below = n->element())
                below->Reinit();
        }
        refreshNode(node);
    }
    m_tree->viewport()->update();
}

} // namespace glanix
