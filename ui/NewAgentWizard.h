#pragma once

#include "agents/NewAgent.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QStackedWidget;

// "&Nouvel agent": up to six modal pages in one dialog. The first four ("Création d'un
// agent") choose the starting point, the name, the folder and the refresh mode; for one
// address two more ("Nouvelle adresse") choose its depth and images, then its file types
// (skipped at depth 0). "<  Précédent" goes back to the page shown before, "Annuler" ends
// everything, the last page's "Terminer" accepts. What was chosen comes out as a
// NewAgentChoice for createAgent.
namespace glanix {

class FolderChooser;
class TFormNouvelAgent1;
class TFormNouvelAgent2;
class TFormNouvelAgent3;
class TFormNouvelAgent4;
class UserPrompt;
class WizardDepthPage;
class WizardMasksPage;

struct NewAgentWizardSetup {
    QString home;
    QString bookmarkFile; // General/BookMarkFileName
    QString favoritesFolder; // General/FavoritesFolder
    QString clipboardText;
};

class NewAgentWizard final : public QDialog {
    Q_OBJECT

public:
    enum Page { Start, Name, Folder, Refresh, Depth, Masks };

    NewAgentWizard(const NewAgentWizardSetup& setup, UserPrompt& prompt, FolderChooser& folders,
                   QWidget* parent = nullptr);

    Page currentPage() const;
    NewAgentChoice choice() const;

    TFormNouvelAgent1* startPage() const { return m_start; }

    TFormNouvelAgent2* namePage() const { return m_name; }

    TFormNouvelAgent3* folderPage() const { return m_folder; }

    TFormNouvelAgent4* refreshPage() const { return m_refresh; }

    WizardDepthPage* depthPage() const { return m_depth; }

    WizardMasksPage* masksPage() const { return m_masks; }

    QPushButton* nextButton() const { return m_next; }

    QPushButton* previousButton() const { return m_previous; }

    QPushButton* cancelButton() const { return m_cancel; }

    // "Suivant" (or "Terminer") and "Précédent", as the buttons do.
    void next();
    void previous();

private:
    void showPage(Page page);
    bool leave(Page page);
    Page following(Page page) const;
    bool isLast(Page page) const;

    NewAgentWizardSetup m_setup;
    UserPrompt& m_prompt;
    QStackedWidget* m_pages;
    TFormNouvelAgent1* m_start;
    TFormNouvelAgent2* m_name;
    TFormNouvelAgent3* m_folder;
    TFormNouvelAgent4* m_refresh;
    WizardDepthPage* m_depth;
    WizardMasksPage* m_masks;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_cancel;
    std::vector<Page> m_shown;
    QString m_folderFilledFor; // the name the folder page was last filled for
    QString m_address;
};

} // namespace glanix
