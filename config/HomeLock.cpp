#include "config/HomeLock.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>
#include <unistd.h>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("HomeLock", text);
}

QString folderOf(const QString& home)
{
    const QString canonical = QFileInfo(home).canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? QDir(home).absolutePath() : canonical);
}

constexpr int kPollMs = 200;

} // namespace

HomeLock::HomeLock(const QString& home)
    : m_path(fileName(home))
    , m_lock(std::make_unique<QLockFile>(m_path))
{
    // Only a holder that no longer runs makes the lock stale: the desktop program holds it
    // for days.
    m_lock->setStaleLockTime(0);
}

HomeLock::~HomeLock() = default;

QString HomeLock::fileName(const QString& home)
{
    return folderOf(home) + QStringLiteral("/.glanix.lock");
}

bool HomeLock::tryLock()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

bool HomeLock::lock(const std::function<void()>& waiting)
{
    bool told = false;
    while (!tryLock()) {
        if (failed())
            return false;
        if (!told && waiting)
            waiting();
        told = true;
        QThread::msleep(kPollMs);
    }
    return true;
}

void HomeLock::unlock()
{
    m_lock->unlock();
}

bool HomeLock::isLocked() const
{
    return m_lock->isLocked();
}

bool HomeLock::failed() const
{
    return !m_lock->isLocked() && m_lock->error() != QLockFile::NoError
        && m_lock->error() != QLockFile::LockFailedError;
}

qint64 HomeLock::holder() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    return m_lock->getLockInfo(&pid, &host, &application) ? pid : 0;
}

QString HomeLock::busyMessage() const
{
    if (failed())
        return tr("Impossible de réserver le dossier de Glanix : %1").arg(m_path);
    const qint64 pid = holder();
    if (pid <= 0)
        return tr("Glanix est déjà ouvert sur ce dossier");
    return tr("Glanix est déjà ouvert sur ce dossier (processus %1)").arg(pid);
}

QString homeInstanceName(const QString& home)
{
    const QByteArray key = folderOf(home).toUtf8() + '\0' + QByteArray::number(::getuid());
    return QStringLiteral("glanix-")
        + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

} // namespace glanix
