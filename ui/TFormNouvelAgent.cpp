#include "ui/TFormNouvelAgent.h"

#include "agents/AddressOptions.h"
#include "agents/FolderChooser.h"
#include "ui/OptionWidgets.h"
#include "ui/WizardOptionPages.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace glanix {

namespace {

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QToolButton* browseButton(QWidget* parent, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(QStringLiteral("..."));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    return button;
}

} // namespace

// --- Starting point ---------------------------------------------------------------------------

TFormNouvelAgent1::TFormNouvelAgent1(bool netscapeFree, const QString& bookmarkFile,
                                     const QString& clipboardAddress, const QString& favoritesFolder,
                                     FolderChooser& folders, QWidget* parent)
    : QWidget(parent)
    , m_favoritesRoot(favoritesFolder)
    , m_folders(folders)
    , m_folder(new QRadioButton(tr("Un dossier d'adresses"), this))
    , m_netscape(new QRadioButton(tr("Les signets de Netscape"), this))
    , m_bookmarkField(new QLineEdit(bookmarkFile, this))
    , m_bookmarkBrowse(browseButton(this, "bookmarkBrowse"))
    , m_address(new QRadioButton(tr("Une adresse"), this))
    , m_addressField(new QLineEdit(clipboardAddress, this))
    , m_favorites(new QRadioButton(tr("Les favoris d'Internet Explorer"), this))
    , m_all(new QRadioButton(tr("Tous"), this))
    , m_part(new QRadioButton(tr("Une partie"), this))
    , m_favoritesField(new QLineEdit(favoritesFolder, this))
    , m_favoritesBrowse(browseButton(this, "favoritesBrowse"))
{
    setObjectName(QStringLiteral("TFormNouvelAgent1"));
    m_folder->setObjectName(QStringLiteral("startFolder"));
    m_netscape->setObjectName(QStringLiteral("startNetscape"));
    m_address->setObjectName(QStringLiteral("startAddress"));
    m_favorites->setObjectName(QStringLiteral("startFavorites"));
    m_all->setObjectName(QStringLiteral("favoritesAll"));
    m_part->setObjectName(QStringLiteral("favoritesPart"));
    m_bookmarkField->setObjectName(QStringLiteral("bookmarkFile"));
    m_addressField->setObjectName(QStringLiteral("address"));
    m_favoritesField->setObjectName(QStringLiteral("favoritesFolder"));

    auto* starts = new QButtonGroup(this);
    for (QRadioButton* r : {m_folder, m_netscape, m_address, m_favorites})
        starts->addButton(r);
    auto* parts = new QButtonGroup(this);
    parts->addButton(m_all);
    parts->addButton(m_part);
    m_all->setChecked(true);
    m_address->setChecked(true);
    m_netscape->setEnabled(netscapeFree);
    // Without a favourites folder (General/FavoritesFolder) there is nothing to start from.
    m_favorites->setEnabled(!favoritesFolder.isEmpty());
    if (favoritesFolder.isEmpty())
        m_favorites->setToolTip(tr("Indiquez le dossier des favoris dans les options générales"));

    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 24);
    grid->setColumnStretch(2, 1);
    int row = 0;
    grid->addWidget(m_folder, row++, 0, 1, 4);
    grid->addWidget(m_netscape, row++, 0, 1, 4);
    grid->addWidget(new QLabel(tr("Fichier BookMark"), this), row, 1);
    grid->addWidget(m_bookmarkField, row, 2);
    grid->addWidget(m_bookmarkBrowse, row++, 3);
    grid->addWidget(m_address, row++, 0, 1, 4);
    grid->addWidget(m_addressField, row++, 1, 1, 3);
    grid->addWidget(m_favorites, row++, 0, 1, 4);
    auto* partRow = new QHBoxLayout;
    partRow->addWidget(m_all);
    partRow->addWidget(m_part);
    partRow->addStretch(1);
    grid->addLayout(partRow, row++, 1, 1, 3);
    grid->addWidget(new QLabel(tr("Point de départ dans les favoris"), this), row, 1);
    grid->addWidget(m_favoritesField, row, 2);
    grid->addWidget(m_favoritesBrowse, row++, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(tr("Choisissez un point de départ pour votre agent :"), this));
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addStretch(1);

    connect(starts, &QButtonGroup::buttonToggled, this, [this] { updateEnabled(); });
    connect(parts, &QButtonGroup::buttonToggled, this, [this] { updateEnabled(); });
    connect(m_bookmarkBrowse, &QToolButton::clicked, this, [this] {
        const QString file
            = QFileDialog::getOpenFileName(this, tr("Fichier BookMark"), m_bookmarkField->text(),
                                           tr("Signets (*.html *.htm);;Tous types (*)"));
        if (!file.isEmpty())
            m_bookmarkField->setText(file);
    });
    connect(m_favoritesBrowse, &QToolButton::clicked, this, [this] {
        const QString folder
            = m_folders.chooseFolder(tr("Dossier ou sous-dossier des favoris"), m_favoritesField->text());
        if (!folder.isEmpty())
            m_favoritesField->setText(folder);
    });
    connect(m_addressField, &QLineEdit::textEdited, this, [this] { m_address->setChecked(true); });
    updateEnabled();
}

void TFormNouvelAgent1::updateEnabled()
{
    m_bookmarkField->setEnabled(m_netscape->isChecked());
    m_bookmarkBrowse->setEnabled(m_netscape->isChecked());
    m_all->setEnabled(m_favorites->isChecked());
    m_part->setEnabled(m_favorites->isChecked());
    const bool part = m_favorites->isChecked() && m_part->isChecked();
    m_favoritesField->setEnabled(part);
    m_favoritesBrowse->setEnabled(part);
}

AgentStart TFormNouvelAgent1::start() const
{
    if (m_folder->isChecked())
        return AgentStart::Folder;
    if (m_netscape->isChecked())
        return AgentStart::Netscape;
    if (m_favorites->isChecked())
        return AgentStart::Favorites;
    return AgentStart::Address;
}

QString TFormNouvelAgent1::bookmarkFile() const
{
    return m_bookmarkField->text().trimmed();
}

QString TFormNouvelAgent1::address() const
{
    return m_addressField->text();
}

void TFormNouvelAgent1::setAddress(const QString& address)
{
    m_addressField->setText(address);
}

bool TFormNouvelAgent1::wholeFavorites() const
{
    return m_all->isChecked();
}

QString TFormNouvelAgent1::favoritesFolder() const
{
    return wholeFavorites() ? m_favoritesRoot : m_favoritesField->text().trimmed();
}

// --- Name --------------------------------------------------------------------------------------

TFormNouvelAgent2::TFormNouvelAgent2(const QString& proposed, QWidget* parent)
    : QWidget(parent)
    , m_name(new QLineEdit(proposed, this))
{
    setObjectName(QStringLiteral("TFormNouvelAgent2"));
    m_name->setObjectName(QStringLiteral("name"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(tr("Donnez un nom à cet agent :"), this));
    layout->addSpacing(6);
    layout->addWidget(m_name);
    layout->addStretch(1);
}

QString TFormNouvelAgent2::name() const
{
    return m_name->text().trimmed();
}

// --- Folder ------------------------------------------------------------------------------------

TFormNouvelAgent3::TFormNouvelAgent3(FolderChooser& folders, QWidget* parent)
    : QWidget(parent)
    , m_folders(folders)
    , m_folder(new QLineEdit(this))
{
    setObjectName(QStringLiteral("TFormNouvelAgent3"));
    m_folder->setObjectName(QStringLiteral("folder"));
    QToolButton* browse = browseButton(this, "folderBrowse");
    auto* row = new QHBoxLayout;
    row->addWidget(m_folder, 1);
    row->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading(
        tr("Indiquez le chemin où sera sauvegardé le contenu de l'agent que vous allez créer :"), this));
    layout->addSpacing(6);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString chosen = m_folders.chooseFolder(
            tr("Indiquez le chemin où sera sauvegardé le contenu de l'agent"), m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(chosen);
    });
}

QString TFormNouvelAgent3::folder() const
{
    return m_folder->text().trimmed();
}

void TFormNouvelAgent3::setFolder(const QString& folder)
{
    m_folder->setText(folder);
}

// --- Refresh mode ----------------------------------------------------------------------------

TFormNouvelAgent4::TFormNouvelAgent4(QWidget* parent)
    : QWidget(parent)
    , m_refresh(new WizardRefreshPage(this))
{
    setObjectName(QStringLiteral("TFormNouvelAgent4"));
    m_refresh->choice()->setPolicy(RefreshPolicy {});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_refresh);
}

double TFormNouvelAgent4::frequency() const
{
    return m_refresh->frequency();
}

} // namespace glanix
