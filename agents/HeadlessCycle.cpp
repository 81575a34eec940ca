#include "agents/HeadlessCycle.h"

#include "agents/AgentFile.h"
#include "config/Env.h"
#include "config/FrenchText.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "config/TerminationSignals.h"
#include "config/UserPrompt.h"
#include "engine/CycleStatus.h"
#include "engine/EngineTexts.h"
#include "engine/HttpText.h"
#include "engine/Scheduler.h"
#include "store/ElementStore.h"
#include "store/NextCheck.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("HeadlessCycle", text);
}

// Messages (a full disk) go to the error stream; questions take their default answer.
class StreamPrompt final : public UserPrompt {
public:
    explicit StreamPrompt(QTextStream& err)
        : m_err(err)
    {
    }

    Button ask(Icon, const QString& text, unsigned, Button defaultButton) override
    {
        m_err << text << '\n';
        m_err.flush();
        return defaultButton;
    }

    bool confirm(const QString& text, const std::function<void(bool)>&) override
    {
        m_err << text << '\n';
        return false;
    }

private:
    QTextStream& m_err;
};

} // namespace

QString outcomeWord(DownloadReport::Outcome outcome)
{
    switch (outcome) {
    case DownloadReport::Outcome::New:
        return tr("nouveau");
    case DownloadReport::Outcome::Modified:
        return tr("modifié");
    case DownloadReport::Outcome::Unchanged:
        return tr("inchangé");
    case DownloadReport::Outcome::Error:
        return tr("erreur");
    case DownloadReport::Outcome::Interrupted:
        return tr("interrompu");
    }
    return {};
}

QString downloadLine(const DownloadReport& report)
{
    return outcomeWord(report.outcome) + u'\t' + report.statusText + u'\t' + withoutCredentials(report.url);
}

QString cycleTotalLine(qint64 bytes)
{
    const double ko = static_cast<double>(bytes) / 1024;
    return tr("Total %1 Ko").arg(frenchNumber(ko, bytes < 10 * 1024 ? 1 : 0));
}

QString cycleDurationLine(qint64 milliseconds)
{
    return tr("Durée %1 s").arg(frenchNumber(static_cast<double>(milliseconds) / 1000, 2));
}

HeadlessCycle::HeadlessCycle(Env& env, QTextStream& out, QTextStream& err)
    : m_env(env)
    , m_out(out)
    , m_err(err)
{
}

void HeadlessCycle::downloadEnded(const DownloadReport& report)
{
    if (report.localCopy)
        ++m_localCopies;
    m_out << downloadLine(report) << '\n';
    // Each line is out as soon as it is known: cron mails what a killed run had done.
    m_out.flush();
}

bool HeadlessCycle::run(const QStringList& agents)
{
    QElapsedTimer elapsed;
    elapsed.start();
    Settings settings(m_env);
    settings.readOptions();
    TOptGene& opt = settings.Opt();
    // Nobody is there to end a cycle kept open.
    opt.KeepReady = false;

    ElementStore store(m_env);
    store.setSeeImages(opt.SeeImages);
    store.setFavoritesFolder(opt.FavoritesFolder);
    const QStringList names = agents.isEmpty() ? openedAgentNames(m_env) : agents;
    if (names.isEmpty()) {
        m_err << tr("Aucun agent à mettre à jour") << '\n';
        return false;
    }
    for (const QString& name : names) {
        QString error;
        if (!openAgent(store, agentFilePath(m_env.home(), name), {}, &error)) {
            m_err << error << '\n';
            return false;
        }
    }

    StreamPrompt prompt(m_err);
    EngineContext context {store, opt};
    context.view = this;
    context.prompt = &prompt;
    context.nextCheck = [](const TElement& e) { return nextCheckTime(e); };
    Scheduler scheduler(context);
    m_localCopies = 0;
    m_signal = 0;
    QEventLoop loop;
    QObject::connect(&scheduler, &Scheduler::cycleEnded, &loop, &QEventLoop::quit);
    // Ctrl+C or a kill ends the downloads and the cycle; what the cycle did is still said.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &loop, [&](int number) {
        if (m_signal != 0)
            return;
        m_signal = number;
        scheduler.interruptAll();
        loop.quit();
    });
    scheduler.startTimeOutWatch();
    scheduler.startCommand();
    if (scheduler.inCycle())
        loop.exec();
    scheduler.shutdown();

    m_verified = scheduler.NbVerified;
    m_created = scheduler.NbNew;
    m_modified = scheduler.NbModified;
    if (m_signal != 0) {
        m_err << tr("Mise à jour interrompue (signal %1)").arg(m_signal) << '\n';
        m_err.flush();
    }
    m_out << engine_texts::counters(m_verified, m_created, m_modified) << '\n';
    m_out << cycleTotalLine(scheduler.BytesThisCycle) << '\n';
    if (m_localCopies > 0)
        m_out << tr("Copies locales %1").arg(m_localCopies) << '\n';
    m_out << cycleDurationLine(elapsed.elapsed()) << '\n';
    m_out.flush();
    return true;
}

} // namespace glanix
