#pragma once

#include "config/AtomicFile.h"
#include "config/DateTime.h"

#include <QByteArrayView>
#include <QString>

// The file and folder helpers of the element store. Paths use "/", folder paths may end with
// one. None of them writes through a symbolic link: renames and deletions act on the link
// itself, and a move never replaces an existing file.
namespace glanix {

class Env;

// The folder with "/" separators and one trailing "/"; an empty folder stays empty.
QString withSlash(QString folder);

// Creates the folder with every missing parent; failures go to the error log.
void CreeRepIfNotExists(const QString& folder, Env* log = nullptr);

// Moves a file or a folder. Never replaces what exists at `destination`. Across file systems
// a folder's content is moved into a new folder and the old one removed.
bool MoveFileOrDir(const QString& source, const QString& destination);

// Deletes the folder and its content (links are removed, never followed).
bool DeleteTree(const QString& folder);

// Removes a file (a link itself, never its target); false when nothing was removed.
bool RemoveFile(const QString& path);

// True when something (a file, a folder, a link, even a dangling one) is at `path`.
bool PathExists(const QString& path);

// Removes the folder (one trailing "/" allowed) when it is empty.
bool RemoveDirIfEmpty(const QString& folder);

bool DirectoryExists(const QString& folder);
qint64 FileSizeOf(const QString& path); // -1 when missing
TDateTime FileDateOf(const QString& path); // -1 when missing
bool SetFileDate(const QString& path, TDateTime date);

// True unless the file exists with exactly these bytes.
bool StreamDiffers(QByteArrayView content, const QString& path);

// Compares text skipping tags, blanks and line breaks on both sides; false when the file is
// missing.
bool SameTextIgnoringTags(QByteArrayView content, const QString& path);

// Stores a prepared new copy at `path`, keeping `keep` old versions ("p (2).htm" is the newest,
// those past `keep` + 1 go), in an order that survives a kill or a full disk at any step: the
// old versions move up, the current copy gets a second name as version 2 (a hard link, else a
// copy), then the new copy is renamed over it. At every moment `path` holds the old or the new copy and every
// version that must stay has a name; on failure the old copy stays current with its versions. With `keep` 0
// the old versions go.
WriteResult StoreNewCopy(PreparedFile& file, const QString& path, int keep, Env* log = nullptr);

// Removes, in the folder and below it, the temporary files of writes that no running process
// will finish (a killed update); returns how many went.
int RemoveStrayTemporaryFiles(const QString& folder);

// A path the file system would refuse: a component over 255 bytes or the whole over 4095.
bool PathTooLong(const QString& path);

// The path with every existing part resolved (links followed), the rest appended as it is.
QString resolvedPath(const QString& path);

// True when `path`, links resolved, lies inside `folder` (links resolved as well).
bool isInsideFolder(const QString& path, const QString& folder);

} // namespace glanix
