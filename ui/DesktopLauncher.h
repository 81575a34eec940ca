#pragma once

#include "agents/Launcher.h"

// Launcher on the desktop: xdg-open through QDesktopServices, programs detached.
namespace glanix {

class DesktopLauncher final : public Launcher {
public:
    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool openInTextEditor(const QString& file) override;
};

} // namespace glanix
