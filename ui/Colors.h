#pragma once

#include "config/OptGene.h"

#include <QColor>
#include <QPalette>

// Colours as Glanix stores them (0x00BBGGRR, or 0x80000000 plus a system colour index) and as
// Qt draws them. System colours follow the desktop's palette.
namespace glanix {

QColor colorFromTColor(TColor color, const QPalette& palette = QPalette());
TColor tcolorFromColor(const QColor& color);

} // namespace glanix
