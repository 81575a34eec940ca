#include "ui/TFormVueInfos.h"

#include "agents/LinkedPages.h"
#include "agents/MainController.h"
#include "config/Env.h"
#include "engine/DownloadControl.h"
#include "store/TElement.h"
#include "views/InfoPage.h"
#include "views/ViewUrls.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineView>

namespace glanix {

namespace {

QString pageFont()
{
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"Verdana", "Helvetica", "Arial"}) {
        if (families.contains(QLatin1String(name), Qt::CaseInsensitive))
            return QLatin1String(name);
    }
    return {};
}

} // namespace

TFormVueInfos::TFormVueInfos(ViewWindows& list, ViewHost& host, QWidget* parent)
    : TFormExt(wtInfo, list, host, parent)
    , m_resolver(host.controller().env())
    , m_profile(new SealedProfile(*this, this))
    , m_page(new ViewPage(m_profile, false, this))
    , m_web(new QWebEngineView(this))
    , m_links(new QCheckBox(tr("Liens"), this))
    , m_comms(new QCheckBox(tr("Communication"), this))
    , m_state(new QCheckBox(tr("Etat"), this))
    , m_props(new QCheckBox(tr("Propriétés"), this))
{
    setObjectName(QStringLiteral("TFormVueInfos"));
    setWindowTitle(tr("Vue informations"));
    m_web->setObjectName(QStringLiteral("HtmlViewer"));
    m_web->setPage(m_page);
    m_web->setContextMenuPolicy(Qt::NoContextMenu);
    if (const QString font = pageFont(); !font.isEmpty())
        m_page->settings()->setFontFamily(QWebEngineSettings::StandardFont, font);
    m_state->setChecked(true);
    m_props->setChecked(true);
    auto* boxes = new QHBoxLayout;
    boxes->setContentsMargins(6, 2, 6, 2);
    for (QCheckBox* b : {m_links, m_comms, m_state, m_props}) {
        boxes->addWidget(b);
        connect(b, &QCheckBox::toggled, this, &TFormVueInfos::rebuild);
    }
    boxes->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(boxes);
    layout->addWidget(m_web, 1);

    m_page->followLink = [this](const QUrl& url, bool mainFrame) { return followLink(url, mainFrame); };
    connect(m_page, &ViewPage::linkClicked, this, [this](const QUrl& url) { followLink(url, true); });
    connect(m_page, &QWebEnginePage::linkHovered, this, &TFormVueInfos::linkHovered);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { Busy = true; });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        Busy = false;
        emit loaded(ok);
    });
}

TFormVueInfos::~TFormVueInfos()
{
    // Nothing may reach this view once it is going, and the page goes before its profile.
    m_profile->detach();
    m_web->setPage(nullptr);
    delete m_page;
    m_page = nullptr;
}

MainController& TFormVueInfos::controller()
{
    return host().controller();
}

QCheckBox* TFormVueInfos::box(int section) const
{
    switch (section) {
    case infoState:
        return m_state;
    case infoProperties:
        return m_props;
    case infoLinks:
        return m_links;
    default:
        return m_comms;
    }
}

int TFormVueInfos::sections() const
{
    return (m_state->isChecked() ? infoState : 0) | (m_props->isChecked() ? infoProperties : 0)
        | (m_links->isChecked() ? infoLinks : 0) | (m_comms->isChecked() ? infoCommunication : 0);
}

void TFormVueInfos::showElement(TElement* element)
{
    if (!element || element == Element || Busy)
        return;
    applyReadRule();
    Element = element;
    setWindowTitle(element->GetName());
    rebuild();
}

void TFormVueInfos::refreshView()
{
    rebuild();
}

void TFormVueInfos::rebuild()
{
    if (!Element)
        return;
    m_html = BuildInfoPage(*Element, sections()).toUtf8();
    const QUrl url = viewUrl(Element->GetURL());
    // A new address each time: the engine must ask again, and the page's relative links
    // resolve against the element's own address.
    static int serial = 0;
    m_mainUrl = url.isValid() ? url : QUrl(QStringLiteral("glanix-http://stored.invalid/"));
    m_mainUrl.setQuery(QStringLiteral("glanix-info=%1").arg(++serial));
    m_page->load(m_mainUrl);
    m_shownSince = controller().env().now();
    host().showElementStatus(Element, false);
}

RequestOutcome TFormVueInfos::answer(QWebEngineUrlRequestJob* job, bool)
{
    if (job->requestUrl() == m_mainUrl) {
        auto* buffer = new QBuffer(job);
        buffer->setData(m_html);
        buffer->open(QIODevice::ReadOnly);
        job->reply("text/html;charset=utf-8", buffer);
        return RequestOutcome::Stored;
    }
    if (!replyWithFile(job, m_resolver.missingFile(), "text/html"))
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return RequestOutcome::Missing;
}

bool TFormVueInfos::followLink(const QUrl& url, bool)
{
    QTimer::singleShot(0, this, [this, url] {
        if (!Element)
            return;
        const QString name = url.fileName();
        if (name.startsWith(QLatin1String("PrevVer"))) {
            const int version = name.mid(7, 2).trimmed().toInt();
            if (version > 1 && !DocumentResolver::servableFile(Element, version).isEmpty())
                host().showVersion(Element, version);
            return;
        }
        const QString viewed = addressOfViewUrl(url);
        const QString address = (viewed.isEmpty() ? url.toString() : viewed).section(u'#', 0, 0);
        if (!address.contains(QLatin1String("://")))
            return;
        controller().downloads().setURLClicked(address);
        ShownDocuments shown;
        shown.Element = Element;
        shown.ShownElements = {Element};
        const QStringList forms = storedAddressForms(toViewUrl(QUrl(address)));
        TElement* found = forms.isEmpty() ? nullptr : m_resolver.findDocument(forms, shown);
        if (!found && !forms.isEmpty())
            found = m_resolver.findImage(forms, shown);
        if (!found && Element->HasExt())
            found = addLinkedPage(*Element, address);
        if (found)
            host().selectElement(found);
    });
    return false;
}

void TFormVueInfos::linkHovered(const QString& link)
{
    if (link.isEmpty() || QUrl(link).fileName().startsWith(QLatin1String("PrevVer"))) {
        host().setStatusPanel(1, QString());
        host().setStatusPanel(2, QString());
        return;
    }
    const QString viewed = addressOfViewUrl(QUrl(link));
    const QString address = viewed.isEmpty() ? link : viewed;
    host().setStatusPanel(1, address);
    ShownDocuments shown;
    shown.Element = Element;
    shown.ShownElements = {Element};
    const QStringList forms = storedAddressForms(toViewUrl(QUrl(address.section(u'#', 0, 0))));
    const bool stored
        = !forms.isEmpty() && (m_resolver.findDocument(forms, shown) || m_resolver.findImage(forms, shown));
    host().setStatusPanel(2, stored ? QString() : tr("Absent"));
}

void TFormVueInfos::applyReadRule()
{
    TElement* e = Element;
    if (!e || e->State != stateUnread || e->GetDownLoadType() != 1)
        return;
    if (m_shownSince + controller().Opt().ReadTime / 86400.0 < controller().env().now()) {
        e->State = stateRead;
        e->Save();
        host().refreshElement(e);
    }
}

void TFormVueInfos::aboutToClose()
{
    applyReadRule();
}

} // namespace glanix
