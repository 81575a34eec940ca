#include "ui/WizardOptionPages.h"

#include "agents/AddressOptions.h"
#include "store/Addresses.h"
#include "store/TElement.h"
#include "ui/NumberEdit.h"
#include "ui/OptionWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace glanix {

WizardRefreshPage::WizardRefreshPage(QWidget* parent)
    : QWidget(parent)
    , m_choice(new RefreshChoice(this))
{
    m_choice->setScheduledCaption(tr("Programmé :"));
    auto* title = new QLabel(tr("Quand faut-il vérifier si les pages ont changé ?"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_choice);
    layout->addStretch(1);
}

double WizardRefreshPage::frequency() const
{
    return frequencyCode(m_choice->policy().value_or(RefreshPolicy {}));
}

void WizardRefreshPage::applyTo(TElement& element) const
{
    element.SetFrequency(frequency());
}

WizardDepthPage::WizardDepthPage(QWidget* parent)
    : QWidget(parent)
    , m_depth(new NumberEdit(0, 50, this))
    , m_images(new QCheckBox(tr("Récupérer les images"), this))
    , m_allLinks(new QRadioButton(tr("Suivre tous les liens"), this))
    , m_sameServer(new QRadioButton(tr("Sur le même serveur"), this))
{
    m_depth->setObjectName(QStringLiteral("depth"));
    m_images->setObjectName(QStringLiteral("images"));
    m_allLinks->setObjectName(QStringLiteral("allLinks"));
    m_sameServer->setObjectName(QStringLiteral("sameServer"));
    m_images->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(m_allLinks);
    group->addButton(m_sameServer);
    m_sameServer->setChecked(true);
    connect(m_depth, &QSpinBox::textChanged, this, [this] { emit depthChanged(depth()); });

    auto* depthRow = new QHBoxLayout;
    depthRow->addWidget(new QLabel(tr("Profondeur de chargement"), this));
    depthRow->addWidget(m_depth);
    depthRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(depthRow);
    layout->addWidget(m_images);
    layout->addWidget(m_allLinks);
    layout->addWidget(m_sameServer);
    layout->addStretch(1);
}

int WizardDepthPage::depth() const
{
    m_depth->interpretText();
    return m_depth->value();
}

bool WizardDepthPage::downLoadImages() const
{
    return m_images->isChecked();
}

void WizardDepthPage::setDownLoadImages(bool on)
{
    m_images->setChecked(on);
}

bool WizardDepthPage::sameServer() const
{
    return m_sameServer->isChecked();
}

QString WizardDepthPage::linksStart(const QString& address) const
{
    return m_sameServer->isChecked() ? ServerPart(address) : QString();
}

void WizardDepthPage::applyTo(TElement& element) const
{
    element.SetDownLoadImages(downLoadImages());
    element.SetDownLoadLinksDepth(depth());
    element.SetDownLoadLinksStart(linksStart(element.GetURL()));
}

WizardMasksPage::WizardMasksPage(QWidget* parent)
    : QWidget(parent)
    , m_box(new MaskTypesBox(this))
{
    auto* title = new QLabel(tr("Quels types de fichiers faut-il récupérer en suivant les liens ?"), this);
    title->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_box);
    layout->addStretch(1);
}

QString WizardMasksPage::includeMask() const
{
    m_box->normalise();
    return m_box->masks().value_or(std::pair<QString, QString> {}).first;
}

QString WizardMasksPage::excludeMask() const
{
    m_box->normalise();
    return m_box->masks().value_or(std::pair<QString, QString> {}).second;
}

} // namespace glanix

namespace glanix {

void WizardMasksPage::applyTo(TElement& element) const
{
    element.SetIncludeMask(includeMask());
    element.SetExcludeMask(excludeMask());
}

} // namespace glanix
