#include "ui/ViewWeb.h"

#include "views/ViewUrls.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <unistd.h>

namespace glanix {

void prepareWebEngine()
{
    for (const char* name : {kViewScheme, kViewSchemeSecure}) {
        QWebEngineUrlScheme scheme(name);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::HostAndPort);
        scheme.setDefaultPort(qstrcmp(name, kViewScheme) == 0 ? 80 : 443);
        scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
    // Whatever slipped past the interceptor would meet a proxy that is not there: no
    // connection, no name looked up.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--proxy-server"))
        flags += " --proxy-server=127.0.0.1:9 --proxy-bypass-list=<-loopback>";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    // The engine's sandbox cannot run for root; a program run as root has no sandbox anyway.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool replyWithFile(QWebEngineUrlRequestJob* job, const QString& file, const QByteArray& mimeType)
{
    auto* device = new QFile(file, job);
    if (!device->open(QIODevice::ReadOnly)) {
        delete device;
        return false;
    }
    job->reply(mimeType, device);
    return true;
}

// --- Profile ---------------------------------------------------------------------------------

class SealedProfile::Interceptor final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const auto type = info.resourceType();
        const bool document = type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame
            || type == QWebEngineUrlRequestInfo::ResourceTypeSubFrame;
        const RequestVerdict verdict = requestVerdict(info.requestUrl(), document);
        switch (verdict.action) {
        case RequestVerdict::Allow:
            if (document)
                documents.insert(info.requestUrl().toString());
            if (observer)
                types.insert(info.requestUrl().toString(), type);
            break;
        case RequestVerdict::Redirect:
            info.redirect(verdict.redirect);
            if (document)
                documents.insert(verdict.redirect.toString());
            if (observer)
                types.insert(verdict.redirect.toString(), type);
            break;
        case RequestVerdict::Block:
            info.block(true);
            refused << info.requestUrl().toString();
            if (observer)
                observer(info.requestUrl(), type, RequestOutcome::Refused);
            break;
        }
    }

    QSet<QString> documents;
    QStringList refused;
    // The handler is not told the kind of request: the interceptor's, by address, while
    // someone watches (one entry per request: a frameset and its frames ask for the same sheet).
    QMultiHash<QString, QWebEngineUrlRequestInfo::ResourceType> types;
    RequestObserver observer;
};

class SealedProfile::Handler final : public QWebEngineUrlSchemeHandler {
public:
    Handler(ViewRequests& requests, Interceptor& interceptor, QObject* parent)
        : QWebEngineUrlSchemeHandler(parent)
        , m_requests(&requests)
        , m_interceptor(interceptor)
    {
    }

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        const QUrl url = job->requestUrl();
        const QString key = url.toString();
        const bool document = m_interceptor.documents.remove(key);
        RequestOutcome outcome = RequestOutcome::Missing;
        if (m_requests)
            outcome = m_requests->answer(job, document);
        else
            job->fail(QWebEngineUrlRequestJob::RequestAborted);
        if (m_interceptor.observer) {
            const auto type = m_interceptor.types.contains(key)
                ? m_interceptor.types.take(key)
                : QWebEngineUrlRequestInfo::ResourceTypeUnknown;
            m_interceptor.observer(url, type, outcome);
        }
    }

    ViewRequests* m_requests;

private:
    Interceptor& m_interceptor;
};

SealedProfile::SealedProfile(ViewRequests& requests, QObject* parent)
    : QWebEngineProfile(parent)
    , m_interceptor(new Interceptor(this))
    , m_handler(new Handler(requests, *m_interceptor, this))
{
    setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    setSpellCheckEnabled(false);
    setUrlRequestInterceptor(m_interceptor);
    installUrlSchemeHandler(kViewScheme, m_handler);
    installUrlSchemeHandler(kViewSchemeSecure, m_handler);
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
}

SealedProfile::~SealedProfile() = default;

void SealedProfile::detach()
{
    m_handler->m_requests = nullptr;
}

const QStringList& SealedProfile::refused() const
{
    return m_interceptor->refused;
}

void SealedProfile::setRequestObserver(RequestObserver observer)
{
    m_interceptor->observer = std::move(observer);
    m_interceptor->types.clear();
}

// --- Page ------------------------------------------------------------------------------------

namespace {

// Runs in every frame, in the program's own world. Posts what the view needs to know.
const char kHelperScript[] = R"JS(
(function () {
  if (window.__glanixHelper) return;
  window.__glanixHelper = true;
  var secret = '@SECRET@';
  function send(o) { console.log(secret + JSON.stringify(o)); }
  document.addEventListener('submit', function (e) {
    e.preventDefault();
    e.stopImmediatePropagation();
    var form = e.target, fields = [];
    for (var i = 0; i < form.elements.length; ++i) {
      var c = form.elements[i], type = (c.type || '').toLowerCase();
      if (!c.name || c.disabled || type === 'file' || type === 'reset') continue;
      if ((type === 'checkbox' || type === 'radio') && !c.checked) continue;
      if ((type === 'submit' || type === 'image' || type === 'button') && c !== e.submitter) continue;
      if (c.tagName === 'SELECT') {
        for (var j = 0; j < c.options.length; ++j)
          if (c.options[j].selected) fields.push([c.name, c.options[j].value]);
        continue;
      }
      fields.push([c.name, c.value]);
    }
    var method = (e.submitter && e.submitter.getAttribute('formmethod')) || form.getAttribute('method') || 'get';
    var action = (e.submitter && e.submitter.getAttribute('formaction')) ? e.submitter.formAction : form.action;
    send({kind: 'submit', action: action, method: method, fields: fields});
  }, true);
  // Timers do not run here while the page's scripts are off; the engine sends at most one
  // scroll event a frame anyway.
  window.addEventListener('scroll', function () {
    send({kind: 'scroll', url: location.href, y: Math.round(window.scrollY)});
  }, true);
  var inside = false;
  document.addEventListener('mouseover', function () {
    if (inside) return;
    inside = true;
    send({kind: 'frame', url: location.href});
  }, true);
  document.addEventListener('mouseout', function (e) { if (!e.relatedTarget) inside = false; }, true);
})();
)JS";

// A window a page asked for: its address is a link to follow in the view, nothing more.
class WindowCatcher final : public QWebEnginePage {
public:
    WindowCatcher(QWebEngineProfile* profile, ViewPage* opener)
        : QWebEnginePage(profile, opener)
        , m_opener(opener)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        if (m_opener && url.isValid() && url.scheme() != u"about")
            emit m_opener->linkClicked(url, true);
        deleteLater();
        return false;
    }

private:
    QPointer<ViewPage> m_opener;
};

} // namespace

ViewPage::ViewPage(QWebEngineProfile* profile, bool runScripts, QObject* parent)
    : QWebEnginePage(profile, parent)
    , m_secret(QString::number(QRandomGenerator::system()->generate64(), 36)
               + QString::number(QRandomGenerator::system()->generate64(), 36) + u':')
{
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, runScripts);
    QWebEngineScript helper;
    helper.setName(QStringLiteral("glanix-helper"));
    helper.setWorldId(QWebEngineScript::ApplicationWorld);
    helper.setInjectionPoint(QWebEngineScript::DocumentCreation);
    helper.setRunsOnSubFrames(true);
    helper.setSourceCode(QString::fromLatin1(kHelperScript).replace(QStringLiteral("@SECRET@"), m_secret));
    scripts().insert(helper);
}

void ViewPage::runHelper(const QString& script, const std::function<void(const QVariant&)>& done)
{
    if (done)
        runJavaScript(script, QWebEngineScript::ApplicationWorld, done);
    else
        runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

bool ViewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    switch (type) {
    case NavigationTypeLinkClicked: {
        // An anchor in the page shown stays in the page.
        if (isMainFrame && url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment)
            && url.hasFragment())
            return true;
        if (followLink && followLink(url, isMainFrame))
            return true;
        return false;
    }
    case NavigationTypeFormSubmitted:
        return false; // the helper script reports it
    case NavigationTypeTyped:
    case NavigationTypeReload:
    case NavigationTypeBackForward:
        return requestVerdict(url, true).action != RequestVerdict::Block;
    case NavigationTypeRedirect:
        return isViewScheme(url.scheme());
    default:
        // A script moving the page elsewhere is a link followed; frames load as they are.
        if (isMainFrame && url.adjusted(QUrl::RemoveFragment) != this->url().adjusted(QUrl::RemoveFragment)
            && this->url().isValid() && !this->url().isEmpty()) {
            if (followLink)
                followLink(url, true);
            return false;
        }
        return requestVerdict(url, true).action != RequestVerdict::Block;
    }
}

QWebEnginePage* ViewPage::createWindow(WebWindowType)
{
    return new WindowCatcher(profile(), this);
}

void ViewPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                        const QString&)
{
    // The secret, not the source, tells the helper's messages: a page can name its own scripts.
    if (!message.startsWith(m_secret))
        return;
    const QJsonDocument json = QJsonDocument::fromJson(message.mid(m_secret.size()).toUtf8());
    if (json.isObject())
        emit helperMessage(json.object().toVariantMap());
}

} // namespace glanix
