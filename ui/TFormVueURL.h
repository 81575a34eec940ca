#pragma once

#include "config/DateTime.h"
#include "ui/TFormExt.h"
#include "ui/ViewWeb.h"
#include "views/DocumentResolver.h"

#include <QDateTime>
#include <QIcon>
#include <QMap>

class QLineEdit;
class QMenu;
class QPrinter;
class QTimer;
class QToolButton;
class QWebEngineView;

// "Vue document": a stored page read offline, with what changed marked in compare mode.
// Everything the page asks for goes through the views' schemes to answer(), which serves the
// stored copy (DocumentResolver) or "Frame Missing.html", never the network (ViewWeb.h).
//
// Qt 6.4 gives a scheme handler no request body and runs scripts in the main frame only, so:
// forms are not submitted by the engine at all; the helper script of each frame catches the
// submission and reports its fields, which become the address to fetch. Scroll positions and
// the frame under the mouse are reported by the same script as they change, so that saving
// them needs no round trip; positions are restored from the main frame, whose isolated world
// reaches the frames of the same store host.
namespace glanix {

class TFormVueURL final : public TFormExt, private ViewRequests {
    Q_OBJECT

public:
    enum class CompareState { Inactive, Active, Shown };

    TFormVueURL(ViewWindows& list, ViewHost& host, QWidget* parent = nullptr);
    ~TFormVueURL() override;

    void showElement(TElement* element) override { Load(element); }

    void Load(TElement* element);
    // Read state and scroll positions of what is shown, into the elements.
    void SauveVue();
    void postponeRead(TElement* element) override;
    void savePlacement() override;
    void notesChanged(TElement* element) override;
    void refreshView() override;

    // The reload button: a comparison is computed afresh.
    void reload();
    void setCompareMode(bool on);

    bool compareMode() const { return m_compare; }

    CompareState compareState() const { return m_compareState; }

    // Shows version `v` of the element of the active frame (1 the current file).
    void chooseVersion(int version);
    // The versions menu's captions, as it shows them.
    QStringList versionCaptions();
    // Another fetch of a shown element: reload soon, unless the user is typing in a form.
    void startRefreshCheck();
    void findInPage(bool backward = false);
    void zoom(int step);

    int fontSize() const { return m_fontSize; }

    void applyViewerSettings();
    // Prints with the header and footer; `done` gets false when nothing could be printed.
    void print(QPrinter* printer, const std::function<void(bool)>& done);
    // "Sauver sous...": the file shown (of the active frame's element when there is one).
    QString shownFile() const;

    QWebEngineView* webView() const { return m_web; }

    ViewPage* page() const { return m_page; }

    SealedProfile* profile() const { return m_profile; }

    QLineEdit* searchField() const { return m_search; }

    QToolButton* compareButton() const { return m_compareButton; }

    QToolButton* versionsButton() const { return m_versionsButton; }

    QToolButton* notesButton() const { return m_notesButton; }

    const ShownDocuments& shown() const { return m_shown; }

    TElement* frameElement() const { return m_frameElement; }

    int CurrentVersion = 1;
    int CompareVersion = 2;

signals:
    // The page (and its frames) finished loading.
    void loaded(bool ok);
    void findResult(bool found);

protected:
    void aboutToClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RequestOutcome answer(QWebEngineUrlRequestJob* job, bool document) override;
    bool followLink(const QUrl& url, bool mainFrame);
    void linkClick(const QUrl& url);
    void linkHovered(const QString& url);
    void helperMessage(const QVariantMap& message);
    void formSubmitted(const QVariantMap& message);
    void loadFinished(bool ok);
    void markReadTimer();
    void refreshCheckTimer();
    void statusTimer();
    void updateNotesButton();
    void updateCompareButton();
    void buildVersionsMenu();
    void restorePositions();
    void fillForms();
    TElement* elementOfFrameUrl(const QString& url) const;
    QString addressOf(const QUrl& url) const;
    bool readDelayPassed() const;
    MainController& controller();

    DocumentResolver m_resolver;
    SealedProfile* m_profile;
    ViewPage* m_page;
    QWebEngineView* m_web;
    QLineEdit* m_search;
    QToolButton* m_compareButton;
    QToolButton* m_versionsButton;
    QToolButton* m_notesButton;
    QMenu* m_versionsMenu;
    QTimer* m_markRead;
    QTimer* m_checkRefresh;
    QTimer* m_updateStatus;
    QIcon m_compareIcons[3];

    ShownDocuments m_shown;
    QUrl m_mainUrl;
    TElement* m_frameElement = nullptr;
    TDateTime m_shownSince = 0;
    QDateTime m_statusSince;
    bool m_skipStatusTick = false;
    bool m_compare = false;
    CompareState m_compareState = CompareState::Inactive;
    int m_fontSize = 10;
    QString m_pendingAnchor;
    // Scroll position of each frame's document as last reported, by the frame's address.
    QMap<QString, int> m_positions;
};

} // namespace glanix
