#pragma once

#include "agents/NewAgent.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

// The first four pages of the new-agent wizard ("Création d'un agent"): the starting point,
// the name, the folder and the refresh mode. Each page holds the user's choice; the wizard
// (NewAgentWizard) checks it on "Suivant" with the rules of agents/NewAgent.
namespace glanix {

class FolderChooser;
class WizardRefreshPage;

// Starting point: an empty agent, a browser's bookmark file, one address, or the favourites.
class TFormNouvelAgent1 final : public QWidget {
    Q_OBJECT

public:
    // `netscapeFree`: no agent "Netscape" exists yet. An empty favourites folder turns the
    // favourites choice off.
    TFormNouvelAgent1(bool netscapeFree, const QString& bookmarkFile, const QString& clipboardAddress,
                      const QString& favoritesFolder, FolderChooser& folders, QWidget* parent = nullptr);

    AgentStart start() const;
    QString bookmarkFile() const;
    QString address() const;
    void setAddress(const QString& address);
    // "Tous": the favourites folder itself; "Une partie": the folder given.
    QString favoritesFolder() const;
    bool wholeFavorites() const;

    QRadioButton* folderChoice() const { return m_folder; }

    QRadioButton* netscapeChoice() const { return m_netscape; }

    QRadioButton* addressChoice() const { return m_address; }

    QRadioButton* favoritesChoice() const { return m_favorites; }

    QRadioButton* partChoice() const { return m_part; }

    QLineEdit* addressField() const { return m_addressField; }

    QLineEdit* bookmarkField() const { return m_bookmarkField; }

    QLineEdit* favoritesField() const { return m_favoritesField; }

private:
    void updateEnabled();

    QString m_favoritesRoot;
    FolderChooser& m_folders;
    QRadioButton* m_folder;
    QRadioButton* m_netscape;
    QLineEdit* m_bookmarkField;
    QToolButton* m_bookmarkBrowse;
    QRadioButton* m_address;
    QLineEdit* m_addressField;
    QRadioButton* m_favorites;
    QRadioButton* m_all;
    QRadioButton* m_part;
    QLineEdit* m_favoritesField;
    QToolButton* m_favoritesBrowse;
};

// The agent's name.
class TFormNouvelAgent2 final : public QWidget {
    Q_OBJECT

public:
    explicit TFormNouvelAgent2(const QString& proposed, QWidget* parent = nullptr);

    QString name() const;

    QLineEdit* nameField() const { return m_name; }

private:
    QLineEdit* m_name;
};

// Where the agent's folders go.
class TFormNouvelAgent3 final : public QWidget {
    Q_OBJECT

public:
    TFormNouvelAgent3(FolderChooser& folders, QWidget* parent = nullptr);

    QString folder() const;
    void setFolder(const QString& folder);

    QLineEdit* folderField() const { return m_folder; }

private:
    FolderChooser& m_folders;
    QLineEdit* m_folder;
};

// The agent's refresh policy.
class TFormNouvelAgent4 final : public QWidget {
    Q_OBJECT

public:
    explicit TFormNouvelAgent4(QWidget* parent = nullptr);

    double frequency() const;

    WizardRefreshPage* refresh() const { return m_refresh; }

private:
    WizardRefreshPage* m_refresh;
};

} // namespace glanix
