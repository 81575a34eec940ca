#pragma once

#include <QString>

// Texts shown to the user for a download result and a size; one place for every view.
namespace glanix {

// A download whose answer could not be written to the disk (full, or a folder that leads
// out of the agent): the stored copy stays as it was.
constexpr int kStatusNotStored = -7;

// "404 : Non trouvé" for an HTTP status, "Non téléchargé" for 0, the program's own text for
// -1 to -7; " - Incomplet" follows when the stored copy is not complete. An unknown HTTP
// status gives "299 : ", an unknown negative number an empty text.
QString StatusText(int statusNumber, bool complete = true);

// "1023 octets", "1,00 Ko", "1,50 Mo" (the locale's decimal separator).
QString SizeText(qint64 bytes);

} // namespace glanix
