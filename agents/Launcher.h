#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The one way Glanix hands something to the desktop: an address or a file to the program the
// desktop associates with it (browser, mail handler, viewer), or a program the user chose in
// the options. The desktop program implements it; tests record what would have been started.
namespace glanix {

class Launcher {
public:
    virtual ~Launcher() = default;

    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // The desktop's text editor on the file; false when the desktop names none.
    virtual bool openInTextEditor(const QString& file) = 0;
};

} // namespace glanix
