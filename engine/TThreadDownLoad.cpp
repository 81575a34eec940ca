#include "engine/TThreadDownLoad.h"

#include "config/AtomicFile.h"
#include "config/DeferredFileWriter.h"
#include "config/Env.h"
#include "config/OptGene.h"
#include "engine/CycleAnswers.h"
#include "engine/CycleStatus.h"
#include "engine/EngineTexts.h"
#include "engine/Http.h"
#include "engine/HttpProbe.h"
#include "engine/Scheduler.h"
#include "store/Addresses.h"
#include "store/ContentTypes.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/ModifiedTest.h"
#include "store/PageAnalysis.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace glanix {

namespace {

constexpr int kMaxPasses = 5;

// "Now" for the client's unreadable date headers: the start of the transfer. The worker
// never reads the program's clock, which belongs to the user-interface thread.
class TransferClock final : public Clock {
public:
    QDateTime now() const override { return m_now; }

    void set(TDateTime t) { m_now = fromDateTime(t); }

private:
    QDateTime m_now = QDateTime::currentDateTime();
};

// Depth-first order of two nodes of the same tree.
bool precedes(const TreeNode* a, const TreeNode* b)
{
    if (a == b || !a || !b)
        return false;
    std::vector<const TreeNode*> pa, pb;
    for (const TreeNode* n = a; n && !n->isRoot(); n = n->parent() ? n->parent() : nullptr)
        pa.insert(pa.begin(), n);
    for (const TreeNode* n = b; n && !n->isRoot(); n = n->parent() ? n->parent() : nullptr)
        pb.insert(pb.begin(), n);
    for (size_t i = 0; i < std::min(pa.size(), pb.size()); ++i) {
        if (pa[i] != pb[i])
            return pa[i]->row() < pb[i]->row();
    }
    return pa.size() < pb.size();
}

QString mainType(const QString& contentType)
{
    QString type = contentType.toLower();
    const qsizetype semicolon = type.indexOf(u';');
    if (semicolon >= 0)
        type.truncate(semicolon);
    type = type.trimmed();
    return type.isEmpty() ? QStringLiteral("text/html") : type;
}

QByteArray charsetOf(const QString& contentType)
{
    const qsizetype at = contentType.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    QString value = contentType.mid(at + 8);
    const qsizetype end = value.indexOf(u';');
    if (end >= 0)
        value.truncate(end);
    value = value.trimmed();
    value.remove(u'"');
    value.remove(u'\'');
    return value.toLatin1();
}

// The stored file's name with the extension the content type asks for.
QString fileNameForType(TElement& e)
{
    const QString current = e.GetSaveFileName();
    if (current.isEmpty())
        return current;
    KnownTypes& known = e.store().knownTypes();
    const QString wanted = ExtensionForType(e.ContentType, current, &known);
    const QString own = fileExtension(current).trimmed().toLower();
    if (wanted.isEmpty() || own == wanted.toLower())
        return current;
    if (!own.isEmpty() && extensionsOfType(e.ContentType).contains(own))
        return current;
    return current.left(current.size() - fileExtension(current).size()) + wanted;
}

bool isWebAddress(const QString& url)
{
    return url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace

TThreadDownLoad::TThreadDownLoad(Scheduler& owner, TElement* element)
    : m_owner(owner)
    , m_element(element)
{
    LastActivity = owner.env().now();
}

TThreadDownLoad::~TThreadDownLoad()
{
    requestTerminate();
    resume();
    wait();
    discardPreparedFile(m_prepared);
}

void TThreadDownLoad::requestTerminate()
{
    {
        std::lock_guard lock(m_suspendMutex);
        m_terminate = true;
    }
    m_suspendCondition.notify_all();
}

void TThreadDownLoad::resume()
{
    {
        std::lock_guard lock(m_suspendMutex);
        m_suspended = false;
    }
    m_suspendCondition.notify_all();
}

void TThreadDownLoad::suspendSelf()
{
    const auto since = std::chrono::steady_clock::now();
    {
        std::unique_lock lock(m_suspendMutex);
        m_suspended = true;
        m_suspendCondition.wait(lock, [this] { return !m_suspended.load() || m_terminate.load(); });
        m_suspended = false;
    }
    // Held back by the bandwidth limit: that time is not the server's.
    if (Http)
        Http->deadline().postpone(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since));
}

void TThreadDownLoad::checkTerminate() const
{
    if (m_terminate.load())
        throw ETerminated();
}

void TThreadDownLoad::runOnOwnerThread(void (TThreadDownLoad::*step)(), Qt::ConnectionType type)
{
    // The scheduler lives on the user-interface thread, and so does this object.
    QMetaObject::invokeMethod(
        this,
        [this, step] {
            if (!m_owner.closing())
                (this->*step)();
        },
        type);
}

void TThreadDownLoad::sync(void (TThreadDownLoad::*step)())
{
    runOnOwnerThread(step, Qt::BlockingQueuedConnection);
}

// --- Worker ----------------------------------------------------------------------------------

void TThreadDownLoad::run()
{
    int stage = 0;
    try {
        execute();
        stage = 1;
    } catch (...) {
        const QString message = QStringLiteral("On ne devrait jamais être là dans le thread %1 %2")
                                    .arg(QString::number(stage), ElementName);
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                if (!m_owner.closing())
                    m_owner.env().logError(message);
            },
            Qt::BlockingQueuedConnection);
    }
    if (m_terminate.load())
        return;
    try {
        sync(&TThreadDownLoad::DoEndComm);
    } catch (...) {
        const QString message = QStringLiteral("Pb dans DoEndComm ? ") + ElementName;
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                if (!m_owner.closing())
                    m_owner.env().logError(message);
            },
            Qt::BlockingQueuedConnection);
    }
}

void TThreadDownLoad::execute()
{
    auto clock = std::make_shared<TransferClock>();
    Http = std::make_unique<T_HTTP>(clock);
    sync(&TThreadDownLoad::DoStart);
    clock->set(StartTime);

    IsNew = IsModified = false;
    Received = 0;
    NewAddress.clear();
    Downloaded = false;
    if (m_answer) {
        useStoredAnswer();
    } else {
        // One limit for the whole exchange, redirections included.
        Http->deadline().start(std::chrono::milliseconds(m_timeLimitMs));
        bool redirected = false;
        for (int pass = 1; pass <= kMaxPasses && !m_terminate.load(); ++pass) {
            oneRequest();
            if (Status != 301 && Status != 304)
                Status = Http->StatusCode;
            redirected = followRedirection();
            if (!redirected)
                break;
        }
        if (redirected && !m_terminate.load())
            tooManyRedirections();
    }
    Http->OnTrace = nullptr;
    Http->OnDataReceived = nullptr;
    prepareDocument();
    sync(&TThreadDownLoad::CommFinished);
    Http.reset();
}

void TThreadDownLoad::useStoredAnswer()
{
    // The exchange another element of this address just had, as if it were this one's: the
    // same fields, the same decision, the same body when the copy here is older.
    T_HTTP& h = *Http;
    const StoredAnswer& a = *m_answer;
    h.Stream.clear();
    h.StatusCode = a.statusCode;
    h.StatusText = a.statusText;
    h.ContentLength = a.contentLength;
    h.LastModified = a.lastModified;
    h.ServerDate = a.serverDate;
    h.ETag = a.etag;
    h.ContentType = a.contentType;
    h.Location.clear();
    Downloaded = h.headAnswerAllowsGet() && h.changedSince(StoredETag, StoredSize, StoredDate);
    if (Downloaded)
        h.Stream = a.body;
    m_usedAnswer = Downloaded;
    Status = h.StatusCode;
}

void TThreadDownLoad::rememberAnswer(const TElement& e)
{
    const T_HTTP& h = *Http;
    const bool whole = h.ContentLength < 1 || h.Stream.size() == h.ContentLength;
    if (m_answer || e.Kind != kindImage || InfoOnly || m_cut || m_terminate.load() || Status != 200
        || h.StatusCode != 200 || !NewAddress.isEmpty() || h.URL != e.GetURL() || h.Stream.isEmpty() || !whole
        || !e.Complete || !h.Authenticate.isEmpty())
        return;
    m_owner.answers().remember(h.URL,
                               StoredAnswer {.statusCode = h.StatusCode,
                                             .statusText = h.StatusText,
                                             .contentLength = h.ContentLength,
                                             .lastModified = h.LastModified,
                                             .serverDate = h.ServerDate,
                                             .etag = h.ETag,
                                             .contentType = h.ContentType,
                                             .body = h.Stream});
}

void TThreadDownLoad::prepareDocument()
{
    // Writing and syncing the copy is the slow part of storing it: it is done here, beside
    // the stored file, and CommFinished only renames it when it decides to keep it.
    const T_HTTP& h = *Http;
    if (InfoOnly || SavePath.isEmpty() || m_cut || m_terminate.load() || h.StatusCode < 200
        || h.StatusCode >= 300 || h.Stream.isEmpty() || PathTooLong(SavePath))
        return;
    if (m_image && h.ContentLength >= 1 && h.Stream.size() < h.ContentLength)
        return; // an incomplete image is not stored
    if (!StreamDiffers(h.Stream, SavePath))
        return; // nothing new to write
    prepareCopy();
}

bool TThreadDownLoad::prepareCopy()
{
    if (SavePath.isEmpty() || PathTooLong(SavePath)) {
        m_storeError = QStringLiteral("Chemin trop long : ") + SavePath;
        return false;
    }
    const QString folder = QFileInfo(SavePath).path();
    // A link planted in the agent's folders must not carry the copy (or a folder) elsewhere.
    if (!m_storeFolders.isEmpty()
        && std::none_of(m_storeFolders.cbegin(), m_storeFolders.cend(),
                        [&](const QString& root) { return isInsideFolder(folder, root); })) {
        m_storeError = QStringLiteral("Chemin hors de l'agent : ") + SavePath;
        return false;
    }
    CreeRepIfNotExists(folder);
    m_prepared = prepareFileAtomically(SavePath, Http->Stream);
    if (!m_prepared.ok()) {
        m_storeError = m_prepared.error;
        m_noSpace = m_prepared.noSpace;
        return false;
    }
    return true;
}

void TThreadDownLoad::oneRequest()
{
    T_HTTP& h = *Http;
    m_cut = false;
    m_loadedPartial = 0;
    h.Stream.clear();
    try {
        const QString url = h.URL;
        const qsizetype form = url.indexOf(QLatin1String("??"));
        if (form >= 0) {
            h.URL = url.left(form);
            h.Stream = url.mid(form + 2).toUtf8();
            // The client throws on its own failures here; they become statuses as for a GET,
            // and the posted body must not pass for the answer.
            try {
                h.Post();
            } catch (const ETcpIpError& e) {
                h.setFailure(e);
                h.Stream.clear();
            }
            Downloaded = h.StatusCode > 0;
            return;
        }
        if (!WasComplete && !SavePath.isEmpty()) {
            QFile partial(SavePath);
            if (partial.open(QIODevice::ReadOnly)) {
                h.Stream = partial.readAll();
                Received = h.Stream.size();
                m_loadedPartial = h.Stream.size();
            }
        }
        Downloaded = h.GetIfModified(StoredETag, StoredSize, InfoOnly, StoredDate);
        if (!m_terminate.load() && h.StatusCode == kStatusSocketError)
            Downloaded = h.GetIfModified(StoredETag, StoredSize, InfoOnly, StoredDate);
    } catch (...) {
        Downloaded = false;
        m_cut = true;
    }
}

bool TThreadDownLoad::followRedirection()
{
    T_HTTP& h = *Http;
    const QString location = h.Location;
    // A transfer cut at its time limit goes no further.
    if (location.isEmpty() || location == h.URL || h.StatusCode == kStatusTimeLimit)
        return false;
    const qsizetype semicolon = location.indexOf(u';');
    const QString cut = semicolon >= 0 ? location.left(semicolon) : location;
    const QString resolved = ResolveURL(h.URL, cut);
    // Only web addresses are followed (no file://, ftp:// or mailto:).
    if (!isWebAddress(resolved))
        return false;
    if (h.StatusCode == 301)
        NewAddress = cut;
    h.URL = resolved;
    return true;
}

void TThreadDownLoad::tooManyRedirections()
{
    // The passes ran out on yet another redirection: a loop or an endless chain is a
    // failure, not the redirection's status.
    T_HTTP& h = *Http;
    h.StatusCode = kStatusProtocolError;
    h.StatusText = QCoreApplication::translate("T_HTTP", "Trop de redirections (plus de %1)").arg(kMaxPasses);
    h.Stream.clear();
    Status = kStatusProtocolError;
    NewAddress.clear();
    Downloaded = false;
}

void TThreadDownLoad::post(void (TThreadDownLoad::*step)())
{
    runOnOwnerThread(step, Qt::QueuedConnection);
}

void TThreadDownLoad::Trace(const QString& line, int level)
{
    checkTerminate();
    const QString message = traceMessage(line, level);
    if (!message.isEmpty()) {
        // The lines of a burst reach the user-interface thread together, in order, and the
        // worker does not wait for them: they only show and record what happened.
        bool first = false;
        {
            std::lock_guard lock(m_progressMutex);
            first = m_pendingTraces.isEmpty();
            m_pendingTraces.append(message);
        }
        if (first)
            post(&TThreadDownLoad::DoTrace);
    }
    checkTerminate();
}

void TThreadDownLoad::DataReceived(qint64 count)
{
    Received = Http->Stream.size();
    Expected = Http->ContentLength > 0 ? Http->ContentLength : StoredSize;
    LastBlock = count;
    if (m_bandwidthLimit.load() > 0) {
        // The limit needs the cycle's byte count as this block leaves it.
        {
            std::lock_guard lock(m_progressMutex);
            m_progress.received = Received;
            m_progress.expected = Expected;
            m_progress.bytes += LastBlock;
            m_progress.pending = true;
        }
        sync(&TThreadDownLoad::DoDataReceived);
        const qint64 cycleBytes = CycleBytes.load();
        const qint64 tenths = m_elapsedTenths.load();
        if (cycleBytes > 0 && tenths > 0) {
            const double rate = static_cast<double>(cycleBytes) * 10 / static_cast<double>(tenths) / 1024;
            if (rate > m_bandwidthLimit.load())
                suspendSelf();
        }
    } else {
        bool first = false;
        {
            std::lock_guard lock(m_progressMutex);
            first = !m_progress.pending;
            m_progress.received = Received;
            m_progress.expected = Expected;
            m_progress.bytes += LastBlock;
            m_progress.pending = true;
        }
        if (first)
            post(&TThreadDownLoad::DoDataReceived);
    }
    checkTerminate();
}

// --- User-interface thread ----------------------------------------------------------------

bool TThreadDownLoad::keepCommsOf(const TElement& e) const
{
    return e.Kind != kindImage || m_owner.opt().SaveCommsForImg;
}

void TThreadDownLoad::addMessage(TElement& e, const QString& line) const
{
    if (keepCommsOf(e))
        e.Messages.append(line);
}

void TThreadDownLoad::DoStart()
{
    m_owner.downloadStarted(this);
    m_started = true;
    StartTime = m_owner.env().now();
    LastActivity = StartTime;
    TElement* e = m_element;
    if (!e)
        return;
    try {
        if (e->Node())
            e->Node()->setBold(true);
        m_owner.status().setPanel(panelRunning, engine_texts::running(m_owner.Running));
        const TOptGene& opt = m_owner.opt();
        T_HTTP& h = *Http;
        h.Proxy = opt.Proxy;
        h.NoCache = false;
        h.URL = e->GetURL();
        if (TElement* parent = e->Parent(); parent && parent->isAddressOrPage()
            && parent->GetURL().startsWith(QLatin1String("http"), Qt::CaseInsensitive))
            h.Reference = parent->GetURL();
        h.Agent = QStringLiteral("Glanix/" GLANIX_VERSION);
        h.setTlsOptions(m_owner.tlsOptions());
        h.setTerminateFlag(&m_terminate);
        h.OnTrace = [this](T_TcpIp&, const QString& line, int level) { Trace(line, level); };
        h.OnDataReceived = [this](T_HTTP&, TransferMode, qint64 count) { DataReceived(count); };
        ElementName = e->GetName();
        SavePath = e->GetSavePath();
        if (TElement* agent = e->GetAgent(); agent && agent->Kind == kindAgent) {
            for (const QString& folder : {agent->GetSavePath(), agent->GetChildsPath()}) {
                if (!folder.isEmpty())
                    m_storeFolders.append(folder);
            }
        }
        StoredDate = !SavePath.isEmpty() && QFileInfo::exists(SavePath) ? e->LastModified : 0;
        StoredETag = e->Etag;
        InfoOnly = e->GetDownLoadType() == 1;
        WasComplete = e->Complete;
        m_image = e->Kind == kindImage || e->IsImage();
        // An image whose exchanges are not recorded can take what another element of the same
        // address got in this cycle.
        if (e->Kind == kindImage && !opt.SaveCommsForImg && !InfoOnly && WasComplete)
            m_answer = m_owner.answers().find(h.URL);
        StoredSize = e->Size;
        m_bandwidthLimit = m_owner.connection().byModem() ? 0 : opt.BandWithLimit;
        // The whole transfer gets the time a silent one is allowed: TimeOut, and TimeOutByPage
        // for each download in progress (this one included).
        const qint64 seconds = opt.TimeOut + qint64(opt.TimeOutByPage) * std::max(1, m_owner.Running);
        m_timeLimitMs = std::clamp<qint64>(seconds, 1, 86400) * 1000;
    } catch (...) {
        if (m_owner.env().isDebug())
            m_owner.env().logError(QStringLiteral("Problème dans DoStart ") + ElementName);
    }
}

void TThreadDownLoad::DoTrace()
{
    QStringList lines;
    {
        std::lock_guard lock(m_progressMutex);
        lines.swap(m_pendingTraces);
    }
    if (m_terminate.load() || lines.isEmpty())
        return;
    try {
        TraceLine = lines.constLast();
        m_owner.status().setPanel(panelCommunication, ElementName + TraceLine);
        if (m_element) {
            for (const QString& line : std::as_const(lines))
                addMessage(*m_element, line);
        }
        LastActivity = m_owner.env().now();
    } catch (...) {
        m_owner.env().logError(QStringLiteral("Pb dans DoTrace "));
    }
}

void TThreadDownLoad::DoDataReceived()
{
    Progress progress;
    {
        std::lock_guard lock(m_progressMutex);
        progress = std::exchange(m_progress, Progress {});
    }
    if (m_terminate.load() || !progress.pending)
        return;
    int step = 0;
    try {
        step = 1;
        TreeNode* node = m_element ? m_element->Node() : nullptr;
        if (progress.expected > 0 && node)
            node->setText(QString::number(progress.received * 100 / progress.expected) + QStringLiteral(" % ")
                          + ElementName);
        step = 2;
        m_owner.addCycleBytes(progress.bytes);
        CycleBytes = m_owner.BytesThisCycle;
        step = 3;
        const TDateTime now = m_owner.env().now();
        LastActivity = now;
        m_elapsedTenths = std::llround((now - m_owner.CycleStart) * 864000);
        m_bandwidthLimit = m_owner.connection().byModem() ? 0 : m_owner.opt().BandWithLimit;
    } catch (...) {
        if (m_owner.env().isDebug()) {
            m_owner.env().logError(
                QStringLiteral("Pb dans DoDataReceived %1 %2 %3")
                    .arg(QString::number(step), ElementName, m_element ? m_element->GetURL() : QString()));
        }
    }
}

void TThreadDownLoad::DoEndComm()
{
    try {
        ++m_owner.NbVerified;
        if (TreeNode* node = m_element ? m_element->Node() : nullptr) {
            node->setText(m_element->GetName());
            node->setBold(false);
        }
        if (IsNew && m_counted)
            ++m_owner.NbNew;
        if (IsModified && m_counted)
            ++m_owner.NbModified;
    } catch (...) {
        m_owner.env().logError(QStringLiteral("Pb dans DoEndComm "));
    }
}

void TThreadDownLoad::CommFinished()
{
    // What the worker posted before is shown and recorded first.
    DoTrace();
    DoDataReceived();
    TElement* ep = m_element;
    if (!ep)
        return;
    TElement& e = *ep;
    T_HTTP& h = *Http;
    Env& env = m_owner.env();
    // The element files this step writes are synced and renamed by the store's writing
    // thread.
    DeferredFileWriter::Scope deferred(e.store().writer());
    try {
        e.Complete = true;
        e.LastVerified = StartTime;
        Downloaded = h.StatusCode < 300;
        // A failed or cut transfer that brought nothing new leaves the stored copy as it was,
        // complete or not; what the stream holds then is the partial copy put there to resume.
        const bool cut = m_cut || h.StatusCode < 0;
        if (cut && h.Stream.size() <= m_loadedPartial) {
            h.Stream.clear();
            e.Complete = WasComplete;
        }
        // A download the time-out interrupted keeps -6, so that it is restarted only once.
        if (m_timedOut)
            Status = -6;
        if (Status != 0)
            e.StatusNumber = Status;
        addMessage(e, h.StatusText);
        if (InfoOnly)
            storeInformation(e);
        else
            storeFullDownload(e);
        if (m_storing && !m_storeError.isEmpty())
            storeFailed(e);
        for (const QString& value : h.Authenticate)
            e.Messages.append(value);
    } catch (...) {
        if (env.isDebug())
            e.Messages.append(QStringLiteral("CommFinished interrompu"));
    }
    try {
        // A server that could not be reached failed as surely as one that answered 404.
        if (e.State != stateUnread)
            e.SetState(e.StatusNumber < 0 || e.StatusNumber >= 400 ? stateError : stateRead);
        if (e.Complete && e.StatusNumber == 206)
            e.StatusNumber = 200;
        e.Save();
        // The icon follows the status even when nothing was stored (never fetched, now failed).
        e.ImageIndex = -1;
        e.GetImageIndex();
        if (e.Node()) {
            e.Node()->notifyChanged();
            e.store().host().refreshNode(e.Node());
        }
    } catch (...) {
        env.logError(QStringLiteral("Erreur dans CommFinished : ") + ElementName);
    }
    discardPreparedFile(m_prepared);
    if (m_childrenAdded)
        m_owner.childrenAdded();

    rememberAnswer(e);
    DownloadReport report;
    report.localCopy = m_usedAnswer;
    report.status = e.StatusNumber;
    report.statusText = StatusText(e.StatusNumber, e.Complete);
    report.url = e.GetURL();
    report.name = e.GetName();
    report.bytes = h.Stream.size();
    if (m_terminate.load() || h.StatusCode == kStatusTimeLimit)
        report.outcome = DownloadReport::Outcome::Interrupted;
    else if (IsNew)
        report.outcome = DownloadReport::Outcome::New;
    else if (IsModified)
        report.outcome = DownloadReport::Outcome::Modified;
    else if (e.StatusNumber < 0 || e.StatusNumber >= 400)
        report.outcome = DownloadReport::Outcome::Error;
    else
        report.outcome = DownloadReport::Outcome::Unchanged;
    m_owner.downloadFinished(this, report);
}

void TThreadDownLoad::storeFullDownload(TElement& e)
{
    T_HTTP& h = *Http;
    const bool cut = m_cut || h.StatusCode < 0;
    if (Downloaded) {
        e.Etag = h.ETag;
        if (!h.Stream.isEmpty()) {
            // Without a length, only the server's closing tells the end: a cut transfer is not.
            const bool complete = h.ContentLength >= 1 ? h.Stream.size() >= h.ContentLength : !cut;
            if (complete) {
                if (e.LastModified > 0 && e.StatusNumber != 206)
                    Downloaded
                        = IsModifiedContent(e, h.Stream, e.GetSavePath(), m_owner.opt().CompareTextOnly);
                else
                    Downloaded = true;
            } else {
                // An image is whole or nothing: an incomplete one is not stored.
                const bool image = e.Kind == kindImage || e.IsImage();
                Downloaded = !image;
                e.Complete = false;
            }
        } else {
            Downloaded = false;
        }
    }
    if (Downloaded) {
        storeNewContent(e);
    } else if (!cut && (h.StatusCode == 304 || (h.StatusCode >= 200 && h.StatusCode < 300))
               && e.GetDownLoadImages() && CompleteRequisites(e)) {
        // Unchanged, but stored by a version that did not keep what it needs to be shown.
        m_childrenAdded = true;
    }
}

void TThreadDownLoad::storeNewContent(TElement& e)
{
    T_HTTP& h = *Http;
    Env& env = m_owner.env();
    // The new copy is on disk, beside its place, before anything of the element changes: a
    // full disk or a refused folder leaves the element describing the copy it has.
    m_storing = true;
    if (!prepareOnOwnerThread())
        return;
    const QString oldType = e.ContentType;
    e.ContentType = mainType(h.ContentType);
    if (env.isDebug())
        e.Messages.append(QStringLiteral("        ") + e.GetSavePath() + QStringLiteral("  Type : ")
                          + e.ContentType);
    const QString fileName = fileNameForType(e);
    if (fileName != e.GetSaveFileName()) {
        e.SetFileName(fileName);
        if (env.isDebug())
            e.Messages.append(QStringLiteral("Devient ") + e.GetSavePath());
    }
    try {
        analysePage(e);
    } catch (...) {
        env.logError(QStringLiteral("Pb dans l'analyse du fichier ") + ElementName);
    }

    // On failure the file on disk is still the old one: the element keeps describing it,
    // so that its next check finds the change again.
    if (!writeDocument(e, e.Complete && WasComplete)) {
        e.ContentType = oldType;
        return;
    }
    e.Location = NewAddress;
    e.SetPosition(0);
    if (e.Kind != kindImage && e.Complete)
        e.SetState(stateUnread);
    // New: the element had no stored version before this download.
    IsNew = e.LastModified == 0;
    IsModified = !IsNew;
    // Style sheets, fonts and scripts come with their page: they are not pages of their own.
    m_counted = !(e.Kind == kindImage && IsRequisiteType(e.ContentType));
    e.ImageIndex = -1;
    e.BeforeLastModified = e.LastModified;
    e.DateDownloaded = env.now();
    TDateTime modified = h.LastModified;
    if (h.LastModified <= 0)
        modified = e.DateDownloaded;
    else if (h.ServerDate > 0 && h.LastModified > h.ServerDate)
        modified = h.ServerDate;
    e.SetLastModified(modified);
    SetFileDate(e.GetSavePath(), e.LastModified);
    if (e.BeforeLastModified == e.LastModified)
        e.BeforeLastModified = 0;
    e.BeforeSize = e.Size;
    e.Size = static_cast<qint32>(h.ContentLength >= 1 ? h.ContentLength : h.Stream.size());
    refreshViews(e);
}

void TThreadDownLoad::analysePage(TElement& e)
{
    T_HTTP& h = *Http;
    Env& env = m_owner.env();
    TreeNode* node = e.Node();
    if (e.HasExt() && e.ContentType == u"text/html") {
        e.FreeAnalysis();
        const QString before = e.GetSavePath();
        const QString refresh = AnalysePage(e, &h.Stream, charsetOf(h.ContentType));
        if (env.isDebug() && e.GetSavePath() != before)
            e.Messages.append(before + QStringLiteral(" -> ") + e.GetSavePath());
        CreateFramePages(e);
        if (e.GetDownLoadImages())
            CreateImageChildren(e);
        if (e.GetDownLoadLinksDepth() > 0)
            CreateLinkedPages(e);
        if (!refresh.isEmpty())
            createRefreshChild(e, refresh);
        m_childrenAdded = true;
    } else if (e.Kind == kindImage && IsStyleSheet(e)
               && CreateStyleSheetChildren(e, h.Stream, charsetOf(h.ContentType))) {
        // What the sheet loads belongs to its page, and is fetched next like the page's images.
        m_childrenAdded = true;
        if (TElement* page = e.Parent(); page && page->Node())
            node = page->Node();
    }
    // New children are examined next: the cursor goes back to the page.
    if (m_owner.opt().PriorityToChilds && node && m_owner.NodeEnCours && precedes(node, m_owner.NodeEnCours))
        m_owner.NodeEnCours = node;
}

void TThreadDownLoad::createRefreshChild(TElement& e, const QString& refresh)
{
    const QString resolved = ResolveURL(e.GetURL(), refresh);
    if (resolved.isEmpty())
        return;
    e.Messages.append(QStringLiteral("meta http-equiv=\"Refresh\" URL=") + resolved);
    e.store().loadEveryAgent();
    if (e.FindElementByURL(resolved) || !e.Node())
        return;
    auto* child = new TElement(e.store());
    child->SetHasExt(true);
    child->Kind = kindPage;
    child->SetParent(&e);
    child->SetName(UniqueSiblingName(QStringLiteral("Http-Equiv "), nullptr, e.Node()));
    child->SetURL(resolved);
    child->MakeFolder(QFileInfo(child->GetIniFileName()).path());
    e.Node()->addSorted(child->GetName(), child);
    child->Save();
}

bool TThreadDownLoad::prepareOnOwnerThread()
{
    if (!m_storeError.isEmpty())
        return false;
    // Unless the worker wrote it already (it does not when the stored copy has the same
    // bytes, or for a partial copy completed).
    return m_prepared.ok() || prepareCopy();
}

bool TThreadDownLoad::writeDocument(TElement& e, bool shift)
{
    const QString path = e.GetSavePath();
    if (path.isEmpty()) {
        discardPreparedFile(m_prepared);
        m_storeError = QStringLiteral("Pas de nom de fichier pour ") + ElementName;
        return false;
    }
    // The copy was prepared beside SavePath; the file name may have changed since with the
    // content type or the title, never its folder.
    if (QFileInfo(path).absolutePath() != m_prepared.folder) {
        discardPreparedFile(m_prepared);
        SavePath = path;
        if (!prepareCopy())
            return false;
    }
    PreparedFile fresh = std::exchange(m_prepared, PreparedFile {});
    // An element made moments ago may have its file still waiting: it goes first, so that a
    // run killed now leaves no copy that no element names.
    if (!e.store().writer().settle(e.GetIniFileName())) {
        discardPreparedFile(fresh);
        m_storeError = QStringLiteral("Fichier de l'élément non écrit : ") + e.GetIniFileName();
        return false;
    }
    // A partial copy completed is not a version of its own.
    const WriteResult r = shift ? StoreNewCopy(fresh, path, e.GetVersions(), &m_owner.env())
                                : commitPreparedFile(fresh, path);
    if (!r.ok) {
        m_storeError = r.error;
        m_noSpace = r.noSpace;
    }
    return r.ok;
}

void TThreadDownLoad::storeFailed(TElement& e)
{
    // The element keeps describing the copy it has, and says why the new one is not there.
    Env& env = m_owner.env();
    env.logError(QStringLiteral("SaveToFile ne peut créer ") + SavePath + u' ' + ElementName
                 + QStringLiteral(" : ") + m_storeError);
    e.StatusNumber = kStatusNotStored;
    e.Complete = WasComplete;
    e.Messages.append(StatusText(kStatusNotStored) + QStringLiteral(" : ") + m_storeError);
    IsNew = IsModified = false;
    if (m_noSpace)
        m_owner.status().diskFull(SavePath);
}

void TThreadDownLoad::storeInformation(TElement& e)
{
    if (!Downloaded)
        return;
    T_HTTP& h = *Http;
    e.Etag = h.ETag;
    e.Location = NewAddress;
    e.ContentType = h.ContentType.toLower();
    e.ImageIndex = -1;
    const TDateTime old = e.LastModified;
    e.DateDownloaded = m_owner.env().now();
    if (h.LastModified <= 0) {
        if (h.ContentLength >= 1 && h.ContentLength != e.Size)
            e.SetLastModified(e.DateDownloaded);
    } else if (h.LastModified > e.LastModified) {
        e.SetLastModified(h.ServerDate > 0 && h.LastModified > h.ServerDate ? h.ServerDate : h.LastModified);
    }
    if (e.LastModified != old) {
        e.BeforeLastModified = old;
        e.BeforeSize = e.Size;
        e.Size = static_cast<qint32>(h.ContentLength >= 1 ? h.ContentLength : 0);
        IsNew = e.BeforeLastModified == 0;
        IsModified = !IsNew;
    }
}

void TThreadDownLoad::refreshViews(TElement& e)
{
    const QString& clicked = m_owner.URLClicked;
    if (clicked.isEmpty())
        return;
    if (e.GetURL() == clicked) {
        m_owner.view().clickedDocumentStored(&e);
        return;
    }
    if (e.Kind != kindImage || !e.Parent())
        return;
    TElement* page = e.Parent();
    TElement* above = page->Parent();
    if (page->GetURL() == clicked || (page->isAddressOrPage() && above && above->GetURL() == clicked))
        m_owner.view().clickedImageStored(&e);
}

} // namespace glanix
