#pragma once

#include "config/DateTime.h"
#include "ui/TFormExt.h"

#include <QImage>

class QLabel;
class QMenu;
class QScrollArea;
class QToolButton;

// "Vue image": a stored image (or one of its old versions) in a scroll box, at real size,
// fitted to the window, or zoomed by two about its centre or about a clicked point. The
// picture's place is kept as the left, top, width and height it has in the window's visible
// area, the way a picture in a scrolling box is placed; a zoom that would take any of them to
// 32750 pixels or more, or shrink the picture below 20 pixels across, is refused.
namespace glanix {

class ImageCanvas;

class TFormVueImage final : public TFormExt {
    Q_OBJECT

public:
    TFormVueImage(ViewWindows& list, ViewHost& host, QWidget* parent = nullptr);
    ~TFormVueImage() override;

    void showElement(TElement* element) override;
    void refreshView() override;

    // "Taille réelle", "Pleine largeur", "Agrandissement" / "Réduction".
    void realSize();
    void fullWidth();
    // Zooms by 2 (or by 1/2) so that `point` of the visible area (null: the picture's centre
    // stays where it is) goes to the window's centre; false when refused.
    bool zoom(bool in, const QPoint* point = nullptr);
    // The versions menu's captions ("05/03/2026 14:30   12,50 Ko"), version 1 first.
    QStringList versionCaptions() const;
    // Shows version `v` of the element (1 the current file).
    void chooseVersion(int version);

    int version() const { return m_version; }

    // Left, top, width and height of the picture in the visible area.
    QRect pictureRect() const;
    QSize clientSize() const;

    const QImage& image() const { return m_image; }

    QLabel* sizeLabel() const { return m_size; }

    QToolButton* versionsButton() const { return m_versionsButton; }

    QScrollArea* scrollArea() const { return m_scroll; }

    QWidget* picture() const;

signals:
    // A left click outside the picture (the tree's pop-up opens there).
    void menuRequested(const QPoint& globalPos);

protected:
    void aboutToClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadFile(const QString& path);
    // Places the picture at `rect` (in the visible area), the scroll box following.
    void place(const QRect& rect);
    void buildVersionsMenu();
    void applyReadRule();
    MainController& controller();

    QScrollArea* m_scroll;
    QWidget* m_canvas;
    ImageCanvas* m_picture;
    QLabel* m_size;
    QToolButton* m_versionsButton;
    QMenu* m_versionsMenu;
    QImage m_image;
    int m_version = 1;
    TDateTime m_shownSince = 0;
};

} // namespace glanix
