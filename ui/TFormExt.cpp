#include "ui/TFormExt.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace glanix {

TFormExt::TFormExt(int kind, ViewWindows& list, ViewHost& host, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_list(list)
    , m_host(host)
{
}

TFormExt::~TFormExt()
{
    leaveList();
}

QMdiSubWindow* TFormExt::dock(QMdiArea* area)
{
    const bool first = area->subWindowList().isEmpty();
    m_sub = area->addSubWindow(this);
    m_sub->setAttribute(Qt::WA_DeleteOnClose);
    m_sub->setWindowIcon(windowIcon());
    // A view is for reading: it takes the room it has, the next ones step aside a little.
    const QSize room = area->viewport()->size();
    const int step = first ? 0 : 24 * (static_cast<int>(area->subWindowList().size()) - 1) % 120;
    m_sub->setGeometry(step, step, std::max(room.width() - step, minimumWidth()),
                       std::max(room.height() - step, 240));
    m_sub->show();
    return m_sub;
}

void TFormExt::leaveList()
{
    if (m_left)
        return;
    m_left = true;
    m_list.removed(this);
}

void TFormExt::closeWindow()
{
    if (m_sub)
        m_sub->close();
    else
        close();
}

void TFormExt::closeEvent(QCloseEvent* event)
{
    aboutToClose();
    leaveList();
    event->accept();
}

void TFormExt::bringToFront()
{
    if (m_sub && m_sub->mdiArea())
        m_sub->mdiArea()->setActiveSubWindow(m_sub);
    m_list.activated(this);
}

bool TFormExt::isMaximized() const
{
    return m_sub ? m_sub->isMaximized() : QWidget::isMaximized();
}

void TFormExt::showMaximized(bool maximized)
{
    QWidget* w = m_sub ? static_cast<QWidget*>(m_sub) : this;
    if (maximized)
        w->showMaximized();
    else
        w->showNormal();
}

} // namespace glanix
