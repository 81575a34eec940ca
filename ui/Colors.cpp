#include "ui/Colors.h"

namespace glanix {

namespace {

QPalette::ColorRole roleForSystemIndex(int index)
{
    switch (index) {
    case 4: // menu
    case 15: // button face
        return QPalette::Button;
    case 5: // window
        return QPalette::Base;
    case 1: // desktop
    case 12: // application workspace
        return QPalette::Window;
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 16: // button shadow
        return QPalette::Dark;
    case 17: // grey text
        return QPalette::PlaceholderText;
    case 18:
        return QPalette::ButtonText;
    case 20: // button highlight
        return QPalette::Light;
    case 21: // 3D dark shadow
        return QPalette::Shadow;
    case 22: // 3D light
        return QPalette::Midlight;
    case 23:
        return QPalette::ToolTipText;
    case 24:
        return QPalette::ToolTipBase;
    default: // texts of windows, menus and captions
        return QPalette::WindowText;
    }
}

} // namespace

QColor colorFromTColor(TColor color, const QPalette& palette)
{
    const auto bits = static_cast<quint32>(color);
    if (bits & 0x80000000u)
        return palette.color(QPalette::Active, roleForSystemIndex(static_cast<int>(bits & 0xFF)));
    return QColor(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
}

TColor tcolorFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

} // namespace glanix
