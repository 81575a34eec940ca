#pragma once

#include "config/OptGene.h"

#include <QFrame>

// A panel filled with a colour; clicking it opens the colour chooser. Holds the colour as
// Glanix stores it, so a system colour stays one until the user picks another.
namespace glanix {

class ColorPanel final : public QFrame {
    Q_OBJECT

public:
    explicit ColorPanel(QWidget* parent = nullptr);

    TColor color() const { return m_color; }

    void setColor(TColor color);

    // The chooser's title.
    void setTitle(const QString& title) { m_title = title; }

    QSize sizeHint() const override { return {48, 22}; }

signals:
    void colorChanged(glanix::TColor color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose();

    TColor m_color = 0;
    QString m_title;
};

} // namespace glanix
