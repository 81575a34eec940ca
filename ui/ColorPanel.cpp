#include "ui/ColorPanel.h"

#include "ui/Colors.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace glanix {

ColorPanel::ColorPanel(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(36, 20);
}

void ColorPanel::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    emit colorChanged(color);
}

void ColorPanel::paintEvent(QPaintEvent* event)
{
    {
        QPainter p(this);
        p.fillRect(contentsRect().adjusted(1, 1, -1, -1), colorFromTColor(m_color, palette()));
    }
    QFrame::paintEvent(event);
}

void ColorPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        choose();
}

void ColorPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space)
        choose();
    else
        QFrame::keyPressEvent(event);
}

void ColorPanel::choose()
{
    const QColor chosen = QColorDialog::getColor(colorFromTColor(m_color, palette()), this, m_title);
    if (chosen.isValid())
        setColor(tcolorFromColor(chosen));
}

} // namespace glanix
