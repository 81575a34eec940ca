#include "config/AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace glanix {

namespace {

std::atomic<int> g_failures {0};
std::atomic<int> g_step {0};
std::atomic<int> g_firstFailing {0}; // 0: no fault injected
std::atomic<int> g_lastFailing {0};
std::atomic<int> g_stepError {0};
std::mutex g_filterMutex;
QString g_filter; // only paths holding it fail

QString errnoText(const char* what, const QString& path, int err)
{
    return QStringLiteral("%1 %2 : %3")
        .arg(QString::fromUtf8(what), path, QString::fromLocal8Bit(strerror(err)));
}

QString temporaryName(const QString& dir)
{
    // Short and fixed-length, so a target name near the 255-byte limit still has room.
    // The shared generator: download threads live for one document, and seeding one per
    // thread cost more than the write of a small file.
    // The process number tells a later run whether the file is still being written.
    const quint64 n = QRandomGenerator::global()->generate64() & 0xFFFFFFFFull;
    return dir
        + QStringLiteral("/.glanix-%1-%2.tmp")
              .arg(QString::number(::getpid()), QStringLiteral("%1").arg(n, 8, 16, QLatin1Char('0')));
}

bool writeAll(int fd, QByteArrayView data)
{
    const char* p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

mode_t currentUmask()
{
    // Read without changing it: download threads create files at the same time.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return static_cast<mode_t>(mask & 0777);
            }
        }
    }
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
}

mode_t modeFor(const QByteArray& target)
{
    static const mode_t kUmask = currentUmask();

    struct stat st { };

    if (::lstat(target.constData(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    return 0666 & ~kUmask;
}

} // namespace

void failNextAtomicWrites(int count)
{
    g_failures.store(count);
}

void failFileSteps(int first, int count, int err, const QString& onlyPathsContaining)
{
    {
        std::lock_guard lock(g_filterMutex);
        g_filter = onlyPathsContaining;
    }
    g_stepError.store(err);
    g_step.store(0);
    g_lastFailing.store(count >= std::numeric_limits<int>::max() - first ? std::numeric_limits<int>::max()
                                                                         : first + count - 1);
    g_firstFailing.store(std::max(first, 0));
}

int fileStepFault(const QString& path, bool removal)
{
    const int first = g_firstFailing.load();
    if (first == 0)
        return 0;
    {
        std::lock_guard lock(g_filterMutex);
        if (!g_filter.isEmpty() && !path.contains(g_filter))
            return 0;
    }
    const int step = ++g_step;
    const int err = g_stepError.load();
    if (removal && (err == ENOSPC || err == EDQUOT))
        return 0;
    return step >= first && step <= g_lastFailing.load() ? err : 0;
}

bool isTemporaryFileName(const QString& name)
{
    return name.startsWith(QLatin1String(".glanix-")) && name.endsWith(QLatin1String(".tmp"));
}

bool temporaryFileInUse(const QString& path)
{
    const QFileInfo info(path);
    const QStringList parts = info.fileName().split(u'-');
    bool ok = false;
    const qint64 pid = parts.size() == 3 ? parts[1].toLongLong(&ok) : 0;
    if (ok && pid > 0)
        return pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    // Older names carry no process number: one that nobody touched for an hour is left over.
    return info.lastModified().secsTo(QDateTime::currentDateTime()) < 3600;
}

PreparedFile prepareFileAtomically(const QString& path, QByteArrayView data, bool sync)
{
    const QFileInfo info(path);
    PreparedFile out;
    out.folder = info.absolutePath();
    const mode_t mode = modeFor(QFile::encodeName(info.absoluteFilePath()));

    QByteArray tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        tmp = QFile::encodeName(temporaryName(out.folder));
        fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        out.noSpace = errno == ENOSPC || errno == EDQUOT;
        out.error = errnoText("Création impossible dans", out.folder, errno);
        return out;
    }
    int err = fileStepFault(path);
    bool ok = err == 0;
    if (ok) {
        ok = writeAll(fd, data);
        err = errno;
    } else {
        // Dead or out of space halfway: what was written stays behind.
        (void)writeAll(fd, data.first(data.size() / 2));
    }
    if (ok && ::fchmod(fd, mode) != 0) {
        ok = false;
        err = errno;
    }
    if (ok && sync && ::fdatasync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        if (fileStepFault(path, true) == 0)
            ::unlink(tmp.constData());
        out.error = errnoText("Écriture impossible de", path, err);
        out.noSpace = err == ENOSPC || err == EDQUOT;
        return out;
    }
    out.temporary = QFile::decodeName(tmp);
    return out;
}

WriteResult commitPreparedFile(PreparedFile& file, const QString& path)
{
    const PreparedFile prepared = std::exchange(file, PreparedFile {});
    if (!prepared.ok())
        return {false, prepared.error, prepared.noSpace};
    const QFileInfo info(path);
    const QByteArray tmp = QFile::encodeName(prepared.temporary);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    int err = 0;
    if (info.absolutePath() != prepared.folder)
        err = EXDEV;
    if (err == 0 && g_failures.load() > 0) {
        g_failures.fetch_sub(1);
        err = EIO;
    }
    if (err == 0)
        err = fileStepFault(path);
    if (err == 0 && ::rename(tmp.constData(), target.constData()) != 0)
        err = errno;
    if (err != 0) {
        if (fileStepFault(path, true) == 0)
            ::unlink(tmp.constData());
        return {false, errnoText("Écriture impossible de", path, err), err == ENOSPC || err == EDQUOT};
    }
    return {true, {}};
}

void discardPreparedFile(PreparedFile& file)
{
    const PreparedFile prepared = std::exchange(file, PreparedFile {});
    if (prepared.ok())
        ::unlink(QFile::encodeName(prepared.temporary).constData());
}

WriteResult writeFileAtomically(const QString& path, QByteArrayView data, bool sync)
{
    PreparedFile file = prepareFileAtomically(path, data, sync);
    return commitPreparedFile(file, path);
}

} // namespace glanix
