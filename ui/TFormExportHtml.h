#pragma once

#include "views/HtmlExport.h"

#include <QDialog>
#include <QUrl>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Export d'un groupe de page": the settings of the HTML export of the selected element
// (section Export of Glanix.ini, read when the dialog opens, written when it closes), the
// export itself with its progress in the caption, and the result opened in the browser.
// Escape during an export asks before interrupting it; the dialog never closes mid-run.
namespace glanix {

class Env;
class FolderChooser;
class TElement;
class UserPrompt;

class TFormExportHtml final : public QDialog, private ExportProgress {
    Q_OBJECT

public:
    using Opener = std::function<void(const QUrl&)>;

    TFormExportHtml(TElement& selected, Env& env, bool doNotCheckDiskSpace, UserPrompt& prompt,
                    FolderChooser& folders, QWidget* parent = nullptr);
    ~TFormExportHtml() override;

    // What opens the result ("Consulter après l'export"); the desktop's browser by default.
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // Tests give the free space of the destination.
    void setFreeSpaceProbe(HtmlExport::FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }

    // Called after each document has been handled, between the caption and the next one.
    void setStepHook(std::function<void()> hook) { m_stepHook = std::move(hook); }

    bool running() const { return m_export != nullptr; }

    const ExportResult& result() const { return m_result; }

    // The settings as the controls hold them.
    ExportSettings settings() const;

public slots:
    // "Exporter".
    void accept() override;
    // "Annuler", Escape or the window's close button.
    void reject() override;

signals:
    void helpRequested(const QString& topic);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void updateEnabled();
    void browse();
    void askInterruption();
    void finish();

    // ExportProgress.
    void caption(const QString& text) override;
    void sizeKnown(const QString& text) override;
    void processEvents() override;

    TElement& m_selected;
    Env& m_env;
    bool m_doNotCheckDiskSpace;
    UserPrompt& m_prompt;
    FolderChooser& m_folders;
    Opener m_opener;
    HtmlExport::FreeSpaceProbe m_freeSpace;
    std::function<void()> m_stepHook;
    HtmlExport* m_export = nullptr;
    bool m_asking = false;
    ExportResult m_result;

    QCheckBox* m_sameServer;
    QCheckBox* m_keepStruct;
    QCheckBox* m_dontChange;
    QCheckBox* m_withImg;
    QCheckBox* m_onlyHtml;
    QCheckBox* m_makeIndex;
    QSpinBox* m_depth;
    QLabel* m_size;
    QLineEdit* m_saveTo;
    QCheckBox* m_consult;
    QWidget* m_options;
    QWidget* m_buttons;
};

} // namespace glanix
