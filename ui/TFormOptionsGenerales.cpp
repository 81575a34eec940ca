#include "ui/TFormOptionsGenerales.h"

#include "config/Confirmations.h"
#include "config/FrenchText.h"
#include "config/GeneralOptions.h"
#include "config/RemoteAccess.h"
#include "config/Settings.h"
#include "config/UserPrompt.h"
#include "ui/ColorPanel.h"
#include "ui/DialogButtons.h"
#include "ui/NumberEdit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace glanix {

namespace {

const QString kHelpTopic = QStringLiteral("Preferences");

// Shows folders and the files the user may run.
class ExecutableFilter final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* fs = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!fs)
            return true;
        const QFileInfo info = fs->fileInfo(fs->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

QString chooseProgram(QWidget* parent, const QString& current)
{
    QFileDialog dialog(parent, QCoreApplication::translate("TFormOptionsGenerales", "Choisir un programme"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QCoreApplication::translate("TFormOptionsGenerales", "Fichiers programmes (*)"));
    dialog.setProxyModel(new ExecutableFilter(&dialog));
    const QFileInfo info(current);
    dialog.setDirectory(!current.isEmpty() && info.absoluteDir().exists() ? info.absolutePath()
                                                                          : QStringLiteral("/usr/bin"));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
        ? dialog.selectedFiles().first()
        : QString();
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch = true)
{
    auto* layout = new QHBoxLayout;
    for (QWidget* w : widgets)
        layout->addWidget(w);
    if (stretch)
        layout->addStretch(1);
    return layout;
}

template<class W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TFormOptionsGenerales::TFormOptionsGenerales(Settings& settings, UserPrompt& prompt,
                                             RemoteAccessProbe& remoteAccess, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_prompt(prompt)
    , m_remoteAccess(remoteAccess)
    , m_modemAtOpen(settings.Opt().ConnectByModem)
    , m_tabs(new QTabWidget(this))
{
    setWindowTitle(tr("Options générales"));
    m_tabs->addTab(buildConnectionTab(), tr("Connexion"));
    m_tabs->addTab(buildDownloadTab(), tr("Téléchargement"));
    m_tabs->addTab(buildCompareTab(), tr("Comparaison"));
    m_tabs->addTab(buildMiscTab(), tr("Divers"));
    m_tabs->addTab(buildProfileTab(), tr("Profil"));

    const DialogButtons buttons
        = makeDialogButtons(this, tr("OK"), [this] { emit helpRequested(kHelpTopic); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons.box);

    loadFromOpt();
}

QWidget* TFormOptionsGenerales::buildConnectionTab()
{
    auto* page = new QWidget;

    auto* mode = new QGroupBox(tr("Mode de connexion"), page);
    m_byModem = named(new QRadioButton(tr("Par modem"), mode), "byModem");
    m_byNetwork = named(new QRadioButton(tr("Par réseau local"), mode), "byNetwork");
    m_hangUpBeforeBox = named(new QCheckBox(tr("Ne pas raccrocher avant "), mode), "hangUpBeforeBox");
    m_hangUpBefore = named(new NumberEdit(0, 9999999, mode), "hangUpBefore");
    m_hangUpAfterBox = named(new QCheckBox(tr("Raccrocher au plus tard après"), mode), "hangUpAfterBox");
    m_hangUpAfter = named(new NumberEdit(0, 9999999, mode), "hangUpAfter");
    m_keepReady = named(new QCheckBox(tr("Rester connecté et prêt pour de nouveaux téléchargements"), mode),
                        "keepReady");
    auto* delays = new QGridLayout;
    delays->setContentsMargins(24, 0, 0, 0);
    delays->addWidget(m_hangUpBeforeBox, 0, 0);
    delays->addWidget(m_hangUpBefore, 0, 1);
    delays->addWidget(new QLabel(tr("minutes"), mode), 0, 2);
    delays->addWidget(m_hangUpAfterBox, 1, 0);
    delays->addWidget(m_hangUpAfter, 1, 1);
    delays->addWidget(new QLabel(tr("minutes"), mode), 1, 2);
    delays->setColumnStretch(3, 1);
    auto* modeLayout = new QVBoxLayout(mode);
    modeLayout->addWidget(m_byModem);
    modeLayout->addLayout(delays);
    modeLayout->addWidget(m_byNetwork);
    modeLayout->addWidget(m_keepReady);
    connect(m_byModem, &QRadioButton::clicked, this, &TFormOptionsGenerales::chooseModem);
    connect(m_byNetwork, &QRadioButton::toggled, this, &TFormOptionsGenerales::updateModemFields);
    for (auto [box, field] :
         {std::pair {m_hangUpBeforeBox, m_hangUpBefore}, std::pair {m_hangUpAfterBox, m_hangUpAfter}}) {
        connect(field, &NumberEdit::editingFinished, box,
                [box, field] { box->setChecked(field->value() > 0); });
    }

    auto* proxy = new QGroupBox(tr("Accès par un proxy"), page);
    m_proxyBox = named(new QCheckBox(tr("Proxy :"), proxy), "proxyBox");
    m_proxyAddress = named(new QLineEdit(proxy), "proxyAddress");
    m_proxyAddress->setPlaceholderText(tr("adresse du proxy"));
    m_proxyPort = named(new QLineEdit(proxy), "proxyPort");
    m_proxyPort->setMaxLength(10);
    m_proxyPort->setPlaceholderText(QStringLiteral("8080"));
    m_proxyPort->setMaximumWidth(m_proxyPort->fontMetrics().horizontalAdvance(QStringLiteral("0000000"))
                                 + 16);
    auto* proxyLayout = new QHBoxLayout(proxy);
    proxyLayout->addWidget(m_proxyBox);
    proxyLayout->addWidget(m_proxyAddress, 1);
    proxyLayout->addWidget(new QLabel(tr("Port :"), proxy));
    proxyLayout->addWidget(m_proxyPort);
    connect(m_proxyPort, &QLineEdit::editingFinished, this,
            [this] { m_proxyPort->setText(normalisePort(m_proxyPort->text())); });

    auto* bandwidth = new QGroupBox(tr("Bande passante maximale"), page);
    m_bandwidth = named(new QSlider(Qt::Horizontal, bandwidth), "bandwidth");
    m_bandwidth->setRange(0, kBandwidthPositions - 1);
    m_bandwidth->setPageStep(1);
    m_bandwidth->setTickPosition(QSlider::TicksBelow);
    m_bandwidth->setValue(kBandwidthPositions - 1);
    m_bandwidthLabel = named(new QLabel(bandwidth), "bandwidthLabel");
    m_bandwidthLabel->setMinimumWidth(
        m_bandwidthLabel->fontMetrics().horizontalAdvance(QStringLiteral("100 Ko/s")) + 8);
    auto* bandwidthLayout = new QHBoxLayout(bandwidth);
    bandwidthLayout->addWidget(m_bandwidth, 1);
    bandwidthLayout->addWidget(m_bandwidthLabel);
    connect(m_bandwidth, &QSlider::valueChanged, this, &TFormOptionsGenerales::updateBandwidthLabel);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(mode);
    layout->addWidget(proxy);
    layout->addWidget(bandwidth);
    layout->addStretch(1);
    return page;
}

QWidget* TFormOptionsGenerales::buildDownloadTab()
{
    auto* page = new QWidget;
    m_nbMaxDownLoads = named(new NumberEdit(1, 50, page), "nbMaxDownLoads");
    m_timeOut = named(new NumberEdit(10, 300, page), "timeOut");
    m_timeOutByPage = named(new NumberEdit(2, 20, page), "timeOutByPage");
    auto* numbers = new QFormLayout;
    numbers->addRow(tr("Nombre de téléchargements simultanés :"), row({m_nbMaxDownLoads}));
    numbers->addRow(tr("Interrompre un transfert sans réponse après :"),
                    row({m_timeOut, new QLabel(tr("secondes"), page)}));
    numbers->addRow(tr("Délai supplémentaire par téléchargement en cours :"),
                    row({m_timeOutByPage, new QLabel(tr("secondes"), page)}));

    m_downLoadFromSelection
        = named(new QCheckBox(tr("Chercher les téléchargements à partir de l'élément sélectionné"), page),
                "downLoadFromSelection");
    m_priorityToChilds = named(
        new QCheckBox(tr("Télécharger d'abord les images et les liens des pages déjà chargées"), page),
        "priorityToChilds");
    m_saveCommsForImg = named(
        new QCheckBox(tr("Conserver le détail des communications pour les images"), page), "saveCommsForImg");
    m_doNotCheckDiskSpace
        = named(new QCheckBox(tr("Ne pas vérifier l'espace disque disponible"), page), "doNotCheckDiskSpace");

    auto* counter = new QGroupBox(tr("Total téléchargé"), page);
    m_total = named(new QLineEdit(counter), "total");
    m_total->setReadOnly(true);
    m_total->setAlignment(Qt::AlignRight);
    m_total->setMaximumWidth(m_total->fontMetrics().horizontalAdvance(QStringLiteral("000 000 000,00")) + 16);
    m_resetCounter = named(new QPushButton(tr("Mettre à zéro"), counter), "resetCounter");
    m_counterStart = named(new QLabel(counter), "counterStart");
    auto* counterLayout = new QVBoxLayout(counter);
    counterLayout->addLayout(row({m_total, new QLabel(tr("Mo"), counter), m_resetCounter}));
    counterLayout->addWidget(m_counterStart);
    connect(m_resetCounter, &QPushButton::clicked, this, [this] {
        m_counterReset = true;
        showCounter(0);
    });

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(numbers);
    layout->addSpacing(6);
    layout->addWidget(m_downLoadFromSelection);
    layout->addWidget(m_priorityToChilds);
    layout->addWidget(m_saveCommsForImg);
    layout->addWidget(m_doNotCheckDiskSpace);
    layout->addSpacing(6);
    layout->addWidget(counter);
    layout->addStretch(1);
    return page;
}

QWidget* TFormOptionsGenerales::buildCompareTab()
{
    auto* page = new QWidget;
    m_nbCharToCompare = named(new NumberEdit(10, 999, page), "nbCharToCompare");
    m_nbMiniCharDifferent = named(new NumberEdit(0, 999, page), "nbMiniCharDifferent");
    m_maxComparePeriod = named(new NumberEdit(0, 9999, page), "maxComparePeriod");
    m_highLightColor = named(new ColorPanel(page), "highLightColor");
    m_highLightColor->setTitle(tr("Couleur de surlignage"));
    m_compareTextOnly = named(
        new QCheckBox(tr("Une page n'est modifiée que si son texte change (pas sa mise en forme)"), page),
        "compareTextOnly");

    auto* form = new QFormLayout;
    form->addRow(tr("Caractères consécutifs identiques pour un même texte :"), row({m_nbCharToCompare}));
    form->addRow(tr("En dessous de ce nombre de caractères modifiés,\nseule la couleur du texte change :"),
                 row({m_nbMiniCharDifferent}));
    form->addRow(tr("Interrompre une comparaison après :"),
                 row({m_maxComparePeriod, new QLabel(tr("secondes"), page)}));
    form->addRow(tr("Couleur de surlignage :"), row({m_highLightColor}));

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(m_compareTextOnly);
    layout->addStretch(1);
    return page;
}

QWidget* TFormOptionsGenerales::programField(QLineEdit* field, bool folder)
{
    auto* box = new QWidget;
    auto* browse = new QToolButton(box);
    browse->setText(QStringLiteral("…"));
    browse->setObjectName(field->objectName() + QStringLiteral("Browse"));
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    layout->addWidget(browse);
    connect(browse, &QToolButton::clicked, this, [this, field, folder] {
        const QString chosen = folder
            ? QFileDialog::getExistingDirectory(this, tr("Dossier des favoris du navigateur"), field->text())
            : chooseProgram(this, field->text());
        if (!chosen.isEmpty())
            field->setText(chosen);
    });
    return box;
}

QWidget* TFormOptionsGenerales::buildMiscTab()
{
    auto* page = new QWidget;
    m_readTime = named(new NumberEdit(0, 60, page), "readTime");
    m_externalBrowser = named(new QLineEdit(page), "externalBrowser");
    m_externalBrowser->setPlaceholderText(tr("le navigateur par défaut"));
    m_externalEditor = named(new QLineEdit(page), "externalEditor");
    m_externalEditor->setPlaceholderText(tr("l'éditeur de texte par défaut"));
    m_favoritesFolder = named(new QLineEdit(page), "favoritesFolder");
    m_favoritesFolder->setPlaceholderText(tr("aucun"));
    m_askAllConfirmations
        = named(new QPushButton(tr("Demander toutes les confirmations"), page), "askAllConfirmations");
    connect(m_askAllConfirmations, &QPushButton::clicked, this, [this] {
        resetConfirmations(m_settings.env());
        m_askAllConfirmations->setEnabled(false);
    });

    auto* form = new QFormLayout;
    form->addRow(tr("Un document est lu après :"),
                 row({m_readTime, new QLabel(tr("secondes d'affichage"), page)}));
    form->addRow(tr("Navigateur externe :"), programField(m_externalBrowser, false));
    form->addRow(tr("Éditeur externe :"), programField(m_externalEditor, false));
    form->addRow(tr("Dossier des favoris du navigateur :"), programField(m_favoritesFolder, true));

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addSpacing(12);
    layout->addLayout(row({m_askAllConfirmations}));
    layout->addStretch(1);
    return page;
}

QWidget* TFormOptionsGenerales::buildProfileTab()
{
    auto* page = new QWidget;
    m_userName = named(new QLineEdit(page), "userName");
    m_userMail = named(new QLineEdit(page), "userMail");
    auto* note
        = new QLabel(tr("Ces renseignements servent à remplir les formulaires envoyés depuis les pages "
                        "enregistrées."),
                     page);
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(tr("Nom :"), m_userName);
    form->addRow(tr("Adresse e-mail :"), m_userMail);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addStretch(1);
    return page;
}

void TFormOptionsGenerales::loadFromOpt()
{
    const TOptGene& o = m_settings.Opt();
    (o.ConnectByModem ? m_byModem : m_byNetwork)->setChecked(true);
    m_hangUpBeforeBox->setChecked(o.DoNotHangUpBefore > 0);
    m_hangUpBefore->setNumber(minutesFromDays(o.DoNotHangUpBefore));
    m_hangUpAfterBox->setChecked(o.HangUpAfter > 0);
    m_hangUpAfter->setNumber(minutesFromDays(o.HangUpAfter));
    m_keepReady->setChecked(o.KeepReady);
    const ProxyFields proxy = splitProxy(o.Proxy);
    m_proxyBox->setChecked(!o.Proxy.isEmpty());
    m_proxyAddress->setText(proxy.address);
    m_proxyPort->setText(proxy.port);
    if (const int position = positionForBandwidth(o.BandWithLimit); position >= 0)
        m_bandwidth->setValue(position);
    updateBandwidthLabel();
    updateModemFields();

    m_nbMaxDownLoads->setNumber(o.NbMaxDownLoads);
    m_timeOut->setNumber(o.TimeOut);
    m_timeOutByPage->setNumber(o.TimeOutByPage);
    m_downLoadFromSelection->setChecked(o.DownLoadFromSelection);
    m_priorityToChilds->setChecked(o.PriorityToChilds);
    m_saveCommsForImg->setChecked(o.SaveCommsForImg);
    m_doNotCheckDiskSpace->setChecked(o.DoNotCheckDiskSpace);
    showCounter(o.TotalDownLoadedSinceBeginning);

    m_nbCharToCompare->setNumber(o.NbCharToCompare);
    m_nbMiniCharDifferent->setNumber(o.NbMiniCharDifferent);
    m_maxComparePeriod->setNumber(o.MaxComparePeriod);
    m_highLightColor->setColor(o.HighLightColor);
    m_compareTextOnly->setChecked(o.CompareTextOnly);

    m_readTime->setNumber(o.ReadTime);
    m_externalBrowser->setText(o.ExternalBrowser);
    m_externalEditor->setText(o.ExternalEditor);
    m_favoritesFolder->setText(o.FavoritesFolder);

    m_userName->setText(o.UserName);
    m_userMail->setText(o.UserMail);
}

void TFormOptionsGenerales::storeToOpt()
{
    for (NumberEdit* edit : findChildren<NumberEdit*>())
        edit->interpretText();
    TOptGene& o = m_settings.Opt();
    o.ConnectByModem = m_byModem->isChecked();
    o.DoNotHangUpBefore = m_hangUpBeforeBox->isChecked() ? daysFromMinutes(m_hangUpBefore->value()) : 0;
    o.HangUpAfter = m_hangUpAfterBox->isChecked() ? daysFromMinutes(m_hangUpAfter->value()) : 0;
    o.KeepReady = m_keepReady->isChecked();
    o.Proxy
        = composeProxy(m_proxyBox->isChecked(), m_proxyAddress->text(), normalisePort(m_proxyPort->text()));
    o.BandWithLimit = bandwidthForPosition(m_bandwidth->value());

    o.NbMaxDownLoads = m_nbMaxDownLoads->value();
    o.TimeOut = m_timeOut->value();
    o.TimeOutByPage = m_timeOutByPage->value();
    o.DownLoadFromSelection = m_downLoadFromSelection->isChecked();
    o.PriorityToChilds = m_priorityToChilds->isChecked();
    o.SaveCommsForImg = m_saveCommsForImg->isChecked();
    o.DoNotCheckDiskSpace = m_doNotCheckDiskSpace->isChecked();

    o.NbCharToCompare = m_nbCharToCompare->value();
    o.NbMiniCharDifferent = m_nbMiniCharDifferent->value();
    o.MaxComparePeriod = m_maxComparePeriod->value();
    o.HighLightColor = m_highLightColor->color();
    o.CompareTextOnly = m_compareTextOnly->isChecked();

    o.ReadTime = m_readTime->value();
    o.ExternalBrowser = m_externalBrowser->text().trimmed();
    o.ExternalEditor = m_externalEditor->text().trimmed();
    o.FavoritesFolder = m_favoritesFolder->text().trimmed();

    o.UserName = m_userName->text();
    o.UserMail = m_userMail->text().trimmed();
}

void TFormOptionsGenerales::accept()
{
    storeToOpt();
    // A counter too small to show in Mo is not a request to reset it: only the button or a
    // true zero count.
    if (m_counterReset || m_settings.Opt().TotalDownLoadedSinceBeginning == 0)
        m_settings.resetTotalCounter();
    m_settings.writeDialogKeys();
    QDialog::accept();
}

void TFormOptionsGenerales::reject()
{
    m_settings.Opt().ConnectByModem = m_modemAtOpen;
    QDialog::reject();
}

void TFormOptionsGenerales::chooseModem()
{
    if (!m_settings.Opt().ConnectByModem) {
        if (m_remoteAccess.isAvailable()) {
            m_settings.Opt().ConnectByModem = true;
            emit modemModeChosen();
        } else {
            m_prompt.inform(
                tr("Connexion par modem impossible,\rGlanix ne trouve pas le service d'accès réseau à "
                   "distance"));
            m_byNetwork->setChecked(true);
        }
    }
    updateModemFields();
}

void TFormOptionsGenerales::updateModemFields()
{
    const bool modem = m_byModem->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*> {m_hangUpBeforeBox, m_hangUpBefore, m_hangUpAfterBox, m_hangUpAfter})
        w->setEnabled(modem);
}

void TFormOptionsGenerales::updateBandwidthLabel()
{
    m_bandwidthLabel->setText(bandwidthText(bandwidthForPosition(m_bandwidth->value())));
}

void TFormOptionsGenerales::showCounter(double bytes)
{
    m_total->setText(frenchNumber(bytesToMo(bytes), 2));
    const TDateTime since = m_settings.Opt().DateStartedFromZero;
    m_counterStart->setText(since > 0 && !m_counterReset ? tr("Compteur démarré le ")
                                    + frenchDate(since, QStringLiteral("d MMM yyyy 'à' HH:mm"))
                                                         : QString());
}

} // namespace glanix
