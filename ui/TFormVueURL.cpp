#include "ui/TFormVueURL.h"

#include "agents/LinkedPages.h"
#include "agents/MainController.h"
#include "config/Confirmations.h"
#include "config/Env.h"
#include "config/FrenchText.h"
#include "config/ViewPlacement.h"
#include "engine/DownloadControl.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"
#include "store/TreeNode.h"
#include "ui/Colors.h"
#include "views/FormSubmission.h"
#include "views/VersionComparison.h"
#include "views/ViewUrls.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineView>

namespace glanix {

namespace {

constexpr int kMinFontSize = 6;
constexpr int kMaxFontSize = 18;
// 8421376 as the program stores colours (0x00BBGGRR).
const QColor kFoundColor(0, 128, 128);

// One comparison pair per running program: asking again for the pair shown last costs nothing.
LastComparedPair& lastComparedPair()
{
    static LastComparedPair pair;
    return pair;
}

QIcon compareIcon(const QColor& back, const QColor& mark)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 11, 14));
    p.setBrush(back);
    p.drawRect(QRectF(7.5, 4.5, 11, 14));
    p.setPen(QPen(mark, 2));
    p.drawLine(QPointF(10, 9), QPointF(16, 9));
    p.drawLine(QPointF(10, 13), QPointF(16, 13));
    return QIcon(pixmap);
}

QString jsString(const QString& s)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray {s}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

QToolButton* toolButton(QToolBar* bar, const QString& name, const QString& hint, const QIcon& icon)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setIcon(icon);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

} // namespace

TFormVueURL::TFormVueURL(ViewWindows& list, ViewHost& host, QWidget* parent)
    : TFormExt(wtDocument, list, host, parent)
    , m_resolver(host.controller().env())
    , m_profile(new SealedProfile(*this, this))
    , m_page(new ViewPage(m_profile, host.controller().Opt().RunScripts, this))
    , m_web(new QWebEngineView(this))
    , m_search(new QLineEdit(this))
    , m_versionsMenu(new QMenu(this))
    , m_markRead(new QTimer(this))
    , m_checkRefresh(new QTimer(this))
    , m_updateStatus(new QTimer(this))
{
    setObjectName(QStringLiteral("TFormVueURL"));
    setWindowTitle(tr("Vue document"));
    setMinimumWidth(380);
    installViewFiles(controller().env());
    m_web->setObjectName(QStringLiteral("HtmlViewer"));
    m_web->setPage(m_page);
    m_web->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_web, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { this->host().popupDocumentMenu(Element, m_web->mapToGlobal(at)); });

    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(20, 20));
    m_search->setObjectName(QStringLiteral("EditSearch"));
    m_search->setMaximumWidth(180);
    m_search->setClearButtonEnabled(true);
    m_search->setText(inPageSearchText(controller().env()));
    bar->addWidget(m_search);
    QStyle* st = style();
    auto* previous = toolButton(bar, QStringLiteral("ButtonPrevious"), tr("Précédent dans la page"),
                                st->standardIcon(QStyle::SP_ArrowUp));
    connect(previous, &QToolButton::clicked, this, [this] { findInPage(true); });
    auto* next = toolButton(bar, QStringLiteral("ButtonNext"), tr("Suivant dans la page"),
                            st->standardIcon(QStyle::SP_ArrowDown));
    connect(next, &QToolButton::clicked, this, [this] { findInPage(false); });
    bar->addSeparator();
    auto* bigger = toolButton(bar, QStringLiteral("ButtonZoomIn"), tr("Agrandir la taille des caractères"),
                              QIcon::fromTheme(QStringLiteral("zoom-in")));
    bigger->setText(QStringLiteral("A+"));
    auto* smaller = toolButton(bar, QStringLiteral("ButtonZoomOut"), tr("Réduire la taille des caractères"),
                               QIcon::fromTheme(QStringLiteral("zoom-out")));
    smaller->setText(QStringLiteral("A-"));
    connect(bigger, &QToolButton::clicked, this, [this] { zoom(1); });
    connect(smaller, &QToolButton::clicked, this, [this] { zoom(-1); });
    auto* reloadButton = toolButton(bar, QStringLiteral("ButtonReload"), tr("Recharger la page"),
                                    st->standardIcon(QStyle::SP_BrowserReload));
    connect(reloadButton, &QToolButton::clicked, this, &TFormVueURL::reload);
    m_notesButton = toolButton(bar, QStringLiteral("ButtonNotes"), tr("Notes"),
                               QIcon::fromTheme(QStringLiteral("document-edit"),
                                                st->standardIcon(QStyle::SP_FileDialogContentsView)));
    connect(m_notesButton, &QToolButton::clicked, this, [this] {
        if (Element)
            this->host().editNotes(Element);
    });
    m_versionsButton = toolButton(bar, QStringLiteral("ButtonVersions"), tr("Voir versions précédentes"),
                                  st->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_versionsButton->setMenu(m_versionsMenu);
    m_versionsButton->setPopupMode(QToolButton::InstantPopup);
    connect(m_versionsMenu, &QMenu::aboutToShow, this, &TFormVueURL::buildVersionsMenu);
    m_compareIcons[0] = compareIcon(QColor(0xe0, 0xe0, 0xe0), Qt::gray);
    m_compareIcons[1] = compareIcon(QColor(0xd8, 0xe8, 0xff), QColor(0x30, 0x60, 0xc0));
    m_compareIcons[2] = compareIcon(QColor(0xff, 0xd8, 0xff), QColor(0xf0, 0x00, 0xf0));
    m_compareButton = toolButton(bar, QStringLiteral("ButtonCompare"), QString(), m_compareIcons[0]);
    m_compareButton->setCheckable(true);
    connect(m_compareButton, &QToolButton::toggled, this, &TFormVueURL::setCompareMode);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_web, 1);

    m_markRead->setSingleShot(true);
    connect(m_markRead, &QTimer::timeout, this, &TFormVueURL::markReadTimer);
    m_checkRefresh->setInterval(2500);
    connect(m_checkRefresh, &QTimer::timeout, this, &TFormVueURL::refreshCheckTimer);
    m_updateStatus->setInterval(300);
    connect(m_updateStatus, &QTimer::timeout, this, &TFormVueURL::statusTimer);

    m_page->followLink = [this](const QUrl& url, bool mainFrame) { return followLink(url, mainFrame); };
    connect(m_page, &ViewPage::linkClicked, this, [this](const QUrl& url) { linkClick(url); });
    connect(m_page, &ViewPage::helperMessage, this, &TFormVueURL::helperMessage);
    connect(m_page, &QWebEnginePage::linkHovered, this, &TFormVueURL::linkHovered);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { Busy = true; });
    connect(m_page, &QWebEnginePage::loadFinished, this, &TFormVueURL::loadFinished);
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        if (!title.trimmed().isEmpty() && !title.startsWith(QLatin1String(kViewScheme)))
            setWindowTitle(title.trimmed());
    });
    connect(m_search, &QLineEdit::textEdited, this, [this] { findInPage(false); });
    connect(m_search, &QLineEdit::returnPressed, this, [this] { findInPage(false); });
    applyViewerSettings();
    m_web->installEventFilter(this);
    updateCompareButton();
    m_versionsButton->setEnabled(false);
}

TFormVueURL::~TFormVueURL()
{
    // Nothing may reach this view once it is going, and the page goes before its profile.
    m_profile->detach();
    m_web->setPage(nullptr);
    delete m_page;
    m_page = nullptr;
}

MainController& TFormVueURL::controller()
{
    return host().controller();
}

QString TFormVueURL::addressOf(const QUrl& url) const
{
    const QString viewed = addressOfViewUrl(url);
    return viewed.isEmpty() ? url.toString(QUrl::FullyEncoded) : viewed;
}

bool TFormVueURL::readDelayPassed() const
{
    const TOptGene& opt = const_cast<TFormVueURL*>(this)->controller().Opt();
    return const_cast<TFormVueURL*>(this)->controller().env().now() >= m_shownSince + opt.ReadTime / 86400.0;
}

// --- Showing an element ---------------------------------------------------------------------

void TFormVueURL::Load(TElement* element)
{
    if (!element)
        return;
    CurrentVersion = 1;
    CompareVersion = 2;
    m_web->setToolTip(QString());
    if (element != Element) {
        // A page still loading is left for the new one.
        if (Busy)
            m_page->triggerAction(QWebEnginePage::Stop);
        if (m_compare)
            m_compareButton->setToolTip(QString());
        SauveVue();
        m_shown = ShownDocuments {};
        m_positions.clear();
        Element = element;
        setWindowTitle(element->GetName());
        host().setStatusPanel(0, QString());
        m_statusSince = {};
    }
    m_shown.Element = element;
    m_shown.ShownElements = {element};
    m_shown.versionElement = element;
    m_shown.CurrentVersion = 1;
    m_frameElement = nullptr;
    QUrl url = viewUrl(element->GetURL());
    if (const QUrl folder = viewUrlAsFolder(url); folder.isValid())
        url = folder;
    // An element without a web address is still shown; its links lead nowhere stored.
    m_mainUrl = url.isValid() ? url.adjusted(QUrl::RemoveFragment)
                              : QUrl(QStringLiteral("glanix-http://stored.invalid/"));
    Busy = true;
    m_page->load(m_mainUrl);
    m_shownSince = controller().env().now();
    m_versionsButton->setEnabled(!DocumentResolver::servableFile(element, 2).isEmpty());
    updateNotesButton();
    const int readTime = controller().Opt().ReadTime;
    if (readTime > 0)
        m_markRead->start(readTime * 1000);
    else
        markReadTimer();
    host().showElementStatus(element, false);
}

void TFormVueURL::loadFinished(bool ok)
{
    Busy = false;
    restorePositions();
    fillForms();
    if (!m_pendingAnchor.isEmpty()) {
        m_page->runHelper(QStringLiteral("location.hash = %1;").arg(jsString(m_pendingAnchor)));
        m_pendingAnchor.clear();
    }
    if (!m_search->text().isEmpty())
        findInPage(false);
    emit loaded(ok);
}

RequestOutcome TFormVueURL::answer(QWebEngineUrlRequestJob* job, bool document)
{
    const QUrl url = job->requestUrl();
    QString file;
    QByteArray mime;
    bool missing = false;
    if (Element && url.adjusted(QUrl::RemoveFragment) == m_mainUrl) {
        const int version = m_shown.versionElement == Element ? CurrentVersion : 1;
        file = DocumentResolver::servableFile(Element, version);
        if (file.isEmpty() && version > 1)
            file = DocumentResolver::servableFile(Element, 1);
        if (m_compare && !file.isEmpty()) {
            const QString old = DocumentResolver::servableFile(Element, CompareVersion);
            m_compareState = CompareState::Active;
            if (!old.isEmpty()) {
                const TOptGene& o = controller().Opt();
                CompareSettings settings {o.NbCharToCompare, o.NbMiniCharDifferent, o.MaxComparePeriod,
                                          o.HighLightColor, o.CompareTextOnly};
                const VersionComparison c
                    = CompareWithOldVersion(controller().env(), lastComparedPair(), old, file, settings);
                if (c.shown) {
                    file = c.resultFile;
                    m_compareState = CompareState::Shown;
                    if (c.recomputed)
                        m_compareButton->setToolTip(QString(c.summary).replace(u'\r', u'\n'));
                }
            }
            updateCompareButton();
        }
        mime = file.isEmpty() ? QByteArray("text/html") : DocumentResolver::mimeTypeOf(Element, file);
        missing = file.isEmpty();
    } else {
        if (document) {
            // The page resolves its links as its images were stored: under the folder form.
            if (const QUrl folder = viewUrlAsFolder(url); folder.isValid()) {
                TElement* found = m_resolver.findDocument(storedAddressForms(url), m_shown);
                if (found && found->IsHtml()) {
                    job->redirect(folder);
                    return RequestOutcome::Redirected;
                }
            }
        }
        const ResolvedRequest r
            = m_resolver.resolve(url, document ? RequestKind::Document : RequestKind::Resource, m_shown);
        if (document && r.element
            && std::find(m_shown.ShownElements.begin(), m_shown.ShownElements.end(), r.element)
                == m_shown.ShownElements.end())
            m_shown.ShownElements.push_back(r.element);
        file = r.file;
        mime = r.mimeType;
        missing = r.missing;
    }
    if (file.isEmpty() || !replyWithFile(job, file, mime)) {
        if (!replyWithFile(job, m_resolver.missingFile(), "text/html"))
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return RequestOutcome::Missing;
    }
    return missing ? RequestOutcome::Missing : RequestOutcome::Stored;
}

// --- Read state and positions ---------------------------------------------------------------

void TFormVueURL::SauveVue()
{
    if (m_shown.ShownElements.empty())
        return;
    Env& env = controller().env();
    const bool passed = readDelayPassed();
    auto markAndSave = [&](TElement* e, bool position, int y) {
        if (!e)
            return;
        if (e->GetName().isEmpty()) {
            env.logError(QStringLiteral("Name vide"));
            return;
        }
        bool changed = false;
        if (position && e->HasExt() && e->Ext()->Position != y) {
            e->Ext()->Position = y;
            changed = true;
        }
        if (passed && e->State == stateUnread) {
            e->State = stateRead;
            changed = true;
        }
        if (changed) {
            e->Save();
            host().refreshElement(e);
        }
    };
    TElement* first = m_shown.ShownElements.front();
    const QString mainKey = m_mainUrl.toString();
    markAndSave(first, m_positions.contains(mainKey), m_positions.value(mainKey));
    for (size_t i = m_shown.ShownElements.size(); i-- > 1;) {
        TElement* e = m_shown.ShownElements[i];
        if (e == first)
            continue;
        int y = 0;
        bool known = false;
        for (auto it = m_positions.cbegin(); it != m_positions.cend(); ++it) {
            if (elementOfFrameUrl(it.key()) == e) {
                y = it.value();
                known = true;
            }
        }
        markAndSave(e, known, y);
    }
}

TElement* TFormVueURL::elementOfFrameUrl(const QString& url) const
{
    const QUrl u(url);
    if (u.adjusted(QUrl::RemoveFragment) == m_mainUrl)
        return Element;
    return m_resolver.findDocument(storedAddressForms(u), m_shown);
}

void TFormVueURL::markReadTimer()
{
    m_markRead->stop();
    SauveVue();
    if (Element)
        host().showElementStatus(Element, false);
}

void TFormVueURL::postponeRead(TElement* element)
{
    if (element == Element
        || std::find(m_shown.ShownElements.begin(), m_shown.ShownElements.end(), element)
            != m_shown.ShownElements.end())
        m_shownSince = controller().env().now() + 1;
}

void TFormVueURL::restorePositions()
{
    QJsonObject positions;
    for (TElement* e : m_shown.ShownElements) {
        if (!e || !e->HasExt() || e->Ext()->Position <= 0)
            continue;
        QUrl u = e == Element ? m_mainUrl : viewUrl(e->GetURL());
        positions.insert(u.toString(), e->Ext()->Position);
        if (const QUrl folder = viewUrlAsFolder(u); folder.isValid())
            positions.insert(folder.toString(), e->Ext()->Position);
    }
    if (positions.isEmpty())
        return;
    const QString script
        = QStringLiteral(
              "(function (pos) { function walk(w) { try { var y = pos[w.location.href.split('#')[0]];"
              " if (y) w.scrollTo(0, y); for (var i = 0; i < w.frames.length; ++i) walk(w.frames[i]); }"
              " catch (e) {} } walk(window); })(%1);")
              .arg(QString::fromUtf8(QJsonDocument(positions).toJson(QJsonDocument::Compact)));
    m_page->runHelper(script);
}

void TFormVueURL::fillForms()
{
    const TOptGene& o = controller().Opt();
    if (o.UserName.isEmpty() && o.UserMail.isEmpty())
        return;
    const QString script
        = QStringLiteral(
              "(function (name, mail) { function fill(w) { try {"
              " var forms = w.document.forms;"
              " for (var f = 0; f < forms.length; ++f) for (var i = 0; i < forms[f].elements.length; ++i) {"
              "  var c = forms[f].elements[i], t = (c.type || '').toLowerCase(), n = (c.name || "
              "'').toLowerCase();"
              "  if (c.tagName !== 'INPUT' || (t !== 'text' && t !== 'email' && t !== '')) continue;"
              "  var v = n.indexOf('mail') >= 0 ? mail : (n.indexOf('nom') >= 0 || n.indexOf('name') >= 0"
              "   || n.indexOf('nombre') >= 0) ? name : '';"
              "  if (v) c.value = v; }"
              " for (var k = 0; k < w.frames.length; ++k) fill(w.frames[k]); } catch (e) {} } fill(window); "
              "})(%1, %2);")
              .arg(jsString(o.UserName), jsString(o.UserMail));
    m_page->runHelper(script);
}

// --- What the page reports ------------------------------------------------------------------

void TFormVueURL::helperMessage(const QVariantMap& message)
{
    const QString kind = message.value(QStringLiteral("kind")).toString();
    if (kind == u"scroll") {
        m_positions.insert(message.value(QStringLiteral("url")).toString().section(u'#', 0, 0),
                           message.value(QStringLiteral("y")).toInt());
    } else if (kind == u"frame") {
        if (TElement* e = elementOfFrameUrl(message.value(QStringLiteral("url")).toString()))
            m_frameElement = e;
    } else if (kind == u"submit") {
        formSubmitted(message);
    }
}

void TFormVueURL::formSubmitted(const QVariantMap& message)
{
    if (!Element)
        return;
    QString action = addressOf(QUrl(message.value(QStringLiteral("action")).toString()));
    if (action.isEmpty() || !action.contains(QLatin1String("://")))
        action = Element->GetURL();
    QList<FormField> fields;
    for (const QVariant& f : message.value(QStringLiteral("fields")).toList()) {
        const QVariantList pair = f.toList();
        if (pair.size() == 2)
            fields.append({pair[0].toString(), pair[1].toString()});
    }
    const QString address
        = formSubmissionAddress(action, message.value(QStringLiteral("method")).toString(), fields);
    const int before = Element->Node() ? Element->Node()->childCount() : 0;
    TElement* page = addFormPage(*Element, address);
    if (!page)
        return;
    const bool known = Element->Node() && Element->Node()->childCount() == before;
    if (known)
        host().selectElement(page);
    else
        host().refreshElement(page, true);
}

bool TFormVueURL::followLink(const QUrl& url, bool mainFrame)
{
    if (url.scheme().compare(u"mailto", Qt::CaseInsensitive) != 0 && !mainFrame
        && m_shown.ShownElements.size() > 2) {
        // In a frameset the frame named by the link's target takes the page.
        TElement* found = m_resolver.findDocument(storedAddressForms(toViewUrl(url)), m_shown);
        if (found && !found->isImage()) {
            m_frameElement = found;
            if (std::find(m_shown.ShownElements.begin(), m_shown.ShownElements.end(), found)
                == m_shown.ShownElements.end())
                m_shown.ShownElements.push_back(found);
            found->LoadChildren(2);
            host().refreshElement(found, true);
            return true;
        }
    }
    QTimer::singleShot(0, this, [this, url] { linkClick(url); });
    return false;
}

void TFormVueURL::linkClick(const QUrl& url)
{
    MainController& c = controller();
    if (!c.currentElement() || !Element)
        return;
    if (Busy) {
        // Give the page a moment to settle, once.
        QEventLoop wait;
        QTimer::singleShot(500, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!m_frameElement)
        m_frameElement = Element;
    if (url.scheme().compare(u"mailto", Qt::CaseInsensitive) == 0) {
        const QString to = url.toString().mid(7).left(250).trimmed();
        c.launcher().openUrl(QUrl(QStringLiteral("mailto:") + to));
        return;
    }
    const QString address = addressOf(url);
    c.downloads().setURLClicked(address);
    const QString key = address.section(u'#', 0, 0);
    const QString anchor = url.fragment();
    const QStringList forms = storedAddressForms(toViewUrl(QUrl(key)));
    TElement* found = forms.isEmpty() ? nullptr : m_resolver.findDocument(forms, m_shown);
    if (!found && !forms.isEmpty())
        found = m_resolver.findImage(forms, m_shown);
    if (found) {
        const bool openOutside = !found->IsHtml() && !found->IsText() && !found->isImage()
            && found->ContentType != u"application/octet-stream";
        if (openOutside) {
            if (const QString file = DocumentResolver::servableFile(found); !file.isEmpty())
                c.launcher().openUrl(QUrl::fromLocalFile(file));
            return;
        }
        if (found == Element) {
            if (!anchor.isEmpty())
                m_page->runHelper(QStringLiteral("location.hash = %1;").arg(jsString(anchor)));
            return;
        }
        m_pendingAnchor = anchor;
        host().selectElement(found);
        return;
    }
    if (key.isEmpty() || !key.contains(QLatin1String("://")))
        return;
    if (!askConfirmation(c.env(), c.prompt(),
                         tr("Le document sur lequel vous avez cliqué\rsera récupéré lors de la prochaine "
                            "connexion.\rEtes-vous d'accord ?"),
                         QStringLiteral("OnURLClick")))
        return;
    TElement* page = addLinkedPage(*m_frameElement, key);
    if (page)
        host().selectElement(page);
    else
        c.env().logError(QStringLiteral("Noeud non ajouté"));
}

void TFormVueURL::linkHovered(const QString& link)
{
    if (link.isEmpty()) {
        host().setStatusPanel(1, QString());
        m_statusSince = QDateTime::currentDateTime();
        m_skipStatusTick = true;
        m_updateStatus->start();
        return;
    }
    const QUrl url(link);
    if (url.scheme().compare(u"mailto", Qt::CaseInsensitive) == 0) {
        host().setStatusPanel(1, tr("Cliquez pour envoyer un mail à ") + url.path());
    } else {
        const QString address = addressOf(url);
        host().setStatusPanel(1, address);
        const QStringList forms = storedAddressForms(toViewUrl(QUrl(address.section(u'#', 0, 0))));
        const bool stored = !forms.isEmpty()
            && (m_resolver.findDocument(forms, m_shown) || m_resolver.findImage(forms, m_shown));
        host().setStatusPanel(2, stored ? QString() : tr("Absent"));
    }
    m_statusSince = QDateTime::currentDateTime().addDays(1);
}

void TFormVueURL::statusTimer()
{
    if (m_skipStatusTick) {
        m_skipStatusTick = false;
        return;
    }
    m_updateStatus->stop();
    if (Element)
        host().showElementStatus(Element, false);
}

bool TFormVueURL::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::HoverMove) {
        const QDateTime now = QDateTime::currentDateTime();
        if (!m_statusSince.isValid() || m_statusSince.msecsTo(now) > 300) {
            m_statusSince = {};
            if (TElement* e = m_frameElement ? m_frameElement : Element)
                host().showElementStatus(e, false);
        }
    } else if (event->type() == QEvent::ChildAdded && watched == m_web) {
        // The engine's render widget comes and goes with the page.
        if (QWidget* proxy = m_web->focusProxy())
            proxy->installEventFilter(this);
    }
    return TFormExt::eventFilter(watched, event);
}

// --- Buttons ----------------------------------------------------------------------------------

void TFormVueURL::reload()
{
    lastComparedPair().clear();
    if (Element)
        m_page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
}

void TFormVueURL::refreshView()
{
    QDeadlineTimer deadline(10000);
    while (Busy && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    reload();
}

void TFormVueURL::setCompareMode(bool on)
{
    if (m_compareButton->isChecked() != on) {
        m_compareButton->setChecked(on); // comes back here through toggled
        return;
    }
    if (m_compare == on)
        return;
    m_compare = on;
    m_compareState = on ? CompareState::Active : CompareState::Inactive;
    if (!on)
        m_compareButton->setToolTip(QString());
    updateCompareButton();
    reload();
}

void TFormVueURL::updateCompareButton()
{
    m_compareButton->setIcon(m_compareIcons[static_cast<int>(m_compareState)]);
    if (m_compareButton->toolTip().isEmpty() || m_compareState == CompareState::Inactive)
        m_compareButton->setToolTip(m_compare ? tr("Mode comparaison")
                                              : tr("Comparer avec la version précédente"));
}

void TFormVueURL::updateNotesButton()
{
    const QString notes = Element ? Element->ReadNotes().join(u'\n') : QString();
    m_notesButton->setToolTip(notes.isEmpty() ? tr("Notes") : notes);
    m_notesButton->setAutoRaise(notes.isEmpty());
    m_notesButton->setChecked(false);
}

void TFormVueURL::notesChanged(TElement* element)
{
    if (element == Element)
        updateNotesButton();
}

void TFormVueURL::buildVersionsMenu()
{
    m_versionsMenu->clear();
    const QStringList captions = versionCaptions();
    for (int i = 0; i < captions.size(); ++i) {
        const int version = i + 1;
        QAction* a = m_versionsMenu->addAction(captions[i]);
        a->setCheckable(true);
        a->setChecked(version == CurrentVersion);
        connect(a, &QAction::triggered, this, [this, version] { chooseVersion(version); });
    }
}

QStringList TFormVueURL::versionCaptions()
{
    QStringList captions;
    TElement* target = m_frameElement ? m_frameElement : Element;
    if (!target)
        return captions;
    for (int v = 1;; ++v) {
        const QString file = DocumentResolver::servableFile(target, v);
        if (file.isEmpty())
            break;
        const QFileInfo info(file);
        const QDateTime when = info.lastModified();
        QString caption = when.toString(QStringLiteral("dd/MM/yyyy")) + u' '
            + when.toString(QStringLiteral("hh:mm")) + QStringLiteral("   ") + SizeText(info.size());
        if (m_compare && v == CompareVersion)
            caption.prepend(QStringLiteral("- "));
        captions << caption;
    }
    return captions;
}

void TFormVueURL::chooseVersion(int version)
{
    TElement* target = m_frameElement ? m_frameElement : Element;
    if (!target || version == CurrentVersion)
        return;
    const QString file = DocumentResolver::servableFile(target, version);
    if (file.isEmpty())
        return;
    CompareVersion = CurrentVersion;
    CurrentVersion = version;
    m_shown.versionElement = target;
    m_shown.CurrentVersion = version;
    m_page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
    // The status bar tells which copy is shown, the element keeps its own dates.
    const TDateTime modified = target->LastModified;
    const qint32 size = target->Size;
    target->LastModified = FileDateOf(file);
    target->Size = static_cast<qint32>(QFileInfo(file).size());
    host().showElementStatus(target, false);
    target->LastModified = modified;
    target->Size = size;
}

void TFormVueURL::startRefreshCheck()
{
    m_checkRefresh->start();
}

void TFormVueURL::refreshCheckTimer()
{
    if (Busy)
        return;
    // Typing in a form is never lost to a reload.
    m_page->runHelper(
        QStringLiteral(
            "(function () { var forms = document.forms;"
            " for (var f = 0; f < forms.length; ++f) for (var i = 0; i < forms[f].elements.length; ++i) {"
            "  var c = forms[f].elements[i], t = (c.type || '').toLowerCase();"
            "  if (c.tagName === 'INPUT' && (t === 'text' || t === 'email' || t === 'search' || t === '')"
            "      && c.value !== '') return true; } return false; })()"),
        [this](const QVariant& typing) {
            if (typing.toBool() || Busy)
                return;
            m_page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
            m_shownSince = controller().env().now();
            m_checkRefresh->stop();
        });
}

void TFormVueURL::findInPage(bool backward)
{
    const QString text = m_search->text();
    QPalette p = m_search->palette();
    if (text.isEmpty()) {
        m_page->findText(QString());
        p.setColor(QPalette::Text, palette().color(QPalette::WindowText));
        m_search->setPalette(p);
        m_search->setToolTip(QString());
        return;
    }
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    m_page->findText(text, flags, [this](const QWebEngineFindTextResult& result) {
        const bool found = result.numberOfMatches() > 0;
        QPalette p = m_search->palette();
        p.setColor(QPalette::Text, found ? kFoundColor : palette().color(QPalette::WindowText));
        m_search->setPalette(p);
        m_search->setToolTip(found ? tr("Trouvé") : tr("Non trouvé"));
        emit findResult(found);
    });
}

void TFormVueURL::zoom(int step)
{
    const int size = std::clamp(m_fontSize + step, kMinFontSize, kMaxFontSize);
    if (size == m_fontSize)
        return;
    m_fontSize = size;
    m_page->settings()->setFontSize(QWebEngineSettings::DefaultFontSize, (size * 96 + 36) / 72);
    if (Element)
        m_page->triggerAction(QWebEnginePage::Reload);
}

void TFormVueURL::applyViewerSettings()
{
    const TOptGene& o = controller().Opt();
    m_fontSize = std::clamp(o.DefFontSize > 0 ? o.DefFontSize : 10, kMinFontSize, kMaxFontSize);
    QWebEngineSettings* s = m_page->settings();
    const QString family = o.DefFontName.isEmpty() ? QStringLiteral("Verdana") : o.DefFontName;
    s->setFontFamily(QWebEngineSettings::StandardFont, family);
    s->setFontFamily(QWebEngineSettings::SansSerifFont, family);
    s->setFontFamily(QWebEngineSettings::FixedFont, o.DefPreFontName);
    s->setFontSize(QWebEngineSettings::DefaultFontSize, (m_fontSize * 96 + 36) / 72);
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, o.RunScripts);
    m_page->setBackgroundColor(colorFromTColor(o.DefBackGround, palette()));
    // Text and link colours of pages that set none: a style sheet of the program's world,
    // placed first so that the page's own rules win.
    const QString css = QStringLiteral("html{color:%1}a:link{color:%2}")
                            .arg(colorFromTColor(o.DefFontColor, palette()).name(),
                                 colorFromTColor(o.DefHotSpotColor, palette()).name());
    QWebEngineScript colours;
    colours.setName(QStringLiteral("glanix-colours"));
    colours.setWorldId(QWebEngineScript::ApplicationWorld);
    colours.setInjectionPoint(QWebEngineScript::DocumentReady);
    colours.setRunsOnSubFrames(true);
    colours.setSourceCode(
        QStringLiteral("(function () { var s = document.createElement('style');"
                       " s.textContent = %1; var h = document.head || document.documentElement;"
                       " if (h) h.insertBefore(s, h.firstChild); })();")
            .arg(jsString(css)));
    for (const QWebEngineScript& old : m_page->scripts().find(colours.name()))
        m_page->scripts().remove(old);
    m_page->scripts().insert(colours);
    if (Element)
        m_page->triggerAction(QWebEnginePage::Reload);
}

QString TFormVueURL::shownFile() const
{
    if (m_frameElement && m_frameElement != Element) {
        const int v = m_shown.versionElement == m_frameElement ? CurrentVersion : 1;
        return DocumentResolver::servableFile(m_frameElement, v);
    }
    if (!Element)
        return {};
    return DocumentResolver::servableFile(Element, m_shown.versionElement == Element ? CurrentVersion : 1);
}

// --- Printing ---------------------------------------------------------------------------------

void TFormVueURL::print(QPrinter* printer, const std::function<void(bool)>& done)
{
    if (!Element) {
        done(false);
        return;
    }
    const QString url = Element->GetURL();
    const QString modified = frenchDate(Element->LastModified, QStringLiteral("dd/MM/yyyy hh:mm"));
    const QPageLayout layout(printer->pageLayout().pageSize(), printer->pageLayout().orientation(),
                             QMarginsF(10, 25, 10, 25), QPageLayout::Millimeter);
    m_page->printToPdf(
        [printer, done, url, modified](const QByteArray& pdf) {
            QBuffer buffer;
            buffer.setData(pdf);
            buffer.open(QIODevice::ReadOnly);
            QPdfDocument document;
            document.load(&buffer);
            if (pdf.isEmpty() || document.status() != QPdfDocument::Status::Ready
                || document.pageCount() == 0) {
                done(false);
                return;
            }
            printer->setFullPage(true);
            QPainter painter;
            if (!painter.begin(printer)) {
                done(false);
                return;
            }
            const QRectF paper = printer->paperRect(QPrinter::DevicePixel);
            const double mm = printer->resolution() / 25.4;
            QFont font(QStringLiteral("Arial"));
            font.setPointSizeF(8);
            painter.setFont(font);
            const QString printed
                = frenchDate(QDateTime::currentDateTime(), QStringLiteral("dd/MM/yyyy hh:mm"));
            for (int i = 0; i < document.pageCount(); ++i) {
                if (i > 0)
                    printer->newPage();
                // The page's content at up to 150 dots per inch: enough to read, small to send.
                const double scale = std::min(1.0, 150.0 / printer->resolution());
                const QSize size = (paper.size() * scale).toSize();
                const QImage image = document.render(i, size);
                painter.drawImage(paper, image);
                const QRectF header(10 * mm, 8 * mm, paper.width() - 20 * mm, 8 * mm);
                const QRectF footer(10 * mm, paper.height() - 16 * mm, paper.width() - 20 * mm, 8 * mm);
                painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, url);
                painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, tr("Modifié le ") + modified);
                painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, tr("Imprimé le ") + printed);
                painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter,
                                 tr("Page ") + QString::number(i + 1));
            }
            painter.end();
            done(true);
        },
        layout);
}

// --- Closing ------------------------------------------------------------------------------------

void TFormVueURL::aboutToClose()
{
    m_markRead->stop();
    m_checkRefresh->stop();
    SauveVue();
    saveInPageSearchText(controller().env(), m_search->text());
}

void TFormVueURL::savePlacement()
{
    saveInPageSearchText(controller().env(), m_search->text());
}

} // namespace glanix
