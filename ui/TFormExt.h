#pragma once

#include "agents/ViewWindows.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

// The base of every view window: an MDI child of the main window that carries its kind, the
// element it shows and its busy state, and keeps its place in `ListWindows` (at the front
// when it comes up or is activated, out of it when it closes). What a view needs of the main
// window goes through ViewHost, so a view never reaches into the window's widgets.
namespace glanix {

class ElementIcons;
class MainController;
class TElement;

class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual MainController& controller() = 0;
    // Selects the element's tree node (which shows it in the views that follow the selection).
    virtual void selectElement(TElement* element) = 0;
    // `ShowElementStatus`: describes the element in the status bar.
    virtual void showElementStatus(TElement* element, bool highlight) = 0;
    // A status panel written by a view (0 to 2).
    virtual void setStatusPanel(int panel, const QString& text) = 0;
    // The element's node shows its new state; `reveal` also makes it visible in the tree.
    virtual void refreshElement(TElement* element, bool reveal = false) = 0;
    // The notes dialog for the element; the views showing it follow.
    virtual void editNotes(TElement* element) = 0;
    // An old version of the element in a document view.
    virtual void showVersion(TElement* element, int version) = 0;

    // The tree's icons, shared by the lists; null when there are none.
    virtual const ElementIcons* elementIcons() const { return nullptr; }

    // The tree's pop-up menu (on the current element) at a point of the screen.
    virtual void popupTreeMenu(const QPoint& /*globalPos*/) { }

    // The document view's pop-up ("Récupérer ce lien" on the link last hovered).
    virtual void popupDocumentMenu(TElement* /*viewElement*/, const QPoint& /*globalPos*/) { }
};

class TFormExt : public QWidget, public ViewWindow {
    Q_OBJECT

public:
    TFormExt(int kind, ViewWindows& list, ViewHost& host, QWidget* parent = nullptr);
    ~TFormExt() override;

    // Puts the view in its own child window of the area and shows it.
    QMdiSubWindow* dock(QMdiArea* area);

    QMdiSubWindow* subWindow() const { return m_sub; }

    int kind() const override { return m_kind; }

    TElement* element() const override { return Element; }

    void closeWindow() override;
    void bringToFront() override;

    bool busy() const override { return Busy; }

    bool isMaximized() const override;
    void showMaximized(bool maximized) override;

    // The main window asks every view to show its element afresh; waits while it is busy.
    virtual void refreshView() { }

protected:
    // Closing: what the view must save before it goes (read state, positions, settings).
    virtual void aboutToClose() { }

    void closeEvent(QCloseEvent* event) override;

    ViewHost& host() { return m_host; }

    ViewWindows& list() { return m_list; }

    TElement* Element = nullptr;
    bool Busy = false;

private:
    void leaveList();

    int m_kind;
    ViewWindows& m_list;
    ViewHost& m_host;
    QPointer<QMdiSubWindow> m_sub;
    bool m_left = false;
};

} // namespace glanix
