#pragma once

#include <QString>

// What the main window's status bar says about an element under the mouse or shown in a
// view: panel 1, panel 2 and the hint the tree and the views show as a tooltip.
namespace glanix {

class TElement;

struct ElementStatusTexts {
    QString panel1;
    QString panel2;
    QString hint;
    bool operator==(const ElementStatusTexts&) const = default;
};

// Null gives "Absent" in panel 2. Reads the element's messages for the hint.
ElementStatusTexts describeElement(TElement* element);

} // namespace glanix
