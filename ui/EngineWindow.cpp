#include "ui/EngineWindow.h"

#include "agents/DialSession.h"
#include "agents/ViewWindows.h"
#include "store/TElement.h"
#include "ui/ActivityAnimation.h"
#include "ui/NormalCursor.h"
#include "ui/StatusBars.h"
#include "ui/TForm1.h"
#include "ui/TFormChoixConn.h"
#include "ui/TFormRas.h"
#include "ui/TFormVueURL.h"

#include <QAction>
#include <QCursor>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace glanix {

EngineWindow::EngineWindow(TForm1& window)
    : m_window(window)
{
}

TFormRas* EngineWindow::dialWindow() const
{
    return m_dial.data();
}

void EngineWindow::setCommPanel(int panel, const QString& text)
{
    m_window.statusBarComm()->setPanelText(panel, text);
}

void EngineWindow::setCommHint(const QString& text)
{
    m_window.statusBarComm()->setToolTip(text);
}

void EngineWindow::setCommBarVisible(bool visible)
{
    m_window.setCommBarVisible(visible);
}

void EngineWindow::setApplicationHint(const QString& text)
{
    // The first panel shows the application's hint, as a status bar that follows hints does.
    m_window.statusBarGlobal()->setPanelText(0, text);
    m_window.toolBars().animation->setToolTip(text);
}

void EngineWindow::setAnimation(bool running)
{
    m_window.toolBars().animation->setRunning(running);
}

void EngineWindow::setGlobalPanel(int panel, const QString& text)
{
    m_window.statusBarGlobal()->setPanelText(panel, text);
}

void EngineWindow::setActionEnabled(EngineAction action, bool enabled)
{
    m_window.setEngineAction(action, enabled);
}

void EngineWindow::setStartButtonHint(const QString& text)
{
    m_window.actions().demarrer->setToolTip(text);
}

void EngineWindow::setEndButtonHint(const QString& text)
{
    m_window.actions().terminer->setToolTip(text);
    // Shown already: it follows.
    QWidget* button = m_window.toolBars().connection->widgetForAction(m_window.actions().terminer);
    if (button && QToolTip::isVisible() && button->underMouse())
        QToolTip::showText(QCursor::pos(), text, button);
}

bool EngineWindow::startButtonVisible() const
{
    QWidget* button = m_window.toolBars().connection->widgetForAction(m_window.actions().demarrer);
    return button && button->isVisible();
}

bool EngineWindow::showImagesInTree(bool on)
{
    m_window.controller().showImageNodes(on);
    return true;
}

bool EngineWindow::documentViewOpen() const
{
    ViewWindows& views = m_window.controller().views();
    for (int i = 0; i < views.count(); ++i) {
        if (views.windowType(i) == wtDocument)
            return true;
    }
    return false;
}

void EngineWindow::clickedDocumentStored(TElement* element)
{
    if (!element || !element->Node())
        return;
    m_window.selectNode(element->Node());
    // The page asked for has come: the document view showing it shows the new copy.
    for (ViewWindow* w : m_window.controller().views().list()) {
        if (w->kind() == wtDocument && w->element() == element)
            static_cast<TFormVueURL*>(w)->reload();
    }
}

void EngineWindow::clickedImageStored(TElement* /*element*/)
{
    // One of its images came: the page is shown again soon, unless the user is typing in it.
    if (TFormVueURL* view = m_window.activeDocumentView())
        view->startRefreshCheck();
}

void EngineWindow::cycleEnded()
{
    m_window.updateCommands();
}

void EngineWindow::downloadEnded(const DownloadReport& /*report*/)
{
    m_window.showCurrentInfo();
}

void EngineWindow::showDialWindow(std::unique_ptr<DialSession> session)
{
    DialSession* started = session.get();
    auto* form = new TFormRas(std::move(session), &m_window);
    QObject::connect(form, &TFormRas::helpRequested, &m_window, &TForm1::helpRequested);
    m_dial = form;
    form->show();
    started->start();
}

void EngineWindow::closeDialWindow()
{
    delete m_dial.data();
}

std::optional<QString> EngineWindow::chooseConnection(const QStringList& entries, const QString& current)
{
    TFormChoixConn dialog(entries, current, &m_window);
    const NormalCursor arrow;
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty())
        return std::nullopt;
    return dialog.chosen();
}

void EngineWindow::setEndButtonMenu(bool attached)
{
    auto* button = qobject_cast<QToolButton*>(
        m_window.toolBars().connection->widgetForAction(m_window.actions().terminer));
    if (!button)
        return;
    button->setMenu(attached ? m_window.actions().connectionPopup : nullptr);
    button->setPopupMode(attached ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
}

void EngineWindow::optionsChanged()
{
    m_window.optionsChanged();
}

} // namespace glanix
