#include "ui/NewAddressWizard.h"

#include "agents/AddressOptions.h"
#include "store/TElement.h"
#include "ui/OptionWidgets.h"
#include "ui/WizardOptionPages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace glanix {

NewAddressWizard::NewAddressWizard(TElement& parentElement, QWidget* parent)
    : QDialog(parent)
    , m_pages(new QStackedWidget(this))
    , m_address(new QLineEdit(QStringLiteral("http://"), this))
    , m_name(new QLineEdit(this))
    , m_refresh(new WizardRefreshPage(this))
    , m_depth(new WizardDepthPage(this))
    , m_masks(new WizardMasksPage(this))
    , m_cancel(new QPushButton(tr("Annuler"), this))
    , m_previous(new QPushButton(tr("<  Précédent"), this))
    , m_next(new QPushButton(tr("Suivant  >"), this))
    , m_finish(new QPushButton(tr("Terminer"), this))
{
    setObjectName(QStringLiteral("NewAddressWizard"));
    setWindowTitle(tr("Nouvelle adresse"));
    m_address->setObjectName(QStringLiteral("address"));
    m_name->setObjectName(QStringLiteral("name"));

    auto* first = new QWidget(this);
    auto* firstLayout = new QVBoxLayout(first);
    firstLayout->addWidget(new QLabel(tr("Indiquez l'adresse :"), first));
    firstLayout->addWidget(m_address);
    firstLayout->addWidget(new QLabel(tr("Et éventuellement le nom de la page ou du site :"), first));
    firstLayout->addWidget(m_name);
    firstLayout->addStretch(1);
    for (QWidget* page : {first, static_cast<QWidget*>(m_refresh), static_cast<QWidget*>(m_depth),
                          static_cast<QWidget*>(m_masks)})
        m_pages->addWidget(page);

    // What the new address would inherit is what the pages offer first.
    m_refresh->choice()->setPolicy(refreshPolicyFromCode(parentElement.GetFrequency()));
    m_depth->setDownLoadImages(parentElement.GetDownLoadImages());
    const QString exclude = parentElement.GetExcludeMask();
    if (!exclude.isEmpty())
        m_masks->box()->setMasks({}, exclude);
    else
        m_masks->box()->setMasks(parentElement.GetIncludeMask(), {});

    connect(m_address, &QLineEdit::editingFinished, this,
            [this] { m_address->setText(addScheme(m_address->text())); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, &NewAddressWizard::next);
    connect(m_finish, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_depth, &WizardDepthPage::depthChanged, this, [this] { showPage(currentPage()); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {m_cancel, m_previous, m_next, m_finish})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);
    showPage(0);
}

int NewAddressWizard::currentPage() const
{
    return m_pages->currentIndex();
}

void NewAddressWizard::next()
{
    if (currentPage() == 0)
        m_address->setText(addScheme(m_address->text()));
    showPage(currentPage() + 1);
}

void NewAddressWizard::showPage(int page)
{
    const int last = m_depth->skipsMasksPage() ? 2 : 3;
    page = std::clamp(page, 0, last);
    m_pages->setCurrentIndex(page);
    m_previous->setEnabled(page > 0);
    m_next->setVisible(page < last);
    m_finish->setVisible(page == last);
    (page < last ? m_next : m_finish)->setDefault(true);
}

NewAddress NewAddressWizard::address() const
{
    NewAddress a;
    a.url = addScheme(m_address->text().trimmed());
    a.name = m_name->text().trimmed();
    a.frequency = m_refresh->frequency();
    a.downLoadImages = m_depth->downLoadImages();
    a.depth = m_depth->depth();
    a.sameServer = m_depth->sameServer();
    if (a.depth > 0) {
        a.includeMask = m_masks->includeMask();
        a.excludeMask = m_masks->excludeMask();
    }
    return a;
}

} // namespace glanix
