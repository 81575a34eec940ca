#pragma once

#include <QString>

// The information page of an element: a small HTML document saying what is known about it
// (type, status, address, dates, size, old versions, effective settings, the links and
// images found in it, the trace of its last transfer). The information view renders it and
// handles its links ("PrevVer" + a version number, and the addresses found in the page);
// glanix-cli prints it. Built in memory, never saved.
//
// Every text that comes from a server, a page or a user (name, address, content type, links,
// masks, trace lines, paths) is escaped, so that nothing it holds can become markup.
namespace glanix {

class TElement;

// Sections, as the information view's check boxes choose them.
enum InfoSection : int {
    infoState = 1, // "Etat"
    infoProperties = 2, // "Propriétés"
    infoLinks = 4, // "Liens"
    infoCommunication = 8, // "Communication"
};

inline constexpr int kDefaultInfoSections = infoState | infoProperties;

// Reads the element's stored file and old versions, analyses the stored page for the links
// section (freeing the analysis afterwards) and loads the trace lines when asked for them.
QString BuildInfoPage(TElement& element, int sections);

} // namespace glanix
