#pragma once

#include <QString>

// The program's version text ("Glanix/3.0", also its HTTP user agent), and the main window's
// caption at the end of start-up, which announces a newer version once the update check has
// recorded one in section CheckUpDate of Glanix.ini.
namespace glanix {

class Env;

QString versionText();
// The version number as captions show it ("3.0").
QString versionNumber();

// True when the version text is at least CheckUpDate/LastVersion.
bool isUpToDate(const Env& env);
// Compares two version texts ("Glanix/3.10" > "Glanix/3.9"): negative, 0 or positive. The
// numbers after the slash compare as numbers; anything else as text.
int compareVersions(const QString& a, const QString& b);

// "Glanix 3.0", or "Une nouvelle version existe (" LastVersion ") : " and the download page
// (CheckUpDate/DownloadPage).
QString startupCaption(const Env& env);

} // namespace glanix
