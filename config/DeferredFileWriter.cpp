#include "config/DeferredFileWriter.h"

#include <QFile>
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

WriteResult DeferredFileWriter::write(const QString& path, QByteArray content)
{
    {
        std::lock_guard lock(m_mutex);
        Entry& e = m_entries[path];
        e.content = std::move(content);
        ++e.version;
        if (m_deferring > 0 && m_immediate == 0 && !m_stopping) {
            if (!e.queued) {
                e.queued = true;
                m_queue.push_back(path);
                if (!m_thread.joinable())
                    m_thread = std::thread([this] { run(); });
                m_work.notify_one();
            }
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

void DeferredFileWriter::run()
{
    struct Job {
        QString path;
        quint64 version = 0;
        PreparedFile file;
    };

    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [this] { return m_stopping || (!m_queue.empty() && !m_held); });
        if (m_stopping)
            return;
        // A batch of files: their contents are written, made durable together by one sync of
        // the file system, then renamed. Each is old or new on disk at every moment.
        std::vector<Job> jobs;
        while (!m_queue.empty() && jobs.size() < kBatch) {
            const QString path = m_queue.front();
            m_queue.pop_front();
            const auto it = m_entries.find(path);
            if (it == m_entries.end() || it->busy)
                continue; // written meanwhile, or being written by another thread
            it->queued = false;
            it->busy = true;
            jobs.push_back({path, it->version, {}});
        }
        if (jobs.empty())
            continue;
        std::vector<QByteArray> contents;
        for (const Job& job : jobs)
            contents.push_back(m_entries.value(job.path).content);
        lock.unlock();
        QStringList errors;
        int folder = -1;
        for (size_t i = 0; i < jobs.size(); ++i) {
            jobs[i].file = prepareFileAtomically(jobs[i].path, contents[i], false);
            if (!jobs[i].file.ok())
                errors << jobs[i].file.error;
            else if (folder < 0)
                folder = ::open(QFile::encodeName(jobs[i].file.folder).constData(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        const bool synced = folder >= 0 && ::syncfs(folder) == 0;
        if (folder >= 0)
            ::close(folder);
        for (Job& job : jobs) {
            if (!job.file.ok())
                continue;
            if (!synced) {
                discardPreparedFile(job.file);
                errors << QStringLiteral("Écriture impossible de %1 : synchronisation refusée").arg(job.path);
                continue;
            }
            const WriteResult r = commitPreparedFile(job.file, job.path);
            if (!r.ok)
                errors << r.error;
        }
        lock.lock();
        m_errors << errors;
        for (const Job& job : jobs) {
            ++m_written;
            auto it = m_entries.find(job.path);
            it->busy = false;
            if (it->version == job.version) {
                m_entries.erase(it);
            } else if (!it->queued) {
                // Changed meanwhile: its newest content goes with a later batch.
                it->queued = true;
                m_queue.push_back(job.path);
            }
        }
        m_done.notify_all();
    }
}

void DeferredFileWriter::settle(const QString& path)
{
    if (path.isEmpty())
        return;
    QStringList below;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
            if (isAtOrBelow(it.key(), path))
                below << it.key();
        }
    }
    for (const QString& p : below)
        keepError(commitOne(p));
}

void DeferredFileWriter::settleAll()
{
    QStringList all;
    {
        std::lock_guard lock(m_mutex);
        all = m_entries.keys();
    }
    for (const QString& p : all)
        keepError(commitOne(p));
}

void DeferredFileWriter::keepError(const WriteResult& r)
{
    if (r.ok)
        return;
    std::lock_guard lock(m_mutex);
    m_errors << r.error;
}

void DeferredFileWriter::holdForTesting(bool held)
{
    {
        std::lock_guard lock(m_mutex);
        m_held = held;
    }
    m_work.notify_all();
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
