#include "ui/NewAgentWizard.h"

#include "agents/AddressOptions.h"
#include "agents/AgentFile.h"
#include "config/UserPrompt.h"
#include "ui/TFormNouvelAgent.h"
#include "ui/WizardOptionPages.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace glanix {

NewAgentWizard::NewAgentWizard(const NewAgentWizardSetup& setup, UserPrompt& prompt, FolderChooser& folders,
                               QWidget* parent)
    : QDialog(parent)
    , m_setup(setup)
    , m_prompt(prompt)
    , m_pages(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("NewAgentWizard"));
    const bool netscapeFree = !QFileInfo::exists(agentFilePath(setup.home, QStringLiteral("Netscape")));
    m_start
        = new TFormNouvelAgent1(netscapeFree, setup.bookmarkFile, addressFromClipboard(setup.clipboardText),
                                setup.favoritesFolder, folders, m_pages);
    m_name = new TFormNouvelAgent2(proposeAgentName(setup.home), m_pages);
    m_folder = new TFormNouvelAgent3(folders, m_pages);
    m_refresh = new TFormNouvelAgent4(m_pages);
    m_depth = new WizardDepthPage(m_pages);
    m_masks = new WizardMasksPage(m_pages);
    for (QWidget* page :
         std::initializer_list<QWidget*> {m_start, m_name, m_folder, m_refresh, m_depth, m_masks})
        m_pages->addWidget(page);

    m_previous = new QPushButton(tr("<  Précédent"), this);
    m_next = new QPushButton(tr("Suivant  >"), this);
    m_cancel = new QPushButton(tr("Annuler"), this);
    m_previous->setObjectName(QStringLiteral("previous"));
    m_next->setObjectName(QStringLiteral("next"));
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_next->setDefault(true);
    connect(m_previous, &QPushButton::clicked, this, &NewAgentWizard::previous);
    connect(m_next, &QPushButton::clicked, this, &NewAgentWizard::next);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_depth, &WizardDepthPage::depthChanged, this,
            [this] { m_next->setText(isLast(currentPage()) ? tr("Terminer") : tr("Suivant  >")); });

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addSpacing(12);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);
    resize(560, 400);
    showPage(Start);
}

NewAgentWizard::Page NewAgentWizard::currentPage() const
{
    return static_cast<Page>(m_pages->currentIndex());
}

bool NewAgentWizard::isLast(Page page) const
{
    if (m_start->start() != AgentStart::Address)
        return page == Refresh;
    return page == Masks || (page == Depth && m_depth->skipsMasksPage());
}

NewAgentWizard::Page NewAgentWizard::following(Page page) const
{
    switch (page) {
    case Start:
        return m_start->start() == AgentStart::Netscape ? Folder : Name;
    case Name:
        return Folder;
    case Folder:
        return Refresh;
    case Refresh:
        return Depth;
    case Depth:
    case Masks:
        return Masks;
    }
    return Masks;
}

void NewAgentWizard::showPage(Page page)
{
    if (page == Folder) {
        const QString name = choice().name;
        if (name != m_folderFilledFor) {
            m_folder->setFolder(proposeAgentFolder(m_setup.home, name));
            m_folderFilledFor = name;
        }
    }
    m_pages->setCurrentIndex(page);
    setWindowTitle(page <= Refresh ? tr("Création d'un agent") : tr("Nouvelle adresse"));
    m_previous->setVisible(page != Start);
    m_next->setText(isLast(page) ? tr("Terminer") : tr("Suivant  >"));
    if (QWidget* focus = m_pages->currentWidget()->nextInFocusChain())
        focus->setFocus(Qt::TabFocusReason);
}

bool NewAgentWizard::leave(Page page)
{
    switch (page) {
    case Start:
        if (m_start->start() == AgentStart::Address) {
            QString error;
            const auto address = acceptAgentAddress(m_start->address(), &error);
            if (!address) {
                m_prompt.warn(error);
                m_start->addressField()->setFocus();
                return false;
            }
            m_start->setAddress(*address);
        } else if (m_start->start() == AgentStart::Favorites
                   && !QFileInfo(m_start->favoritesFolder()).isDir()) {
            m_prompt.warn(tr("Le dossier des favoris %1 est introuvable").arg(m_start->favoritesFolder()));
            return false;
        }
        return true;
    case Name: {
        const QString why = agentNameError(m_setup.home, m_name->name());
        if (!why.isEmpty()) {
            m_prompt.warn(why);
            m_name->nameField()->setFocus();
            return false;
        }
        return true;
    }
    case Folder: {
        QString folder = m_folder->folder();
        if (!acceptAgentFolder(folder, m_setup.home, m_prompt)) {
            m_folder->folderField()->setFocus();
            return false;
        }
        m_folder->setFolder(folder);
        return true;
    }
    case Refresh:
    case Depth:
    case Masks:
        return true;
    }
    return true;
}

void NewAgentWizard::next()
{
    const Page page = currentPage();
    if (!leave(page))
        return;
    if (isLast(page)) {
        accept();
        return;
    }
    m_shown.push_back(page);
    showPage(following(page));
}

void NewAgentWizard::previous()
{
    if (m_shown.empty())
        return;
    const Page back = m_shown.back();
    m_shown.pop_back();
    showPage(back);
}

NewAgentChoice NewAgentWizard::choice() const
{
    NewAgentChoice c;
    c.start = m_start->start();
    c.name = c.start == AgentStart::Netscape ? QStringLiteral("Netscape") : m_name->name();
    c.folder = m_folder->folder();
    c.favoritesFolder = m_start->favoritesFolder();
    c.bookmarkFile = m_start->bookmarkFile();
    c.address = m_start->address().trimmed();
    c.frequency = m_refresh->frequency();
    c.downLoadImages = m_depth->downLoadImages();
    c.depth = m_depth->depth();
    c.sameServer = m_depth->sameServer();
    if (c.depth > 0) {
        c.includeMask = m_masks->includeMask();
        c.excludeMask = m_masks->excludeMask();
    }
    return c;
}

} // namespace glanix
