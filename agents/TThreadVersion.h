#pragma once

#include "config/DateTime.h"
#include "engine/SocketChannel.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>

// The weekly update check. Once per run, when downloading begins, the version-information
// file named by CheckUpDate/URL in Glanix.ini (none: no check) is fetched at most once a
// week with the program's HTTP client on a thread of its own (TThreadVersion), so that it
// never delays a download. The newest version announced is kept in CheckUpDate/LastVersion,
// which the caption shows at the next start. Only the fetch runs on the thread: the error
// log, the files and Glanix.ini are written on the user-interface thread, where every
// other writer of Glanix.ini runs.
namespace glanix {

class Env;

class TThreadVersion final : public QThread {
    Q_OBJECT

public:
    struct Result {
        bool ok = false; // no exception and status 200
        bool exception = false;
        int status = 0;
        QByteArray body;
    };

    TThreadVersion(QString url, QString proxy, QString agent, TlsOptions tls, QObject* parent = nullptr);
    ~TThreadVersion() override;

    // The fetch gives up at its next socket wait.
    void requestTerminate() { m_terminate = true; }

    // Valid once the thread has finished.
    const Result& result() const { return m_result; }

protected:
    void run() override;

private:
    QString m_url;
    QString m_proxy;
    QString m_agent;
    TlsOptions m_tls;
    std::atomic<bool> m_terminate = false;
    Result m_result;
};

class UpdateCheck final : public QObject {
    Q_OBJECT

public:
    static constexpr double kPeriodDays = 7;

    explicit UpdateCheck(Env& env, TlsOptions tls = {}, QObject* parent = nullptr);
    // Stops a fetch still running and waits for it.
    ~UpdateCheck() override;

    // Starts the check unless it was started before in this run; `proxy` is General/Proxy.
    void start(const QString& proxy);
    void stop();

    bool started() const { return m_started; }

    bool running() const { return m_thread != nullptr; }

signals:
    // The outcome was recorded.
    void finished(bool ok);

private:
    void threadDone();

    Env& m_env;
    TlsOptions m_tls;
    TThreadVersion* m_thread = nullptr;
    TDateTime m_nextAfter = 0; // T of the check under way
    bool m_started = false;
};

} // namespace glanix
