#include "ui/OptionWidgets.h"

#include "ui/NumberEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace glanix {

namespace {

QString maskSetLabel(MaskSet set)
{
    switch (set) {
    case MaskSet::HtmlText:
        return MaskTypesBox::tr("Html et textes");
    case MaskSet::Images:
        return MaskTypesBox::tr("Images", "files linked from a page");
    case MaskSet::Sounds:
        return MaskTypesBox::tr("Sons");
    case MaskSet::Video:
        return MaskTypesBox::tr("Vidéo");
    case MaskSet::Zip:
        return MaskTypesBox::tr("Fichiers zip");
    case MaskSet::Programs:
        return MaskTypesBox::tr("Programmes");
    }
    return {};
}

} // namespace

void clearRadios(QRadioButton* a, QRadioButton* b)
{
    for (QRadioButton* r : {a, b}) {
        // An exclusive group refuses to leave all its buttons off.
        QButtonGroup* group = r->group();
        const bool exclusive = group ? group->exclusive() : r->autoExclusive();
        if (group)
            group->setExclusive(false);
        else
            r->setAutoExclusive(false);
        r->setChecked(false);
        if (group)
            group->setExclusive(exclusive);
        else
            r->setAutoExclusive(exclusive);
    }
}

// --- RefreshChoice ---------------------------------------------------------------------------

RefreshChoice::RefreshChoice(QWidget* parent)
    : QWidget(parent)
    , m_systematic(new QRadioButton(tr("Systématique"), this))
    , m_automatic(new QRadioButton(tr("Automatique"), this))
    , m_onlyIfRead(new QCheckBox(tr("Seulement si lu"), this))
    , m_nextCheck(new QLabel(this))
    , m_once(new QRadioButton(tr("Une seule fois"), this))
    , m_scheduled(new QRadioButton(tr("Programmée :"), this))
    , m_scheduledGroup(new QWidget(this))
    , m_days(new NumberEdit(1, 999, m_scheduledGroup))
    , m_period(new NumberEdit(0, 99, m_scheduledGroup))
    , m_unchanged(new QRadioButton(tr("Inchangée", "refresh policy left as it is"), this))
{
    m_systematic->setObjectName(QStringLiteral("systematic"));
    m_automatic->setObjectName(QStringLiteral("automatic"));
    m_onlyIfRead->setObjectName(QStringLiteral("onlyIfRead"));
    m_nextCheck->setObjectName(QStringLiteral("nextCheck"));
    m_once->setObjectName(QStringLiteral("once"));
    m_scheduled->setObjectName(QStringLiteral("scheduled"));
    m_days->setObjectName(QStringLiteral("days"));
    m_period->setObjectName(QStringLiteral("period"));
    m_unchanged->setObjectName(QStringLiteral("unchanged"));

    auto* group = new QButtonGroup(this);
    for (QRadioButton* r : {m_systematic, m_automatic, m_once, m_scheduled, m_unchanged})
        group->addButton(r);
    m_automatic->setToolTip(tr("Les pages sont  vérifiées au minimum une fois tous les 30 jours."));
    m_onlyIfRead->setChecked(true);
    m_days->setValue(1);
    m_unchanged->hide();
    m_nextCheck->hide();

    auto* schedule = new QHBoxLayout(m_scheduledGroup);
    schedule->setContentsMargins(0, 0, 0, 0);
    schedule->addWidget(m_days);
    schedule->addWidget(new QLabel(tr("jours"), m_scheduledGroup));
    schedule->addWidget(new QLabel(tr("après modification"), m_scheduledGroup));
    schedule->addSpacing(8);
    schedule->addWidget(new QLabel(tr("puis tous les"), m_scheduledGroup));
    schedule->addWidget(m_period);
    schedule->addWidget(new QLabel(tr("jours"), m_scheduledGroup));
    schedule->addStretch(1);

    const int indent = 24;
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setColumnMinimumWidth(0, indent);
    layout->setColumnStretch(1, 1);
    layout->addWidget(m_systematic, 0, 0, 1, 2);
    layout->addWidget(m_automatic, 1, 0, 1, 2);
    layout->addWidget(m_onlyIfRead, 2, 1);
    layout->addWidget(m_nextCheck, 3, 1);
    layout->addWidget(m_once, 4, 0, 1, 2);
    layout->addWidget(m_scheduled, 5, 0, 1, 2);
    layout->addWidget(m_scheduledGroup, 6, 1);
    layout->addWidget(m_unchanged, 7, 0, 1, 2);

    connect(group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
        if (on)
            updateEnabled();
    });
    connect(m_automatic, &QRadioButton::clicked, this, &RefreshChoice::automaticChosen);
    m_systematic->setChecked(true);
    updateEnabled();
}

void RefreshChoice::setPolicy(const RefreshPolicy& policy)
{
    switch (policy.mode) {
    case RefreshMode::Systematic:
        m_systematic->setChecked(true);
        break;
    case RefreshMode::Automatic:
        m_automatic->setChecked(true);
        break;
    case RefreshMode::Once:
        m_once->setChecked(true);
        break;
    case RefreshMode::Scheduled:
        m_scheduled->setChecked(true);
        break;
    }
    m_onlyIfRead->setChecked(policy.mode != RefreshMode::Automatic || policy.onlyIfRead);
    if (policy.mode == RefreshMode::Scheduled) {
        m_days->setNumber(policy.daysAfterModification);
        m_period->setNumber(policy.period);
    }
    updateEnabled();
}

std::optional<RefreshPolicy> RefreshChoice::policy() const
{
    for (NumberEdit* n : {m_days, m_period})
        n->interpretText();
    RefreshPolicy p;
    p.onlyIfRead = m_onlyIfRead->isChecked();
    p.daysAfterModification = m_days->value();
    p.period = m_period->value();
    if (m_systematic->isChecked())
        p.mode = RefreshMode::Systematic;
    else if (m_automatic->isChecked())
        p.mode = RefreshMode::Automatic;
    else if (m_once->isChecked())
        p.mode = RefreshMode::Once;
    else if (m_scheduled->isChecked())
        p.mode = RefreshMode::Scheduled;
    else
        return std::nullopt;
    return p;
}

void RefreshChoice::setUnchanged()
{
    m_unchanged->show();
    m_unchanged->setChecked(true);
    updateEnabled();
}

void RefreshChoice::setScheduledCaption(const QString& caption)
{
    m_scheduled->setText(caption);
}

void RefreshChoice::setNextCheckText(const QString& text)
{
    m_nextCheck->setText(tr("Prochaine vérification ") + text);
    m_nextCheck->setVisible(!text.isEmpty());
}

QRadioButton* RefreshChoice::selectedRadio() const
{
    for (QRadioButton* r : {m_systematic, m_automatic, m_once, m_scheduled, m_unchanged}) {
        if (r->isChecked())
            return r;
    }
    return m_systematic;
}

void RefreshChoice::updateEnabled()
{
    m_onlyIfRead->setEnabled(m_automatic->isChecked());
    m_scheduledGroup->setEnabled(m_scheduled->isChecked());
    if (!m_automatic->isChecked())
        m_nextCheck->hide();
}

// --- MaskTypesBox ------------------------------------------------------------------------------

MaskTypesBox::MaskTypesBox(QWidget* parent)
    : QWidget(parent)
    , m_only(new QRadioButton(tr("Seulement les types sélectionnés"), this))
    , m_allBut(new QRadioButton(tr("Tout sauf les types sélectionnés"), this))
    , m_text(new QLineEdit(this))
{
    m_only->setObjectName(QStringLiteral("onlyTypes"));
    m_allBut->setObjectName(QStringLiteral("allButTypes"));
    m_text->setObjectName(QStringLiteral("maskText"));
    m_text->setToolTip(tr("Masques séparés par des blancs, par exemple *.zip *.pdf"));

    auto* types = new QGridLayout;
    for (int i = 0; i < kMaskSetCount; ++i) {
        const auto set = static_cast<MaskSet>(i);
        auto* box = new QCheckBox(maskSetLabel(set), this);
        box->setObjectName(QStringLiteral("maskType%1").arg(i));
        box->setToolTip(maskSetMasks(set));
        m_types[static_cast<size_t>(i)] = box;
        types->addWidget(box, i / 3, i % 3);
        connect(box, &QCheckBox::clicked, this, [this, set](bool on) { typeToggled(set, on); });
    }
    auto* group = new QButtonGroup(this);
    group->addButton(m_only);
    group->addButton(m_allBut);
    m_allBut->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(types);
    layout->addWidget(m_only);
    layout->addWidget(m_allBut);
    layout->addWidget(m_text);

    connect(m_text, &QLineEdit::textEdited, this, [this] {
        m_text->setProperty("undetermined", false);
        retick();
    });
}

void MaskTypesBox::setMasks(const QString& include, const QString& exclude)
{
    if (!exclude.isEmpty()) {
        m_text->setText(exclude);
        m_allBut->setChecked(true);
    } else if (!include.isEmpty()) {
        m_text->setText(include);
        m_only->setChecked(true);
    } else {
        m_text->clear();
        m_allBut->setChecked(true);
    }
    m_text->setProperty("undetermined", false);
    retick();
}

void MaskTypesBox::setUndeterminedMode()
{
    clearRadios(m_only, m_allBut);
}

void MaskTypesBox::setUndeterminedText()
{
    m_text->clear();
    m_text->setProperty("undetermined", true);
    retick();
}

MaskTypesBox::Mode MaskTypesBox::mode() const
{
    return m_only->isChecked() ? Mode::Only : m_allBut->isChecked() ? Mode::AllBut : Mode::Undetermined;
}

QString MaskTypesBox::maskText() const
{
    return m_text->text();
}

void MaskTypesBox::normalise()
{
    QString text = m_text->text();
    for (int i = 0; i < kMaskSetCount; ++i) {
        if (m_types[static_cast<size_t>(i)]->isChecked()) {
            const QString set = maskSetMasks(static_cast<MaskSet>(i));
            text = addMasks(removeMasks(text, set), set);
        }
    }
    if (text != m_text->text())
        m_text->setText(text);
}

std::optional<std::pair<QString, QString>> MaskTypesBox::masks() const
{
    // A text emptied because the elements differ, and not touched since, changes nothing.
    if (mode() == Mode::Undetermined || m_text->property("undetermined").toBool())
        return std::nullopt;
    const QString text = m_text->text().trimmed();
    return mode() == Mode::Only ? std::pair {text, QString()} : std::pair {QString(), text};
}

void MaskTypesBox::typeToggled(MaskSet set, bool on)
{
    const QString masks = maskSetMasks(set);
    m_text->setText(on ? addMasks(m_text->text(), masks) : removeMasks(m_text->text(), masks));
    m_text->setProperty("undetermined", false);
    retick();
}

void MaskTypesBox::retick()
{
    for (int i = 0; i < kMaskSetCount; ++i) {
        QCheckBox* box = m_types[static_cast<size_t>(i)];
        const QSignalBlocker block(box);
        box->setChecked(containsAllMasks(m_text->text(), maskSetMasks(static_cast<MaskSet>(i))));
    }
}

} // namespace glanix
