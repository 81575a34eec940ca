#include "config/DeferredFileWriter.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace glanix {

namespace {

bool isAtOrBelow(const QString& path, const QString& place)
{
    if (!path.startsWith(place))
        return false;
    return path.size() == place.size() || place.endsWith(u'/') || path[place.size()] == u'/';
}

} // namespace

DeferredFileWriter::~DeferredFileWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_work.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    settleAll();
}

void DeferredFileWriter::queue(const QString& path, Entry& e)
{
    if (e.queued)
        return;
    e.queued = true;
    e.queuedAt = Clock::now();
    m_queue.push_back(path);
    // Once stopping, whoever settles writes it: a thread started now would never be joined.
    if (!m_thread.joinable() && !m_stopping)
        m_thread = std::thread([this] { run(); });
    m_work.notify_one();
}

WriteResult DeferredFileWriter::write(const QString& path, QByteArray content)
{
    {
        std::lock_guard lock(m_mutex);
        Entry& e = m_entries[path];
        e.content = std::move(content);
        ++e.version;
        if (m_deferring > 0 && m_immediate == 0 && !m_stopping) {
            queue(path, e);
            return {true, {}};
        }
    }
    return commitOne(path);
}

std::optional<QByteArray> DeferredFileWriter::pending(const QString& path) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.constFind(path);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return it->content;
}

WriteResult DeferredFileWriter::commitOne(const QString& path)
{
    WriteResult result {true, {}};
    std::unique_lock lock(m_mutex);
    for (;;) {
        auto it = m_entries.find(path);
        if (it == m_entries.end())
            return result;
        if (it->busy) {
            // The other thread writes the newest content it finds when it is done.
            m_done.wait(lock);
            continue;
        }
        it->busy = true;
        const QByteArray content = it->content;
        const quint64 version = it->version;
        lock.unlock();
        result = writeFileAtomically(path, content);
        lock.lock();
        ++m_written;
        it = m_entries.find(path);
        it->busy = false;
        // A failure is reported, not retried: the next change of the file writes it anew.
        if (it->version == version) {
            if (it->queued)
                std::erase(m_queue, path);
            m_entries.erase(it);
        }
        m_done.notify_all();
    }
}

std::vector<DeferredFileWriter::Failure>
DeferredFileWriter::writeBatch(const QStringList& paths, const std::vector<QByteArray>& contents)
{
    // Each content is synced before its rename, file by file: syncfs() would also wait for
    // every other program's writes on the file system, blame us for their errors and miss
    // files of the batch on another file system. Writeback of the whole batch starts first,
    // so the syncs mostly find their data on disk and share one journal commit.
    std::vector<Failure> errors;
    const size_t count = static_cast<size_t>(paths.size());
    std::vector<PreparedFile> files(count);
    std::vector<int> fds(count, -1);
    std::vector<int> errs(count, 0);
    for (size_t i = 0; i < count; ++i) {
        files[i] = prepareFileAtomically(paths[static_cast<qsizetype>(i)], contents[i], false);
        if (!files[i].ok()) {
            errors.push_back({paths[static_cast<qsizetype>(i)], files[i].error, files[i].noSpace});
            continue;
        }
        fds[i] = ::open(QFile::encodeName(files[i].temporary).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fds[i] < 0)
            errs[i] = errno;
        else
            ::sync_file_range(fds[i], 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    for (size_t i = 0; i < count; ++i) {
        PreparedFile& f = files[i];
        if (!f.ok())
            continue;
        const QString& path = paths[static_cast<qsizetype>(i)];
        int err = errs[i];
        if (fds[i] >= 0) {
            if (::fdatasync(fds[i]) != 0)
                err = errno;
            ::close(fds[i]);
        }
        if (err != 0) {
            discardPreparedFile(f);
            errors.push_back({path,
                              QStringLiteral("Écriture impossible de %1 : %2")
                                  .arg(path, QString::fromLocal8Bit(strerror(err))),
                              err == ENOSPC || err == EDQUOT});
            continue;
        }
        const WriteResult r = commitPreparedFile(f, path);
        if (!r.ok)
            errors.push_back({path, r.error, r.noSpace});
    }
    return errors;
}

void DeferredFileWriter::writeNow(std::unique_lock<std::mutex>& lock, QStringList paths)
{
    while (!paths.isEmpty()) {
        QStringList batch;
        std::vector<QByteArray> contents;
        std::vector<quint64> versions;
        bool othersBusy = false;
        for (const QString& path : std::as_const(paths)) {
            const auto it = m_entries.find(path);
            if (it == m_entries.end())
                continue;
            if (it->busy) {
                othersBusy = true;
                continue;
            }
            if (batch.size() == kBatch)
                break;
            it->busy = true;
            batch << path;
            contents.push_back(it->content);
            versions.push_back(it->version);
        }
        if (!batch.isEmpty()) {
            lock.unlock();
            const std::vector<Failure> errors = writeBatch(batch, contents);
            lock.lock();
            batchWritten(batch, versions, errors);
        } else if (othersBusy) {
            m_done.wait(lock);
        }
        QStringList left;
        for (const QString& path : std::as_const(paths)) {
            if (m_entries.contains(path))
                left << path;
        }
        paths = std::move(left);
    }
}

void DeferredFileWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [this] { return m_stopping || (!m_queue.empty() && !m_held); });
        if (m_stopping)
            return;
        // Waiting lets the changes that follow a file's first one join it.
        const Clock::time_point due
            = m_entries.value(m_queue.front()).queuedAt + std::chrono::milliseconds(kDelayMs);
        if (Clock::now() < due) {
            m_work.wait_until(lock, due, [this] { return m_stopping; });
            continue;
        }
        QStringList batch;
        std::vector<QByteArray> contents;
        std::vector<quint64> versions;
        const Clock::time_point now = Clock::now();
        while (!m_queue.empty() && batch.size() < kBatch) {
            const auto it = m_entries.find(m_queue.front());
            if (it == m_entries.end() || !it->queued) {
                m_queue.pop_front();
                continue;
            }
            if (it->queuedAt + std::chrono::milliseconds(kDelayMs) > now)
                break;
            m_queue.pop_front();
            it->queued = false;
            if (it->busy)
                continue; // settle() writes it, and the newest content with it
            it->busy = true;
            batch << it.key();
            contents.push_back(it->content);
            versions.push_back(it->version);
        }
        if (batch.isEmpty())
            continue;
        lock.unlock();
        const std::vector<Failure> errors = writeBatch(batch, contents);
        lock.lock();
        batchWritten(batch, versions, errors);
    }
}

void DeferredFileWriter::batchWritten(const QStringList& batch, const std::vector<quint64>& versions,
                                      const std::vector<Failure>& errors)
{
    for (const Failure& f : errors)
        m_errors << f.error;
    if (!m_failures.empty()) {
        // A file written since its last failure no longer fails.
        std::erase_if(m_failures, [&](const Failure& old) {
            return batch.contains(old.path)
                && std::none_of(errors.begin(), errors.end(), [&](const Failure& f) { return f.path == old.path; });
        });
    }
    m_failures.insert(m_failures.end(), errors.begin(), errors.end());
    for (qsizetype i = 0; i < batch.size(); ++i) {
        ++m_written;
        const auto it = m_entries.find(batch[i]);
        it->busy = false;
        if (it->version == versions[static_cast<size_t>(i)]) {
            if (it->queued)
                std::erase(m_queue, batch[i]);
            m_entries.erase(it);
        } else {
            queue(batch[i], *it); // changed meanwhile: its newest content goes later
        }
    }
    m_done.notify_all();
}

bool DeferredFileWriter::settle(const QString& path)
{
    if (path.isEmpty())
        return true;
    std::unique_lock lock(m_mutex);
    QStringList below;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (isAtOrBelow(it.key(), path))
            below << it.key();
    }
    writeNow(lock, below);
    return std::none_of(m_failures.cbegin(), m_failures.cend(),
                        [&](const Failure& f) { return f.path == path; });
}

void DeferredFileWriter::settleAll()
{
    std::unique_lock lock(m_mutex);
    writeNow(lock, m_entries.keys());
}

void DeferredFileWriter::holdForTesting(bool held)
{
    {
        std::lock_guard lock(m_mutex);
        m_held = held;
    }
    m_work.notify_all();
}

std::vector<DeferredFileWriter::Failure> DeferredFileWriter::takeFailures()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failures, {});
}

QStringList DeferredFileWriter::takeErrors()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_errors, {});
}

int DeferredFileWriter::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_entries.size());
}

int DeferredFileWriter::writtenCount() const
{
    std::lock_guard lock(m_mutex);
    return m_written;
}

} // namespace glanix
