#include "agents/TThreadVersion.h"

#include "agents/UpdateNotice.h"
#include "config/AtomicFile.h"
#include "config/Env.h"
#include "config/IniFile.h"
#include "engine/Http.h"
#include "store/FileOps.h"

namespace glanix {

namespace {

// The version file is a few lines; anything bigger is not one.
constexpr qint64 kMaxVersionFile = 64 * 1024;
constexpr int kIdleTimeoutMs = 30000;

QString stamp(const Env& env, TDateTime when)
{
    return formatDateTimeShort(fromDateTime(when > 0 ? when : env.now()));
}

// A version text as announced: one line, printable, short (it goes into the caption).
QString cleanVersion(const QString& text)
{
    QString line = text.section(u'\n', 0, 0).section(u'\r', 0, 0).trimmed();
    line.removeIf([](QChar c) { return !c.isPrint(); });
    return line.left(64);
}

} // namespace

TThreadVersion::TThreadVersion(QString url, QString proxy, QString agent, TlsOptions tls, QObject* parent)
    : QThread(parent)
    , m_url(std::move(url))
    , m_proxy(std::move(proxy))
    , m_agent(std::move(agent))
    , m_tls(std::move(tls))
{
}

TThreadVersion::~TThreadVersion()
{
    requestTerminate();
    wait();
}

void TThreadVersion::run()
{
    try {
        T_HTTP http;
        http.URL = m_url;
        http.Proxy = m_proxy;
        http.Agent = m_agent;
        http.NoCache = true;
        http.setTlsOptions(m_tls);
        http.setIdleTimeout(kIdleTimeoutMs);
        http.setTerminateFlag(&m_terminate);
        http.setMaxBodySize(kMaxVersionFile);
        http.Action();
        m_result.status = http.StatusCode;
        // Only a final answer carries the file: a 1xx or a missing status is no success.
        m_result.ok = http.StatusCode == 200;
        if (m_result.ok)
            m_result.body = http.Stream;
    } catch (...) {
        m_result.exception = true;
        m_result.ok = false;
    }
}

UpdateCheck::UpdateCheck(Env& env, TlsOptions tls, QObject* parent)
    : QObject(parent)
    , m_env(env)
    , m_tls(std::move(tls))
{
}

UpdateCheck::~UpdateCheck()
{
    stop();
}

void UpdateCheck::start(const QString& proxy)
{
    if (m_started)
        return;
    m_started = true;
    const IniFile ini(m_env.iniFileName());
    const QString url = ini.readString(u"CheckUpDate", u"URL").trimmed();
    if (url.isEmpty())
        return;
    const TDateTime now = m_env.now();
    TDateTime t = ini.readDateTime(u"CheckUpDate", u"ToDo", 0);
    // A clock set back must not put the check off for ever.
    if (t == 0 || t > now + kPeriodDays)
        t = now;
    if (now < t)
        return;
    if (m_env.isDebug())
        m_env.appendLine(QStringLiteral("IsMaj.txt"),
                         stamp(m_env, now) + QStringLiteral(" Prochaine vérification à partir de ")
                             + stamp(m_env, t + kPeriodDays));
    m_nextAfter = t;
    try {
        m_thread = new TThreadVersion(url, proxy, versionText(), m_tls, this);
        connect(m_thread, &QThread::finished, this, &UpdateCheck::threadDone);
        m_thread->start(QThread::LowPriority);
    } catch (const std::exception&) {
        m_thread = nullptr;
        m_env.logError(QStringLiteral("ThreadVersion non lancé"));
        if (m_env.isDebug())
            m_env.logError(QStringLiteral("Pb dans TThreadVersion.Create"));
    }
}

void UpdateCheck::stop()
{
    if (!m_thread)
        return;
    TThreadVersion* thread = m_thread;
    m_thread = nullptr;
    disconnect(thread, nullptr, this, nullptr);
    delete thread;
}

void UpdateCheck::threadDone()
{
    if (!m_thread)
        return;
    const TThreadVersion::Result result = m_thread->result();
    m_thread->deleteLater();
    m_thread = nullptr;

    const TDateTime now = m_env.now();
    const bool debug = m_env.isDebug();
    if (result.exception) {
        m_env.logError(QStringLiteral("Except"));
        if (debug)
            m_env.appendLine(QStringLiteral("IsMaj.txt"),
                             stamp(m_env, now) + QStringLiteral(" Http.Action pas Ok (except)"));
    } else {
        m_env.logError(result.ok ? QStringLiteral("Http.Action = Ok")
                                 : QStringLiteral("Http.Action = pas Ok"));
        if (debug)
            m_env.appendLine(QStringLiteral("IsMaj.txt"),
                             stamp(m_env, now)
                                 + (result.ok ? QStringLiteral(" Http.Action Ok")
                                              : QStringLiteral(" Http.Action pas Ok")));
    }
    if (result.ok) {
        if (debug)
            m_env.appendLine(QStringLiteral("HttpAction.txt"),
                             stamp(m_env, now)
                                 + QStringLiteral(" Http.Action effectué (fichier ini accédé)"));
        const QString news = m_env.homeFile(QStringLiteral("glanix_news.ini"));
        if (const WriteResult w = writeFileAtomically(news, result.body, false); !w.ok) {
            // Nothing learnt: the next run asks again.
            m_env.logError(w.error);
            emit finished(false);
            return;
        }
        QString last = cleanVersion(IniFile(news).readString(u"Glanix", u"LastVersion", versionText()));
        RemoveFile(news);
        if (last.isEmpty())
            last = versionText();
        IniFile ini(m_env.iniFileName());
        // Counted from when the check ran: a check that was long overdue is not repeated at
        // every start until the dates catch up.
        ini.writeDateTime(u"CheckUpDate", u"ToDo", std::max(m_nextAfter, now) + kPeriodDays);
        ini.writeString(u"CheckUpDate", u"LastVersion", last);
        if (const WriteResult w = ini.save(); !w.ok)
            m_env.logError(w.error);
    }
    emit finished(result.ok);
}

} // namespace glanix
