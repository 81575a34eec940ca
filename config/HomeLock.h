#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLockFile;

// One writer per home. The desktop program and every glanix-cli command that writes hold this
// lock (a QLockFile in the home) for their whole run, so that two programs never rewrite each
// other's element files. A lock left behind by a process that no longer runs is taken over.
namespace glanix {

class HomeLock final {
public:
    // `home` with or without its trailing "/".
    explicit HomeLock(const QString& home);
    ~HomeLock();
    HomeLock(const HomeLock&) = delete;
    HomeLock& operator=(const HomeLock&) = delete;

    // True once this process holds the home; false when another process does, or when the
    // lock file cannot be made (see failed()).
    bool tryLock();
    // Waits as long as another process holds the home; `waiting` is called once, when it has
    // to wait. False only when the lock file cannot be made.
    bool lock(const std::function<void()>& waiting = {});
    void unlock();
    bool isLocked() const;
    // The lock file could not be made (a read-only home, ...), as opposed to held elsewhere.
    bool failed() const;

    // The process that holds the home; 0 when it cannot be told.
    qint64 holder() const;
    // "Glanix est déjà ouvert sur ce dossier (processus N)", or why the lock failed.
    QString busyMessage() const;

    static QString fileName(const QString& home);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

// The local socket through which a second desktop program started on this home reaches the
// one already running there: the same for the same folder (however it was named) and user.
QString homeInstanceName(const QString& home);

} // namespace glanix
