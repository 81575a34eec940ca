#include "ui/GlanixApplication.h"

#include <QHelpEvent>
#include <QMessageBox>
#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>
#include <exception>

namespace glanix {

namespace {

class HintTimingStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 300;
        // While a hint is up, moving to the next widget shows its hint at once.
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 40000;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

constexpr int kHintDuration = 40000;

} // namespace

GlanixApplication::GlanixApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setStyle(new HintTimingStyle);
}

GlanixApplication* GlanixApplication::instance()
{
    return qobject_cast<GlanixApplication*>(QCoreApplication::instance());
}

void GlanixApplication::report(const QString& message)
{
    if (m_handler)
        m_handler(message);
    else
        QMessageBox::critical(activeWindow(), QStringLiteral("Glanix"), message);
}

bool GlanixApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        // Plain widget hints stay up long enough to be read; item views show their own.
        if (event->type() == QEvent::ToolTip && receiver->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(receiver);
            const QString tip = widget->toolTip();
            if (!tip.isEmpty() && !widget->inherits("QAbstractItemView")
                && !widget->inherits("QAbstractScrollArea") && !widget->inherits("QToolBar")
                && !widget->inherits("QMenu") && !widget->inherits("QTabBar")) {
                const auto* help = static_cast<QHelpEvent*>(event);
                QToolTip::showText(help->globalPos(), tip, widget, {}, kHintDuration);
                return true;
            }
        }
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        report(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        report(tr("Exception inconnue"));
    }
    return false;
}

} // namespace glanix
