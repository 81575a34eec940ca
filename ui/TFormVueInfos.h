#pragma once

#include "config/DateTime.h"
#include "ui/TFormExt.h"
#include "ui/ViewWeb.h"
#include "views/DocumentResolver.h"

class QCheckBox;
class QWebEngineView;

// "Vue informations": the information page of an element, on the same sealed web set-up as
// the document view. The page is built in memory and served under the element's own address,
// so that its relative links resolve as the element's did; its links select what is stored,
// ask for what is not, and "PrevVer" links open an old version in a document view.
namespace glanix {

class TFormVueInfos final : public TFormExt, private ViewRequests {
    Q_OBJECT

public:
    TFormVueInfos(ViewWindows& list, ViewHost& host, QWidget* parent = nullptr);
    ~TFormVueInfos() override;

    void showElement(TElement* element) override;
    void refreshView() override;
    int sections() const;

    QWebEngineView* webView() const { return m_web; }

    ViewPage* page() const { return m_page; }

    QCheckBox* box(int section) const;

signals:
    void loaded(bool ok);

protected:
    void aboutToClose() override;

private:
    RequestOutcome answer(QWebEngineUrlRequestJob* job, bool document) override;
    bool followLink(const QUrl& url, bool mainFrame);
    void linkHovered(const QString& link);
    void rebuild();
    // Leaving an element shown long enough marks it read (information only elements).
    void applyReadRule();
    MainController& controller();

    DocumentResolver m_resolver;
    SealedProfile* m_profile;
    ViewPage* m_page;
    QWebEngineView* m_web;
    QCheckBox* m_links;
    QCheckBox* m_comms;
    QCheckBox* m_state;
    QCheckBox* m_props;
    QUrl m_mainUrl;
    QByteArray m_html;
    TDateTime m_shownSince = 0;
};

} // namespace glanix
