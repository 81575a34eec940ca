#pragma once

#include "agents/ConnectionPort.h"
#include "engine/EngineHost.h"

#include <QPointer>

// The main window as the download engine sees it: the communication status bar, the
// connection panels of the global status bar, the start and end buttons with their hints,
// the connection menu entries, the animation, the image nodes of the tree during a cycle,
// the dialling window and the connection choice. Every text comes composed from the engine;
// this only puts it on the widgets of TForm1.
namespace glanix {

class TForm1;
class TFormRas;

class EngineWindow final : public EngineView, public ConnectionPort {
public:
    explicit EngineWindow(TForm1& window);

    // The dialling window while it is open.
    TFormRas* dialWindow() const;

    // EngineView
    void setCommPanel(int panel, const QString& text) override;
    void setCommHint(const QString& text) override;
    void setCommBarVisible(bool visible) override;
    void setApplicationHint(const QString& text) override;
    void setAnimation(bool running) override;
    void setGlobalPanel(int panel, const QString& text) override;
    void setActionEnabled(EngineAction action, bool enabled) override;
    void setStartButtonHint(const QString& text) override;
    void setEndButtonHint(const QString& text) override;
    bool startButtonVisible() const override;
    bool showImagesInTree(bool on) override;
    bool documentViewOpen() const override;
    void clickedDocumentStored(TElement* element) override;
    void clickedImageStored(TElement* element) override;
    void cycleEnded() override;
    void downloadEnded(const DownloadReport& report) override;

    // ConnectionPort
    void showDialWindow(std::unique_ptr<DialSession> session) override;
    void closeDialWindow() override;
    std::optional<QString> chooseConnection(const QStringList& entries, const QString& current) override;
    void setEndButtonMenu(bool attached) override;
    void optionsChanged() override;

private:
    TForm1& m_window;
    QPointer<TFormRas> m_dial;
};

} // namespace glanix
