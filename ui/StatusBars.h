#pragma once

#include <QStatusBar>
#include <vector>

class QLabel;

// The main window's two status bars. `StatusBarGlobal`, always shown, has three panels: the
// element under the mouse or the current one (address, date and size), and the connection's
// state and its dial-up text, each written by whoever has something to say. `StatusBarComm`,
// shown only while downloads run, has five: downloads in progress, counters, total, rate and
// the communication line. The engine writes them through the main window.
namespace glanix {

class PanelBar : public QStatusBar {
    Q_OBJECT

public:
    // One panel per width; a width of 0 stretches.
    PanelBar(const QString& objectName, const QList<int>& widths, QWidget* parent = nullptr);

    int panelCount() const { return static_cast<int>(m_panels.size()); }

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);
    QLabel* panel(int panel) const;

private:
    std::vector<QLabel*> m_panels;
};

class StatusBarGlobal final : public PanelBar {
    Q_OBJECT

public:
    explicit StatusBarGlobal(QWidget* parent = nullptr);
};

class StatusBarComm final : public PanelBar {
    Q_OBJECT

public:
    enum Panel { Running = 0, Counters = 1, Total = 2, Rate = 3, Communication = 4 };

    explicit StatusBarComm(QWidget* parent = nullptr);
    // Back to the panels' captions.
    void reset();
};

} // namespace glanix
