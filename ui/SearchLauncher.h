#pragma once

#include "views/SearchWalk.h"

// F3 "C&hercher...": the search dialog on the selected element, then the search itself in a
// list view in search mode, which takes its rows as they are found and stops the search when
// it closes. The word searched becomes the document view's in-page search text, and a result
// selected in the list is shown in the document view.
namespace glanix {

class TForm1;
class TFormVueListe;
class TreeNode;
class ViewHost;

// The dialog, and the search when "Chercher" closed it; null when there was none.
TFormVueListe* openSearchDialog(TForm1& window, ViewHost& host);

// A search with these settings from `start`, in a new results window; null when it could not
// start ("ThreadSearch non lancé" or "Pb dans TFormVueListe.Create" in the error log).
TFormVueListe* startSearch(TForm1& window, ViewHost& host, TreeNode* start, const SearchSettings& settings);

} // namespace glanix
