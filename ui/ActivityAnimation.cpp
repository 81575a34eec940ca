#include "ui/ActivityAnimation.h"

#include <QPainter>

namespace glanix {

namespace {

constexpr int kSpokes = 12;

} // namespace

ActivityAnimation::ActivityAnimation(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
}

void ActivityAnimation::setRunning(bool running)
{
    if (running == isRunning())
        return;
    if (running)
        m_timer.start();
    else
        m_timer.stop();
    update();
}

void ActivityAnimation::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, height() / 2.0);
    const QColor ink = palette().color(QPalette::WindowText);
    const bool running = isRunning();
    for (int i = 0; i < kSpokes; ++i) {
        QColor c = ink;
        // The spoke at the head is darkest, those behind it fade.
        const int behind = (m_step - i + kSpokes) % kSpokes;
        c.setAlphaF(running ? 1.0f - 0.8f * static_cast<float>(behind) / kSpokes : 0.2f);
        p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -5), QPointF(0, -9));
        p.rotate(360.0 / kSpokes);
    }
}

} // namespace glanix
