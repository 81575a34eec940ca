#include "ui/TFormVueImage.h"

#include "agents/MainController.h"
#include "config/Env.h"
#include "config/FrenchText.h"
#include "store/TElement.h"
#include "views/DocumentResolver.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdlib>

namespace glanix {

// The picture at whatever size it is given; only the part on screen is drawn, so a picture
// zoomed to thousands of pixels costs no more than the window.
class ImageCanvas final : public QWidget {
public:
    explicit ImageCanvas(QWidget* parent)
        : QWidget(parent)
    {
    }

    QImage image;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (image.isNull() || width() <= 0 || height() <= 0)
            return;
        QPainter p(this);
        const QRect exposed = event->rect();
        // The part of the image behind the exposed rectangle, drawn scaled into it.
        const double sx = double(image.width()) / width();
        const double sy = double(image.height()) / height();
        const QRectF source(exposed.x() * sx, exposed.y() * sy, exposed.width() * sx, exposed.height() * sy);
        p.drawImage(QRectF(exposed), image, source);
    }
};

namespace {

constexpr int kZoomLimit = 32750;

} // namespace

TFormVueImage::TFormVueImage(ViewWindows& list, ViewHost& host, QWidget* parent)
    : TFormExt(wtImage, list, host, parent)
    , m_scroll(new QScrollArea(this))
    , m_canvas(new QWidget)
    , m_picture(new ImageCanvas(m_canvas))
    , m_size(new QLabel(this))
    , m_versionsButton(nullptr)
    , m_versionsMenu(new QMenu(this))
{
    setObjectName(QStringLiteral("TFormVueImage"));
    setWindowTitle(tr("Vue image"));
    // A tool bar: on a narrow window what does not fit goes behind its extension button.
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The size first: it is what the user reads, the buttons can go behind the extension.
    m_size->setObjectName(QStringLiteral("LabelSize"));
    m_size->setContentsMargins(6, 0, 6, 0);
    bar->addWidget(m_size);
    bar->addSeparator();
    const auto button = [bar](const char* name, const QString& text) {
        QAction* a = bar->addAction(text);
        QWidget* b = bar->widgetForAction(a);
        b->setObjectName(QLatin1String(name));
        return a;
    };
    connect(button("BtnRealSize", tr("Taille réelle")), &QAction::triggered, this, &TFormVueImage::realSize);
    connect(button("BtnFullWidth", tr("Pleine largeur")), &QAction::triggered, this,
            &TFormVueImage::fullWidth);
    connect(button("BtnZoomIn", tr("Agrandissement")), &QAction::triggered, this, [this] { zoom(true); });
    connect(button("BtnZoomOut", tr("Réduction")), &QAction::triggered, this, [this] { zoom(false); });
    m_versionsButton = new QToolButton(bar);
    m_versionsButton->setObjectName(QStringLiteral("BtnVersions"));
    m_versionsButton->setText(tr("Voir versions précédentes"));
    m_versionsButton->setMenu(m_versionsMenu);
    m_versionsButton->setPopupMode(QToolButton::InstantPopup);
    m_versionsButton->setEnabled(false);
    connect(m_versionsMenu, &QMenu::aboutToShow, this, &TFormVueImage::buildVersionsMenu);
    bar->addWidget(m_versionsButton);

    m_scroll->setObjectName(QStringLiteral("ScrollBox"));
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setWidget(m_canvas);
    m_canvas->installEventFilter(this);
    m_picture->installEventFilter(this);
    m_scroll->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll, 1);
}

TFormVueImage::~TFormVueImage()
{
    m_canvas->removeEventFilter(this);
    m_picture->removeEventFilter(this);
    m_scroll->viewport()->removeEventFilter(this);
}

QWidget* TFormVueImage::picture() const
{
    return m_picture;
}

MainController& TFormVueImage::controller()
{
    return host().controller();
}

void TFormVueImage::showElement(TElement* element)
{
    if (!element || element == Element)
        return;
    applyReadRule();
    Element = element;
    m_version = 1;
    m_versionsButton->setEnabled(!DocumentResolver::servableFile(element, 2).isEmpty());
    setWindowTitle(element->GetName());
    loadFile(element->GetSavePath());
    realSize();
    m_shownSince = controller().env().now();
    host().showElementStatus(element, false);
}

void TFormVueImage::refreshView()
{
    if (!Element)
        return;
    loadFile(m_version <= 1 ? Element->GetSavePath() : DocumentResolver::servableFile(Element, m_version));
    realSize();
}

void TFormVueImage::loadFile(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    m_image = reader.read();
    m_picture->image = m_image;
    m_picture->update();
    if (m_image.isNull())
        m_size->setText(tr("Image illisible"));
    else
        m_size->setText(tr("%1 x %2 points").arg(m_image.width()).arg(m_image.height()));
}

QSize TFormVueImage::clientSize() const
{
    return m_scroll->viewport()->size();
}

QRect TFormVueImage::pictureRect() const
{
    return QRect(m_picture->x() - m_scroll->horizontalScrollBar()->value(),
                 m_picture->y() - m_scroll->verticalScrollBar()->value(), m_picture->width(),
                 m_picture->height());
}

void TFormVueImage::place(const QRect& r)
{
    // The scroll box reaches from the visible area's corner to the picture, wherever it lies.
    const QSize client = clientSize();
    const int originX = std::min(0, r.left());
    const int originY = std::min(0, r.top());
    const int endX = std::max(client.width(), r.left() + r.width());
    const int endY = std::max(client.height(), r.top() + r.height());
    m_canvas->resize(endX - originX, endY - originY);
    m_picture->setGeometry(r.left() - originX, r.top() - originY, r.width(), r.height());
    m_scroll->horizontalScrollBar()->setValue(-originX);
    m_scroll->verticalScrollBar()->setValue(-originY);
    m_picture->update();
}

void TFormVueImage::realSize()
{
    const QSize client = clientSize();
    const int w = m_image.width();
    const int h = m_image.height();
    place(QRect((client.width() - w) / 2, (client.height() - h) / 2, w, h));
}

void TFormVueImage::fullWidth()
{
    if (m_image.isNull())
        return;
    const QSize client = clientSize();
    const double scale
        = std::min(double(client.height()) / m_image.height(), double(client.width()) / m_image.width());
    const int w = static_cast<int>(std::lround(m_image.width() * scale));
    const int h = static_cast<int>(std::lround(m_image.height() * scale));
    place(QRect((client.width() - w) / 2, (client.height() - h) / 2, w, h));
}

bool TFormVueImage::zoom(bool in, const QPoint* point)
{
    const QRect r = pictureRect();
    const QSize client = clientSize();
    const qint64 w = in ? qint64(r.width()) * 2 : r.width() / 2;
    const qint64 h = in ? qint64(r.height()) * 2 : r.height() / 2;
    qint64 left = 0;
    qint64 top = 0;
    if (point) {
        // The clicked point of the picture comes to the centre of the window.
        const qint64 px = point->x() - r.left();
        const qint64 py = point->y() - r.top();
        left = client.width() / 2 - (in ? px * 2 : px / 2);
        top = client.height() / 2 - (in ? py * 2 : py / 2);
    } else {
        left = r.left() - (w - r.width()) / 2;
        top = r.top() - (h - r.height()) / 2;
    }
    if (std::llabs(left) >= kZoomLimit || std::llabs(top) >= kZoomLimit || w >= kZoomLimit || h >= kZoomLimit
        || w + h <= 20)
        return false;
    place(QRect(int(left), int(top), int(w), int(h)));
    return true;
}

QStringList TFormVueImage::versionCaptions() const
{
    QStringList captions;
    for (int v = 1;; ++v) {
        const QString file = DocumentResolver::servableFile(Element, v);
        if (file.isEmpty())
            break;
        const QFileInfo info(file);
        const QDateTime when = info.lastModified();
        captions << frenchDate(when, QStringLiteral("dd/MM/yyyy")) + u' '
                + frenchDate(when, QStringLiteral("hh:mm")) + QStringLiteral("   ")
                + frenchNumber(info.size() / 1024.0, 2) + tr(" Ko");
    }
    return captions;
}

void TFormVueImage::buildVersionsMenu()
{
    m_versionsMenu->clear();
    const QStringList captions = versionCaptions();
    for (int i = 0; i < captions.size(); ++i) {
        const int v = i + 1;
        QAction* a = m_versionsMenu->addAction(captions[i]);
        a->setCheckable(true);
        a->setChecked(v == m_version);
        connect(a, &QAction::triggered, this, [this, v] { chooseVersion(v); });
    }
}

void TFormVueImage::chooseVersion(int version)
{
    const QString file = DocumentResolver::servableFile(Element, version);
    if (file.isEmpty())
        return;
    m_version = version;
    loadFile(file);
    realSize();
}

void TFormVueImage::applyReadRule()
{
    TElement* e = Element;
    if (!e || e->State != stateUnread)
        return;
    if (m_shownSince + controller().Opt().ReadTime / 86400.0 < controller().env().now()) {
        e->State = stateRead;
        e->Save();
        host().refreshElement(e);
    }
}

void TFormVueImage::aboutToClose()
{
    applyReadRule();
}

bool TFormVueImage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress
        && (watched == m_picture || watched == m_canvas || watched == m_scroll->viewport())) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        if (watched == m_picture && !m_image.isNull()) {
            const QPoint at = m_scroll->viewport()->mapFromGlobal(global);
            if (mouse->button() == Qt::LeftButton)
                zoom(true, &at);
            else if (mouse->button() == Qt::RightButton)
                zoom(false, &at);
            return true;
        }
        if (mouse->button() == Qt::LeftButton) {
            emit menuRequested(global);
            host().popupTreeMenu(global);
            return true;
        }
    }
    return TFormExt::eventFilter(watched, event);
}

} // namespace glanix
