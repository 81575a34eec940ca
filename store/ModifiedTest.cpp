#include "store/ModifiedTest.h"

#include "store/FileOps.h"
#include "store/TElement.h"

namespace glanix {

bool IsModifiedContent(const TElement& element, QByteArrayView content, const QString& storedFile,
                       bool compareTextOnly)
{
    if (compareTextOnly && (element.IsHtml() || element.IsText()))
        return !SameTextIgnoringTags(content, storedFile);
    return StreamDiffers(content, storedFile);
}

} // namespace glanix
