#pragma once

class QMainWindow;
class QToolBar;

// The main window's docking tool bars: the views, the tree, navigation, the connection
// (start and end buttons, the end button's drop-down, the activity mark) and the address box.
// Their places are kept with QMainWindow::saveState, so each has a fixed object name.
namespace glanix {

class ActivityAnimation;
class AddressBox;
struct MainActions;

struct MainToolBars {
    QToolBar* views;
    QToolBar* tree;
    QToolBar* navigation;
    QToolBar* connection;
    QToolBar* address;
    AddressBox* addressBox;
    // Runs while downloads are in progress (the engine turns it on and off).
    ActivityAnimation* animation;
};

MainToolBars buildMainToolBars(QMainWindow* window, const MainActions& actions);

} // namespace glanix
