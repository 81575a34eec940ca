#pragma once

#include "config/AtomicFile.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Small files rewritten often (element files) whose atomic write may happen a little later,
// on a thread of its own. The user-interface thread records a file's new content: inside a
// deferral scope the write is queued, outside one it is done at once. Until a content is on
// disk, readers get it from here, and an operation that moves or removes files first settles
// what waits at or below its paths.
//
// A queued file is written once it has waited kDelayMs, with others: their contents go to
// temporary files, each is synced, then renamed over its file, so every file is old or new
// on disk at every moment. Contents of the same
// file coalesce meanwhile: the newest wins, a write always takes the newest content there
// is, and a page file changed by each of its images in turn is written once or twice rather
// than every time.
namespace glanix {

class DeferredFileWriter {
public:
    DeferredFileWriter() = default;
    // Writes whatever still waits.
    ~DeferredFileWriter();
    DeferredFileWriter(const DeferredFileWriter&) = delete;
    DeferredFileWriter& operator=(const DeferredFileWriter&) = delete;

    // Records the new content of `path`; outside a deferral scope it is written at once.
    WriteResult write(const QString& path, QByteArray content);
    // The content waiting to be written at `path`, if any.
    std::optional<QByteArray> pending(const QString& path) const;

    // Writes now, on this thread, what waits at `path` or below it (`path` naming a
    // folder); a write in progress on the writing thread is waited for. False when a write
    // of `path` failed and nobody took the failure yet.
    bool settle(const QString& path);
    void settleAll();

    // Failures of deferred writes since the last call, for the error log.
    QStringList takeErrors();

    // The same failures with their files, for whoever reports them on the elements.
    struct Failure {
        QString path;
        QString error; // French
        bool noSpace = false;
    };

    std::vector<Failure> takeFailures();

    // Writes are deferred while a scope lives (scopes nest).
    class Scope {
    public:
        explicit Scope(DeferredFileWriter& writer)
            : m_writer(writer)
        {
            std::lock_guard lock(m_writer.m_mutex);
            ++m_writer.m_deferring;
        }

        ~Scope()
        {
            std::lock_guard lock(m_writer.m_mutex);
            --m_writer.m_deferring;
        }

        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        DeferredFileWriter& m_writer;
    };

    // Writes made while it lives are done at once, even inside a deferral scope: an
    // operation that moves or removes files must not have a late write follow it.
    class Immediate {
    public:
        explicit Immediate(DeferredFileWriter& writer)
            : m_writer(writer)
        {
            std::lock_guard lock(m_writer.m_mutex);
            ++m_writer.m_immediate;
        }

        ~Immediate()
        {
            std::lock_guard lock(m_writer.m_mutex);
            --m_writer.m_immediate;
        }

        Immediate(const Immediate&) = delete;
        Immediate& operator=(const Immediate&) = delete;

    private:
        DeferredFileWriter& m_writer;
    };

    // Test seam: while held, the writing thread takes nothing (settle() still writes).
    void holdForTesting(bool held);

    // How long a queued file waits before it is written.
    static constexpr int kDelayMs = 200;

    // Files recorded and not written yet, and files written since the writer was made
    // (tests, diagnostics).
    int pendingCount() const;
    int writtenCount() const;

private:
    using Clock = std::chrono::steady_clock;
    static constexpr qsizetype kBatch = 128; // files open at once while a batch syncs

    struct Entry {
        QByteArray content;
        quint64 version = 0;
        Clock::time_point queuedAt;
        bool busy = false; // a thread is writing it
        bool queued = false; // in the writing thread's queue
    };

    WriteResult commitOne(const QString& path);
    // Writes the newest contents of these files as batches, waiting for those another thread
    // is writing, until none of them waits any more.
    void writeNow(std::unique_lock<std::mutex>& lock, QStringList paths);
    // One batch of files marked busy by the caller; returns the failures.
    std::vector<Failure> writeBatch(const QStringList& paths, const std::vector<QByteArray>& contents);
    void queue(const QString& path, Entry& e);
    // Under the lock, once a batch is on disk (or failed): what did not change meanwhile is done.
    void batchWritten(const QStringList& batch, const std::vector<quint64>& versions,
                      const std::vector<Failure>& errors);
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_done; // a write ended
    std::condition_variable m_work; // something was queued, or the thread must stop
    QHash<QString, Entry> m_entries;
    std::deque<QString> m_queue; // oldest first
    QStringList m_errors;
    std::vector<Failure> m_failures;
    std::thread m_thread;
    int m_deferring = 0;
    int m_immediate = 0;
    int m_written = 0;
    bool m_stopping = false;
    bool m_held = false;
};

} // namespace glanix
