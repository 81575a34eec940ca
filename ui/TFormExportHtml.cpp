#include "ui/TFormExportHtml.h"

#include "agents/FolderChooser.h"
#include "config/Env.h"
#include "config/UserPrompt.h"
#include "store/TElement.h"
#include "ui/DialogButtons.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace glanix {

namespace {

QCheckBox* box(QWidget* parent, const char* name, const QString& text, bool checked)
{
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setChecked(checked);
    return b;
}

} // namespace

TFormExportHtml::TFormExportHtml(TElement& selected, Env& env, bool doNotCheckDiskSpace, UserPrompt& prompt,
                                 FolderChooser& folders, QWidget* parent)
    : QDialog(parent)
    , m_selected(selected)
    , m_env(env)
    , m_doNotCheckDiskSpace(doNotCheckDiskSpace)
    , m_prompt(prompt)
    , m_folders(folders)
    , m_opener([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setWindowTitle(tr("Export d'un groupe de page"));
    setObjectName(QStringLiteral("FormExportHtml"));
    const ExportSettings s = loadExportSettings(env);

    m_options = new QWidget(this);
    m_sameServer
        = box(m_options, "SameServer", tr("Uniquement les pages situées sur le même serveur"), s.SameServer);
    m_keepStruct = box(m_options, "KeepStruct", tr("Reproduire l'arborescence du serveur"), s.KeepStruct);
    m_dontChange = box(m_options, "DontChange", tr("Ne rien changer aux pages exportées"), s.DontChange);
    m_withImg = box(m_options, "WithImg", tr("Avec les images des pages"), s.WithImg);
    m_onlyHtml = box(m_options, "OnlyHtmlText", tr("Uniquement les documents html et texte"), s.OnlyHtmlText);
    m_makeIndex = box(m_options, "MakeIndex", tr("Créer un fichier listant toutes les adresses exportées"),
                      s.MakeIndex);
    m_depth = new QSpinBox(m_options);
    m_depth->setObjectName(QStringLiteral("Depth"));
    m_depth->setRange(0, 100);
    m_depth->setValue(s.Depth);
    m_size = new QLabel(tr("Mo à exporter"), m_options);
    m_size->setObjectName(QStringLiteral("SizeLabel"));
    m_size->hide();
    m_saveTo = new QLineEdit(proposedDestination(s.SaveTo), m_options);
    m_saveTo->setObjectName(QStringLiteral("SaveTo"));
    auto* browseButton = new QPushButton(QStringLiteral("..."), m_options);
    browseButton->setObjectName(QStringLiteral("Browse"));
    browseButton->setMaximumWidth(36);
    m_consult = box(m_options, "Consult", tr("Consulter après l'export"), s.Consult);

    auto* indent = [](QWidget* w) {
        auto* row = new QHBoxLayout;
        row->addSpacing(20);
        row->addWidget(w, 1);
        return row;
    }(m_keepStruct);
    auto* indent2 = new QHBoxLayout;
    indent2->addSpacing(40);
    indent2->addWidget(m_dontChange, 1);

    auto* depthRow = new QHBoxLayout;
    depthRow->addWidget(new QLabel(tr("Sur une profondeur de"), m_options));
    depthRow->addWidget(m_depth);
    depthRow->addStretch(1);

    auto* whereLabel = new QLabel(tr("Où exporter ?"), m_options);
    whereLabel->setBuddy(m_saveTo);
    auto* whereRow = new QHBoxLayout;
    whereRow->addWidget(m_saveTo, 1);
    whereRow->addWidget(browseButton);

    auto* options = new QVBoxLayout(m_options);
    options->setContentsMargins(0, 0, 0, 0);
    options->addWidget(m_sameServer);
    options->addLayout(indent);
    options->addLayout(indent2);
    options->addWidget(m_withImg);
    options->addWidget(m_onlyHtml);
    options->addWidget(m_makeIndex);
    options->addLayout(depthRow);
    options->addWidget(m_size);
    options->addSpacing(6);
    options->addWidget(whereLabel);
    options->addLayout(whereRow);
    options->addWidget(m_consult);

    const DialogButtons buttons
        = makeDialogButtons(this, tr("Exporter"), [this] { emit helpRequested(QStringLiteral("Export")); });
    m_buttons = buttons.box;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_options);
    layout->addStretch(1);
    layout->addWidget(buttons.box);

    connect(m_sameServer, &QCheckBox::toggled, this, &TFormExportHtml::updateEnabled);
    connect(m_keepStruct, &QCheckBox::toggled, this, &TFormExportHtml::updateEnabled);
    connect(browseButton, &QPushButton::clicked, this, &TFormExportHtml::browse);
    updateEnabled();
}

TFormExportHtml::~TFormExportHtml() = default;

ExportSettings TFormExportHtml::settings() const
{
    ExportSettings s;
    s.SameServer = m_sameServer->isChecked();
    s.KeepStruct = m_keepStruct->isChecked();
    s.DontChange = m_dontChange->isChecked();
    s.WithImg = m_withImg->isChecked();
    s.OnlyHtmlText = m_onlyHtml->isChecked();
    s.MakeIndex = m_makeIndex->isChecked();
    s.Depth = m_depth->value();
    s.SaveTo = m_saveTo->text().trimmed();
    s.Consult = m_consult->isChecked();
    return s;
}

void TFormExportHtml::updateEnabled()
{
    m_keepStruct->setEnabled(m_sameServer->isChecked());
    m_dontChange->setEnabled(m_keepStruct->isEnabled() && m_keepStruct->isChecked());
}

void TFormExportHtml::browse()
{
    const QString folder
        = m_folders.chooseFolder(tr("Indiquez le répertoire où exporter la sélection"), m_saveTo->text());
    if (!folder.isEmpty())
        m_saveTo->setText(folder);
}

void TFormExportHtml::accept()
{
    if (running())
        return;
    const ExportSettings s = settings();
    if (s.SaveTo.isEmpty())
        return;
    saveExportSettings(m_env, s);
    m_options->setEnabled(false);
    m_buttons->setEnabled(false);

    HtmlExport exporter(m_selected, s, m_env);
    exporter.setCheckDiskSpace(!m_doNotCheckDiskSpace);
    if (m_freeSpace)
        exporter.setFreeSpaceProbe(m_freeSpace);
    exporter.setProgress(this);
    m_export = &exporter;
    m_result = exporter.run();
    m_export = nullptr;

    setWindowTitle(tr("Export d'un groupe de page"));
    m_options->setEnabled(true);
    m_buttons->setEnabled(true);
    updateEnabled();
    if (m_result.outcome == ExportResult::Outcome::NoSpace
        || m_result.outcome == ExportResult::Outcome::NoFolder) {
        // Another destination may do: the dialog stays.
        m_prompt.warn(m_result.message);
        return;
    }
    if (!m_result.message.isEmpty())
        m_prompt.warn(m_result.message);
    if (s.Consult && m_result.exported > 0 && m_opener)
        m_opener(QUrl(m_result.openUrl));
    QDialog::accept();
}

void TFormExportHtml::reject()
{
    if (running()) {
        askInterruption();
        return;
    }
    saveExportSettings(m_env, settings());
    QDialog::reject();
}

void TFormExportHtml::closeEvent(QCloseEvent* event)
{
    if (running()) {
        event->ignore();
        askInterruption();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormExportHtml::askInterruption()
{
    if (m_asking || !m_export)
        return;
    m_asking = true;
    const bool stop = m_prompt.yesNo(tr("Voulez-vous interrompre l'export en cours ?"), UserPrompt::No);
    m_asking = false;
    if (stop && m_export)
        m_export->cancel();
}

void TFormExportHtml::caption(const QString& text)
{
    setWindowTitle(text);
}

void TFormExportHtml::sizeKnown(const QString& text)
{
    m_size->setText(text + tr(" à exporter"));
    m_size->show();
}

void TFormExportHtml::processEvents()
{
    QCoreApplication::processEvents();
    if (m_stepHook)
        m_stepHook();
}

} // namespace glanix
