#pragma once

#include <QList>
#include <QRect>
#include <QString>

// Where each view window was and how it was set up, kept in Glanix.ini in one section per
// kind and rank: the first document view in "HtmlView1", a second one beside it in
// "HtmlView2", a search-result list in "ListViewSearch1". View windows call these when they
// open and close; the rank is the number of view windows of the same kind open at that moment.
namespace glanix {

class Env;

enum class ViewKind { Html, Image, Info, List, ListSearch, ListSpecial };

QString viewPlacementSection(ViewKind kind, int rank);

struct ViewPlacement {
    bool inside = true; // lives inside the main window, else floats
    QRect geometry; // for the current `inside`
    // Information views: which blocks of the page are shown.
    bool showState = true;
    bool showProps = true;
    bool showComms = false;
    // List views: sort column and direction, column widths.
    int lastSort = 2;
    int lastSortOrder = 0;
    QList<int> columnWidths;
};

// `current` holds the window's present values, which stand for the keys that are missing.
// `inside` is read from the file only when `readStyle` is set.
ViewPlacement loadViewPlacement(const Env& env, ViewKind kind, int rank, bool readStyle,
                                const ViewPlacement& current);

// The geometry is written only for a window in the normal state.
void saveViewPlacement(Env& env, ViewKind kind, int rank, const ViewPlacement& placement, bool normalState);

// The text last searched for inside a page (document views).
QString inPageSearchText(const Env& env);
void saveInPageSearchText(Env& env, const QString& text);

} // namespace glanix
