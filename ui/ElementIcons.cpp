#include "ui/ElementIcons.h"

#include "store/ContentTypes.h"
#include "store/TElement.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace glanix {

namespace {

constexpr int kSizes[] = {16, 24, 32, 48};

// Everything is drawn on a 16-unit grid and scaled.
struct Canvas {
    QPixmap pixmap;
    QPainter p;

    explicit Canvas(int size)
        : pixmap(size, size)
    {
        pixmap.fill(Qt::transparent);
        p.begin(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
    }

    QPixmap done()
    {
        p.end();
        return pixmap;
    }
};

void drawPage(QPainter& p, const QColor& paper, const QColor& edge)
{
    QPainterPath page;
    page.moveTo(3, 1);
    page.lineTo(10, 1);
    page.lineTo(13.5, 4.5);
    page.lineTo(13.5, 15);
    page.lineTo(3, 15);
    page.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(paper);
    p.drawPath(page);
    p.setBrush(edge.lighter(160));
    QPainterPath fold;
    fold.moveTo(10, 1);
    fold.lineTo(10, 4.5);
    fold.lineTo(13.5, 4.5);
    fold.closeSubpath();
    p.drawPath(fold);
}

void drawLines(QPainter& p, const QColor& color)
{
    p.setPen(QPen(color, 1));
    for (double y : {7.0, 9.5, 12.0})
        p.drawLine(QPointF(5, y), QPointF(11.5, y));
}

void drawFolder(QPainter& p, const QColor& color)
{
    p.setPen(QPen(color.darker(150), 1));
    p.setBrush(color.darker(115));
    p.drawRoundedRect(QRectF(1, 3, 6, 3), 1, 1);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(1, 4.5, 14, 10), 1.2, 1.2);
}

void drawAgent(QPainter& p, const QColor& color)
{
    drawFolder(p, color);
    // A lens: the agent watches what it holds.
    p.setPen(QPen(Qt::white, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7.5, 9), 2.6, 2.6);
    p.drawLine(QPointF(9.4, 10.9), QPointF(12, 13.3));
}

void drawStar(QPainter& p, const QPointF& c, double r, const QColor& color)
{
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double rr = i % 2 ? r * 0.45 : r;
        const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
        i == 0 ? star.moveTo(pt) : star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(color.darker(160), 0.6));
    p.setBrush(color);
    p.drawPath(star);
}

QPixmap drawn(int imageIndex, int size)
{
    Canvas c(size);
    QPainter& p = c.p;
    const QColor ink(70, 80, 95);
    switch (imageIndex) {
    case 0: // agent
        drawAgent(p, QColor(52, 101, 164));
        break;
    case 1: // agent of the Netscape bookmarks
        drawAgent(p, QColor(46, 139, 87));
        break;
    case 2: // agent sharing the browser favourites
        drawAgent(p, QColor(52, 101, 164));
        drawStar(p, QPointF(12, 4), 3.6, QColor(250, 200, 40));
        break;
    case 3: // folder
        drawFolder(p, QColor(237, 189, 72));
        break;
    case 6: { // the page's images
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(225, 238, 250));
        p.drawRect(QRectF(1.5, 3, 13, 10.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 160, 80));
        QPainterPath hill;
        hill.moveTo(2, 13);
        hill.lineTo(6.5, 7.5);
        hill.lineTo(9.5, 10.5);
        hill.lineTo(11, 9);
        hill.lineTo(14, 13);
        hill.closeSubpath();
        p.drawPath(hill);
        p.setBrush(QColor(240, 180, 40));
        p.drawEllipse(QPointF(11.5, 6), 1.4, 1.4);
        break;
    }
    case 7: // the last download failed
        drawPage(p, Qt::white, ink);
        p.setPen(QPen(QColor(200, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 7), QPointF(11, 12.5));
        p.drawLine(QPointF(11, 7), QPointF(5.5, 12.5));
        break;
    case 11: // information only, or the stored copy is missing
        drawPage(p, QColor(245, 245, 245), ink);
        p.setPen(QPen(QColor(52, 101, 164), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(QPointF(8.25, 6.5));
        p.drawLine(QPointF(8.25, 9), QPointF(8.25, 12.5));
        break;
    case 12: // file transfer address
        drawPage(p, Qt::white, ink);
        p.setPen(QPen(QColor(46, 139, 87), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.25, 6), QPointF(8.25, 12.5));
        p.drawLine(QPointF(5.5, 10), QPointF(8.25, 12.8));
        p.drawLine(QPointF(11, 10), QPointF(8.25, 12.8));
        break;
    case 5: // never downloaded
        drawPage(p, Qt::white, QColor(150, 155, 165));
        p.setPen(QPen(QColor(150, 155, 165), 1, Qt::DotLine));
        for (double y : {7.0, 9.5, 12.0})
            p.drawLine(QPointF(5, y), QPointF(11.5, y));
        break;
    default: // a stored document of a type the theme does not know
        drawPage(p, Qt::white, ink);
        drawLines(p, QColor(120, 130, 145));
        break;
    }
    return c.done();
}

} // namespace

ElementIcons::ElementIcons(const KnownTypes& types)
    : m_types(types)
{
}

QPixmap ElementIcons::mark(int stateMark, int size)
{
    Canvas c(size);
    QPainter& p = c.p;
    const QRectF badge(7.5, 7.5, 8.3, 8.3);
    const QPointF centre = badge.center();
    switch (stateMark) {
    case markUnread:
        drawStar(p, centre, 4.6, QColor(255, 140, 0));
        break;
    case markError:
        p.setPen(QPen(Qt::white, 0.9));
        p.setBrush(QColor(204, 0, 0));
        p.drawEllipse(badge);
        p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(centre.x(), centre.y() - 2.3), QPointF(centre.x(), centre.y() + 0.6));
        p.drawPoint(QPointF(centre.x(), centre.y() + 2.4));
        break;
    case markInactive:
        p.setPen(QPen(Qt::white, 0.9));
        p.setBrush(QColor(60, 64, 72));
        p.drawEllipse(badge);
        p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(centre.x() - 1.3, centre.y() - 1.8), QPointF(centre.x() - 1.3, centre.y() + 1.8));
        p.drawLine(QPointF(centre.x() + 1.3, centre.y() - 1.8), QPointF(centre.x() + 1.3, centre.y() + 1.8));
        break;
    default:
        break;
    }
    return c.done();
}

QIcon ElementIcons::base(int imageIndex) const
{
    if (imageIndex >= 14 && imageIndex - 14 < m_types.size()) {
        const QString type = m_types.at(imageIndex - 14).type;
        for (const QString& name : {iconNameForType(type), genericIconNameForType(type)}) {
            if (!name.isEmpty() && QIcon::hasThemeIcon(name))
                return QIcon::fromTheme(name);
        }
        imageIndex = type.startsWith(u"image/") ? 6 : 13;
    } else if (imageIndex == 3 && QIcon::hasThemeIcon(QStringLiteral("folder"))) {
        return QIcon::fromTheme(QStringLiteral("folder"));
    }
    QIcon icon;
    for (int size : kSizes)
        icon.addPixmap(drawn(imageIndex, size));
    return icon;
}

QPixmap ElementIcons::picture(int imageIndex, int size) const
{
    return base(imageIndex).pixmap(size, size);
}

QIcon ElementIcons::icon(int imageIndex, int stateMark) const
{
    const qint64 key = (qint64(imageIndex) << 8) | quint8(stateMark + 1);
    auto it = m_cache.constFind(key);
    if (it != m_cache.constEnd())
        return *it;
    const QIcon plain = base(imageIndex);
    QIcon icon = plain;
    if (stateMark != markNone) {
        icon = QIcon();
        for (int size : kSizes) {
            QPixmap pixmap = plain.pixmap(size, size);
            if (pixmap.size() != QSize(size, size))
                pixmap = pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QPainter p(&pixmap);
            p.drawPixmap(0, 0, mark(stateMark, size));
            p.end();
            icon.addPixmap(pixmap);
        }
    }
    m_cache.insert(key, icon);
    return icon;
}

} // namespace glanix
