#pragma once

#include <QTimer>
#include <QWidget>

// The main window's animation: a small turning wheel beside the connection buttons that runs
// while downloads are in progress, and a still, faint one otherwise.
namespace glanix {

class ActivityAnimation final : public QWidget {
    Q_OBJECT

public:
    explicit ActivityAnimation(QWidget* parent = nullptr);

    void setRunning(bool running);

    bool isRunning() const { return m_timer.isActive(); }

    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};

} // namespace glanix
