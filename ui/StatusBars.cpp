#include "ui/StatusBars.h"

#include <QLabel>

namespace glanix {

namespace {

// A panel takes its width when there is room and gives way on a narrow window.
class Panel final : public QLabel {
public:
    Panel(int width, QWidget* parent)
        : QLabel(parent)
        , m_width(width)
    {
        setSizePolicy(width > 0 ? QSizePolicy::Preferred : QSizePolicy::Expanding, QSizePolicy::Preferred);
    }

    // Never narrower than its text: a wider font must not cut "En cours 12".
    QSize sizeHint() const override
    {
        const QSize hint = QLabel::sizeHint();
        return {m_width > 0 ? std::max(m_width, hint.width()) : hint.width(), hint.height()};
    }

    QSize minimumSizeHint() const override { return {40, QLabel::minimumSizeHint().height()}; }

private:
    int m_width;
};

} // namespace

PanelBar::PanelBar(const QString& objectName, const QList<int>& widths, QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(objectName);
    setSizeGripEnabled(false);
    for (int width : widths) {
        auto* label = new Panel(width, this);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        addPermanentWidget(label, width > 0 ? 0 : 1);
        m_panels.push_back(label);
    }
}

QLabel* PanelBar::panel(int panel) const
{
    return panel >= 0 && panel < panelCount() ? m_panels[static_cast<size_t>(panel)] : nullptr;
}

QString PanelBar::panelText(int panel) const
{
    QLabel* label = this->panel(panel);
    return label ? label->text() : QString();
}

void PanelBar::setPanelText(int panel, const QString& text)
{
    if (QLabel* label = this->panel(panel)) {
        label->setText(text);
        label->setToolTip(text);
    }
}

StatusBarGlobal::StatusBarGlobal(QWidget* parent)
    : PanelBar(QStringLiteral("StatusBarGlobal"), {200, 350, 230}, parent)
{
}

StatusBarComm::StatusBarComm(QWidget* parent)
    : PanelBar(QStringLiteral("StatusBarComm"), {65, 235, 80, 80, 0}, parent)
{
    reset();
}

void StatusBarComm::reset()
{
    setPanelText(Running, tr("En cours"));
    setPanelText(Counters, tr("Nouveaux et modifiés"));
    setPanelText(Total, tr("Total"));
    setPanelText(Rate, tr("Vitesse"));
    setPanelText(Communication, tr("Communication"));
}

} // namespace glanix
