#include "config/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace glanix {

namespace {

std::atomic<int> g_failures {0};

QString errnoText(const char* what, const QString& path, int err)
{
    return QStringLiteral("%1 %2 : %3").arg(QString::fromUtf8(what), path, QString::fromLocal8Bit(strerror(err)));
}

QString temporaryName(const QString& dir)
{
    // Short and fixed-length, so a target name near the 255-byte limit still has room.
    thread_local std::mt19937_64 rng {std::random_device {}()};
    return dir + QStringLiteral("/.glanix-%1.tmp").arg(rng() & 0xFFFFFFFFFFull, 10, 16, QLatin1Char('0'));
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

} // namespace

void failNextAtomicWrites(int count)
{
    g_failures.store(count);
}

WriteResult writeFileAtomically(const QString& path, QByteArrayView data, bool sync)
{
    const QFileInfo info(path);
    const QString dir = info.absolutePath();
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());

    // The umask can only be read by setting it; do it once, before worker threads write.
    static const mode_t kUmask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    mode_t mode = 0666 & ~kUmask;
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 && S_ISREG(st.st_mode))
        mode = st.st_mode & 07777;

    QByteArray tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        tmp = QFile::encodeName(temporaryName(dir));
        fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return {false, errnoText("Création impossible dans", dir, errno)};

    bool ok = writeAll(fd, data);
    int err = errno;
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
    if (ok && g_failures.load() > 0) {
        g_failures.fetch_sub(1);
        ok = false;
        err = EIO;
    }
    if (ok && ::rename(tmp.constData(), target.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.constData());
        return {false, errnoText("Écriture impossible de", path, err)};
    }
    return {true, {}};
}

} // namespace glanix
