#pragma once

#include "config/Settings.h"

#include <QByteArray>
#include <QString>

// What the main window's logic (MainController, AgentCommands) asks of the window itself:
// its caption, cursor, tree selection and focus, geometry and tool bars, and the controls
// that mirror settings. The window implements it with widgets; tests give a recording fake.
namespace glanix {

class TreeNode;

class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;

    virtual void setCaption(const QString& caption) = 0;
    // The hourglass cursor, from creation to the end of start-up.
    virtual void setBusy(bool busy) = 0;

    virtual TreeNode* selectedNode() const = 0;
    // Null clears the selection.
    virtual void selectNode(TreeNode* node) = 0;
    virtual void expandNode(TreeNode* node) = 0;
    // The node's text, icon or mark may have changed.
    virtual void refreshNode(TreeNode* node) = 0;
    virtual void focusTree() = 0;

    // Shift (or Escape) held while starting: view windows are not reopened.
    virtual bool startupKeysHeld() const = 0;

    // What loading the settings gives the window, and what it hands back at shutdown
    // (geometry, tree panel width, address history; the rest is filled in by the caller).
    virtual DisplayInfo displayInfo() const = 0;
    virtual void applyWindowState(const MainWindowState& state) = 0;
    virtual MainWindowState captureWindowState() const = 0;
    virtual bool treePanelVisible() const = 0;
    virtual void showTreePanel() = 0;

    virtual void restoreToolbars(const QByteArray& state) = 0;
    virtual QByteArray toolbarState() const = 0;

    // Opt changed behind the window's back (the check marks that mirror it follow).
    virtual void optionsChanged() = 0;
    // Menu entries and tool buttons follow the state (tree empty, current element, lists).
    virtual void updateCommands() = 0;
    // Lets pending events run during a wait.
    virtual void processEvents() = 0;
    // The error log shown at exit in debug mode.
    virtual void openTextFile(const QString& path) = 0;
};

} // namespace glanix
