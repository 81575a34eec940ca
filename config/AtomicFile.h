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
};

// The replaced file's permissions are kept; a symlink at the target is replaced, never
// written through. `sync` forces the data to disk before the rename.
WriteResult writeFileAtomically(const QString& path, QByteArrayView data, bool sync = true);

// Test seam: makes the next `count` atomic writes fail just before their rename.
void failNextAtomicWrites(int count);

} // namespace glanix
