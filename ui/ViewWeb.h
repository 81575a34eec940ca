#pragma once

#include <QSet>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInfo>
#include <functional>

class QWebEngineUrlRequestJob;

// The web set-up every view stands on, sealed from the network. Each view has a profile of
// its own, off the record (no cookies, cache or storage on disk), whose pages ask for
// everything through the views' schemes (ViewUrls.h): a request interceptor turns http(s)
// addresses into those and refuses every other scheme, and the scheme handler hands each
// request to the view, which answers from the stored copies. The engine's own network is
// pointed at a dead proxy as a last guard. Scripts of stored pages run only when the user
// asked for them; what the program itself does inside a page (form submissions, scroll
// positions, the frame under the mouse, form filling) runs in an isolated script world that
// the page's scripts cannot see, and talks back through console messages signed with a
// secret of the page's own.
namespace glanix {

// Before the application object exists: the schemes registered, the engine's switches set.
void prepareWebEngine();

// What became of a request of a view's page.
enum class RequestOutcome {
    Stored, // answered with a stored copy (or the view's own page)
    Missing, // answered with "Frame Missing.html" or failed
    Redirected, // sent on to another address of the views' schemes, asked for again there
    Refused, // blocked before it reached the view
};

class ViewRequests {
public:
    virtual ~ViewRequests() = default;
    // A request of the views' schemes. `document`: the page or one of its frames.
    virtual RequestOutcome answer(QWebEngineUrlRequestJob* job, bool document) = 0;
};

// Sees every request a view's page makes, with the kind the engine gave it, once it is
// answered or refused (benches measure offline fidelity with it).
using RequestObserver = std::function<void(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type,
                                           RequestOutcome outcome)>;

// Replies to the job with the file's bytes; false when it cannot be read.
bool replyWithFile(QWebEngineUrlRequestJob* job, const QString& file, const QByteArray& mimeType);

class SealedProfile final : public QWebEngineProfile {
    Q_OBJECT

public:
    SealedProfile(ViewRequests& requests, QObject* parent = nullptr);
    ~SealedProfile() override;

    // The view is going: requests still under way are refused instead of reaching it.
    void detach();

    // Requests refused so far (tests and the debug log read them).
    const QStringList& refused() const;

    void setRequestObserver(RequestObserver observer);

private:
    class Interceptor;
    class Handler;
    Interceptor* m_interceptor;
    Handler* m_handler;
};

// A page of a view: what the user does in it comes out as signals; nothing navigates away
// from the store on its own.
class ViewPage final : public QWebEnginePage {
    Q_OBJECT

public:
    ViewPage(QWebEngineProfile* profile, bool runScripts, QObject* parent = nullptr);

    // A link followed in a frame: true lets the frame load it (a page of a frameset), false
    // keeps the page as it is (the view acts on it afterwards).
    std::function<bool(const QUrl& url, bool mainFrame)> followLink;

    // Runs in the program's isolated world of the main frame.
    void runHelper(const QString& script, const std::function<void(const QVariant&)>& done = {});

signals:
    // A window the page asked for (a link with a target "_blank").
    void linkClicked(const QUrl& url, bool mainFrame);
    // What the page's helper script reports: form submissions, scroll positions, the frame
    // under the mouse, as a JSON object.
    void helperMessage(const QVariantMap& message);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override;

private:
    QString m_secret;
};

} // namespace glanix
