#pragma once

#include <QString>

// The folder-browsing dialog as the agent code needs it: a title, a folder to start from, and
// the folder the user chose (empty when cancelled). The desktop program shows the system's
// folder dialog; tests answer from a script.
namespace glanix {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    virtual QString chooseFolder(const QString& title, const QString& start) = 0;
};

} // namespace glanix
