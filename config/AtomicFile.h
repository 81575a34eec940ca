#pragma once

#include <QByteArray>
#include <QString>

// Every file Glanix rewrites goes through here: the new content is written to a fresh
// temporary file in the target's folder, flushed, and renamed over the target, so a crash
// or a full disk leaves either the old file or the new one, never a half-written one.
namespace glanix {

struct WriteResult {
    bool ok = false;
    QString error; // French, for the error log
    bool noSpace = false; // the file system is full
};

// The replaced file's permissions are kept; a symlink at the target is replaced, never
// written through. `sync` forces the data to disk before the rename.
WriteResult writeFileAtomically(const QString& path, QByteArrayView data, bool sync = true);

// The same in two steps, so that the slow one can run on another thread: the new content is
// written (and synced) to a temporary file in the target's folder, then renamed over a
// target in that folder. A prepared file that is not committed must be discarded.
struct PreparedFile {
    QString temporary; // empty when nothing was written
    QString folder; // absolute, without trailing "/"
    QString error; // French, when the preparation failed
    bool noSpace = false; // the file system is full

    bool ok() const { return !temporary.isEmpty(); }
};

PreparedFile prepareFileAtomically(const QString& path, QByteArrayView data, bool sync = true);
// Renames the prepared file over `path`, which must lie in the folder it was prepared for;
// on failure the temporary file is removed. Either way `file` is emptied.
WriteResult commitPreparedFile(PreparedFile& file, const QString& path);
void discardPreparedFile(PreparedFile& file);

// Test seam: makes the next `count` atomic writes fail just before their rename.
void failNextAtomicWrites(int count);

// Test seam: fault injection for the store's file steps (temporary writes, renames, links,
// removals) on paths holding `onlyPathsContaining` (all when empty). Steps are counted from 1
// after the call; steps `first` to `first + count - 1` fail with `err`. Every step from
// `first` on failing is a process that died there; `first` 0 turns it off.
void failFileSteps(int first, int count, int err, const QString& onlyPathsContaining = {});
// Counts one step on `path`; the errno it must fail with, or 0. A removal fails only for a
// dead process: a full disk lets files go.
int fileStepFault(const QString& path, bool removal = false);

// True when `name` is one of the temporary files written here.
bool isTemporaryFileName(const QString& name);
// True when the temporary file `name` belongs to a process that still runs (this one
// included); names without a process number are judged by their age.
bool temporaryFileInUse(const QString& path);

} // namespace glanix
