#pragma once

#include <QByteArrayView>
#include <QString>

namespace glanix {

class TElement;

// Whether a complete new copy of an element that was fetched before counts as modified
// against its stored file. With `compareTextOnly` (the option CompareTextOnly), an HTML or
// plain-text document is modified only when its text differs once tags and white space are
// skipped; anything else when its bytes differ. The change highlighting never alters this.
bool IsModifiedContent(const TElement& element, QByteArrayView content, const QString& storedFile,
                       bool compareTextOnly);

} // namespace glanix
