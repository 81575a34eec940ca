#pragma once

#include <QString>

// Handing stored documents to the desktop's programs: a page or its live address to the
// browser, any other stored file to the program its type is associated with. A stored file
// is never executed: a program is copied to the temporary folder and opened from there with
// whatever the desktop associates with it, after the user is told.
namespace glanix {

class Env;
class Launcher;
class TElement;
class UserPrompt;
struct TOptGene;

struct OutsideOpening {
    Env& env;
    Launcher& launcher;
    UserPrompt& prompt;
    const TOptGene& opt;

    // "Version &locale" (`local`) and "Version &distante"; false when nothing was opened.
    bool open(TElement& element, bool local);
    // Version `version` of the element (1 the current file) in the browser or its program.
    bool openVersion(TElement& element, int version);

private:
    bool openAddress(const QString& address);
    bool openInBrowser(const QString& target);
};

} // namespace glanix
