#include "store/FileOps.h"

#include "config/AtomicFile.h"
#include "config/Env.h"
#include "store/FileNames.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace glanix {

namespace {

QString withoutTrailingSlash(const QString& path)
{
    return path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path;
}

bool lstatPath(const QString& path, struct stat& st)
{
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool isRealDir(const QString& path)
{
    struct stat st { };

    return lstatPath(path, st) && S_ISDIR(st.st_mode);
}

bool existsNoFollow(const QString& path)
{
    struct stat st { };

    return lstatPath(path, st);
}

// rename(2) that fails instead of replacing the destination.
int renameNoReplace(const QString& source, const QString& destination)
{
    if (const int err = fileStepFault(source))
        return err;
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: check, then rename.
    if (existsNoFollow(destination))
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

bool copyFileNoReplace(const QString& source, const QString& destination)
{
    struct stat st { };

    if (!lstatPath(source, st))
        return false;
    if (S_ISLNK(st.st_mode)) {
        char target[4096];
        const ssize_t n = ::readlink(QFile::encodeName(source).constData(), target, sizeof target - 1);
        if (n < 0)
            return false;
        target[n] = 0;
        return ::symlink(target, QFile::encodeName(destination).constData()) == 0;
    }
    return QFile::copy(source, destination);
}

bool moveAcross(const QString& source, const QString& destination)
{
    if (!isRealDir(source)) {
        if (!copyFileNoReplace(source, destination))
            return false;
        return ::unlink(QFile::encodeName(source).constData()) == 0;
    }
    if (!QDir().mkpath(destination))
        return false;
    bool ok = true;
    const QDir dir(source);
    const auto entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : entries)
        ok = MoveFileOrDir(source + u'/' + name, destination + u'/' + name) && ok;
    return ok && ::rmdir(QFile::encodeName(source).constData()) == 0;
}

QByteArray readFile(const QString& path, bool* exists)
{
    QFile file(path);
    *exists = file.open(QIODevice::ReadOnly);
    return *exists ? file.readAll() : QByteArray();
}

} // namespace

QString withSlash(QString folder)
{
    folder.replace(u'\\', u'/');
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

void CreeRepIfNotExists(const QString& folder, Env* log)
{
    const QString path = withoutTrailingSlash(folder);
    if (path.isEmpty() || QFileInfo(path).isDir())
        return;
    qsizetype from = 1;
    while (true) {
        const qsizetype slash = path.indexOf(u'/', from);
        const QString prefix = slash < 0 ? path : path.left(slash);
        if (!prefix.isEmpty() && !QFileInfo(prefix).isDir()) {
            if (::mkdir(QFile::encodeName(prefix).constData(), 0777) != 0 && errno != EEXIST && log)
                log->logError(QStringLiteral("Répertoire ") + prefix + QStringLiteral(" non créé"));
        }
        if (slash < 0)
            break;
        from = slash + 1;
    }
}

bool MoveFileOrDir(const QString& source, const QString& destination)
{
    const QString from = withoutTrailingSlash(source);
    const QString to = withoutTrailingSlash(destination);
    if (from.isEmpty() || to.isEmpty() || !existsNoFollow(from))
        return false;
    const int err = renameNoReplace(from, to);
    if (err == 0)
        return true;
    if (err == EXDEV && !existsNoFollow(to))
        return moveAcross(from, to);
    return false;
}

bool DeleteTree(const QString& folder)
{
    const QString path = withoutTrailingSlash(folder);
    if (path.isEmpty())
        return false;
    if (!isRealDir(path))
        return ::unlink(QFile::encodeName(path).constData()) == 0;
    return QDir(path).removeRecursively();
}

bool RemoveFile(const QString& path)
{
    struct stat st { };

    if (path.isEmpty() || !lstatPath(path, st) || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

bool PathExists(const QString& path)
{
    return !path.isEmpty() && existsNoFollow(path);
}

bool RemoveDirIfEmpty(const QString& folder)
{
    const QString path = withoutTrailingSlash(folder);
    return !path.isEmpty() && isRealDir(path) && ::rmdir(QFile::encodeName(path).constData()) == 0;
}

bool DirectoryExists(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(withoutTrailingSlash(folder)).isDir();
}

qint64 FileSizeOf(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}

TDateTime FileDateOf(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? toDateTime(info.lastModified()) : -1;
}

bool SetFileDate(const QString& path, TDateTime date)
{
    const QDateTime when = fromDateTime(date);
    if (!when.isValid())
        return false;
    const qint64 ms = when.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(ms / 1000);
    times[1].tv_nsec = static_cast<long>((ms % 1000) * 1000000);
    if (ms < 0 && ms % 1000 != 0) {
        times[1].tv_sec -= 1;
        times[1].tv_nsec += 1000000000L;
    }
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool StreamDiffers(QByteArrayView content, const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != content.size())
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    qsizetype pos = 0;
    while (pos < content.size()) {
        const QByteArray chunk = file.read(1 << 16);
        if (chunk.isEmpty()
            || QByteArrayView(chunk) != content.sliced(pos, std::min(chunk.size(), content.size() - pos)))
            return true;
        pos += chunk.size();
    }
    return !file.atEnd();
}

bool SameTextIgnoringTags(QByteArrayView content, const QString& path)
{
    bool exists = false;
    const QByteArray stored = readFile(path, &exists);
    if (!exists)
        return false;
    // Advances past tags and blanks; returns the position of the next character that counts.
    auto skip = [](QByteArrayView s, qsizetype i) {
        while (i < s.size()) {
            const char c = s[i];
            if (c == '<') {
                const qsizetype close = s.indexOf('>', i + 1);
                i = close < 0 ? s.size() : close + 1;
            } else if (c == '\n' || c == '\f' || c == '\r' || c == ' ') {
                ++i;
            } else {
                break;
            }
        }
        return i;
    };
    const QByteArrayView old(stored);
    qsizetype i = 0;
    qsizetype j = 0;
    while (true) {
        i = skip(content, i);
        j = skip(old, j);
        if (i >= content.size() || j >= old.size())
            break;
        if (content[i] != old[j])
            return false;
        ++i;
        ++j;
    }
    // Text added at the end (or cut from it) is a change like any other.
    return i >= content.size() && j >= old.size();
}

namespace {

// The old versions of `path` that exist, lowest number first. A process killed while
// shifting leaves a gap; what lies past it is still found.
std::vector<int> existingVersions(const QString& path, int keep, Env* log)
{
    std::vector<int> found;
    int missing = 0;
    for (int n = 2; missing < 2 || n <= keep + 2; ++n) {
        if (existsNoFollow(SaveFileNameVersionPrec(path, n, log))) {
            found.push_back(n);
            missing = 0;
        } else {
            ++missing;
        }
        if (n > 255)
            break;
    }
    return found;
}

// Moves the old versions up one number, so that version 2 is free, without ever replacing one:
// the k-th old version becomes number k + 3 (numbers from 0), which also closes a gap that a
// killed shift left; those that would pass `keep` + 1 go. Returns the renames done, so that a
// failed store can undo them.
std::vector<std::pair<int, int>> shiftOldVersions(const QString& path, int keep, Env* log)
{
    std::vector<std::pair<int, int>> moves;
    std::vector<int> versions = existingVersions(path, keep, log);
    const auto name = [&](int n) { return SaveFileNameVersionPrec(path, n, log); };
    while (!versions.empty() && static_cast<int>(versions.size()) + 2 > keep + 1) {
        if (fileStepFault(name(versions.back()), true) == 0)
            ::unlink(QFile::encodeName(name(versions.back())).constData());
        versions.pop_back();
    }
    const int count = static_cast<int>(versions.size());
    const auto move = [&](int k) {
        const int from = versions[static_cast<size_t>(k)];
        if (renameNoReplace(name(from), name(k + 3)) == 0)
            moves.emplace_back(from, k + 3);
    };
    // Those below the first gap move up, the highest first; those above it move down to
    // close it, the lowest first.
    for (int k = count - 1; k >= 0; --k) {
        if (versions[static_cast<size_t>(k)] < k + 3)
            move(k);
    }
    for (int k = 0; k < count; ++k) {
        if (versions[static_cast<size_t>(k)] > k + 3)
            move(k);
    }
    return moves;
}

void unshiftOldVersions(const QString& path, const std::vector<std::pair<int, int>>& moves, Env* log)
{
    for (auto it = moves.rbegin(); it != moves.rend(); ++it)
        renameNoReplace(SaveFileNameVersionPrec(path, it->second, log),
                        SaveFileNameVersionPrec(path, it->first, log));
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa { };

    struct stat sb { };

    return lstatPath(a, sa) && lstatPath(b, sb) && S_ISREG(sa.st_mode) && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

// A second name for the current copy: a hard link, else a copy written atomically (file
// systems without links, such as FAT).
int linkOrCopy(const QString& path, const QString& version)
{
    if (const int err = fileStepFault(version))
        return err;
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(version);
    if (::link(from.constData(), to.constData()) == 0)
        return 0;
    const int err = errno;
    if (err == EEXIST || err == ENOSPC || err == EDQUOT || err == ENOENT)
        return err;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return EIO;
    PreparedFile copy = prepareFileAtomically(version, file.readAll());
    if (!copy.ok())
        return copy.noSpace ? ENOSPC : EIO;
    const WriteResult r = commitPreparedFile(copy, version);
    return r.ok ? 0 : (r.noSpace ? ENOSPC : EIO);
}

} // namespace

WriteResult StoreNewCopy(PreparedFile& file, const QString& path, int keep, Env* log)
{
    if (!file.ok())
        return {false, file.error, file.noSpace};
    if (keep <= 0 || !existsNoFollow(path)) {
        if (keep <= 0) {
            // No old version is kept: those left from an earlier setting go.
            for (const int n : existingVersions(path, 0, log)) {
                const QString version = SaveFileNameVersionPrec(path, n, log);
                if (fileStepFault(version, true) == 0)
                    ::unlink(QFile::encodeName(version).constData());
            }
        }
        return commitPreparedFile(file, path);
    }
    // The current copy keeps its name until the new one replaces it in one rename: at every
    // moment `path` is the old copy or the new one, and each old version has a name.
    const QString version2 = SaveFileNameVersionPrec(path, 2, log);
    if (sameFile(path, version2) && fileStepFault(version2, true) == 0)
        ::unlink(QFile::encodeName(version2).constData()); // the second name a killed store left
    const auto moved = shiftOldVersions(path, keep, log);
    if (const int err = linkOrCopy(path, version2)) {
        unshiftOldVersions(path, moved, log);
        discardPreparedFile(file);
        return {false,
                QStringLiteral("Version précédente impossible à garder : %1 : %2")
                    .arg(version2, QString::fromLocal8Bit(strerror(err))),
                err == ENOSPC || err == EDQUOT};
    }
    const WriteResult r = commitPreparedFile(file, path);
    if (!r.ok) {
        if (fileStepFault(version2, true) == 0)
            ::unlink(QFile::encodeName(version2).constData());
        unshiftOldVersions(path, moved, log);
    }
    return r;
}

int RemoveStrayTemporaryFiles(const QString& folder)
{
    const QString root = withoutTrailingSlash(folder);
    if (root.isEmpty() || !isRealDir(root))
        return 0;
    int removed = 0;
    // Links to folders are not followed: what lies behind them is not ours to clean.
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isTemporaryFileName(it.fileName()) && !temporaryFileInUse(path) && RemoveFile(path))
            ++removed;
    }
    return removed;
}

bool PathTooLong(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() > kMaxPathBytes)
        return true;
    for (const QByteArray& part : bytes.split('/')) {
        if (part.size() > kMaxFileNameBytes)
            return true;
    }
    return false;
}

QString resolvedPath(const QString& path)
{
    QString existing = QDir::cleanPath(QDir(path).absolutePath());
    QString rest;
    while (!existing.isEmpty() && existing != u"/") {
        const QString canonical = QFileInfo(existing).canonicalFilePath();
        if (!canonical.isEmpty())
            return QDir::cleanPath(canonical + rest);
        const qsizetype slash = existing.lastIndexOf(u'/');
        rest.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
    return QDir::cleanPath(u'/' + rest);
}

bool isInsideFolder(const QString& path, const QString& folder)
{
    QString root = resolvedPath(folder);
    if (!root.endsWith(u'/'))
        root += u'/';
    return (resolvedPath(path) + u'/').startsWith(root);
}

} // namespace glanix
