#include "ui/TFormOptionsHtml.h"

#include "ui/ColorPanel.h"
#include "ui/Colors.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace glanix {

TFormOptionsHtml::TFormOptionsHtml(TOptGene& opt, QWidget* parent)
    : QDialog(parent)
    , m_opt(opt)
    , m_fontName(opt.DefFontName)
    , m_fontSize(opt.DefFontSize)
    , m_text(new ColorPanel(this))
    , m_background(new ColorPanel(this))
    , m_links(new ColorPanel(this))
    , m_fontLabel(new QLabel(this))
    , m_preview(new QLabel(this))
    , m_runScripts(new QCheckBox(tr("Exécuter les scripts des pages enregistrées"), this))
{
    setWindowTitle(tr("Options HTML"));
    m_text->setObjectName(QStringLiteral("text"));
    m_background->setObjectName(QStringLiteral("background"));
    m_links->setObjectName(QStringLiteral("links"));
    m_fontLabel->setObjectName(QStringLiteral("fontLabel"));
    m_preview->setObjectName(QStringLiteral("preview"));
    m_text->setTitle(tr("Texte"));
    m_background->setTitle(tr("Arrière-plan"));
    m_links->setTitle(tr("Liens"));
    m_text->setColor(opt.DefFontColor);
    m_background->setColor(opt.DefBackGround);
    m_links->setColor(opt.DefHotSpotColor);
    m_runScripts->setObjectName(QStringLiteral("runScripts"));
    m_runScripts->setChecked(opt.RunScripts);
    m_runScripts->setToolTip(
        tr("Les pages restent hors ligne : leurs scripts n'atteignent jamais le réseau"));

    auto* font = new QPushButton(tr("Police"), this);
    font->setObjectName(QStringLiteral("font"));
    connect(font, &QPushButton::clicked, this, &TFormOptionsHtml::choose);

    auto* colours = new QGroupBox(tr("Couleurs"), this);
    auto* form = new QFormLayout(colours);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(tr("Texte"), m_text);
    form->addRow(tr("Arrière-plan"), m_background);
    form->addRow(tr("Liens"), m_links);

    auto* fontBox = new QGroupBox(tr("Police"), this);
    auto* fontLayout = new QHBoxLayout(fontBox);
    fontLayout->addWidget(m_fontLabel, 1);
    fontLayout->addWidget(font);

    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setMinimumSize(280, 64);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_preview->setWordWrap(true);
    m_preview->setAutoFillBackground(true);
    for (ColorPanel* panel : {m_text, m_background, m_links})
        connect(panel, &ColorPanel::colorChanged, this, &TFormOptionsHtml::updatePreview);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Annuler"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancel"));
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(colours);
    layout->addWidget(fontBox);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_runScripts);
    layout->addWidget(buttons);
    updatePreview();
}

void TFormOptionsHtml::setFont(const QString& name, int size)
{
    m_fontName = name;
    m_fontSize = size > 0 ? size : m_fontSize;
    updatePreview();
}

void TFormOptionsHtml::choose()
{
    bool ok = false;
    QFont initial(m_fontName);
    initial.setPointSize(m_fontSize > 0 ? m_fontSize : 10);
    const QFont chosen = QFontDialog::getFont(&ok, initial, this, tr("Police"));
    if (ok)
        setFont(chosen.family(), chosen.pointSize());
}

void TFormOptionsHtml::updatePreview()
{
    m_fontLabel->setText(tr("%1, %2 points").arg(m_fontName, QString::number(m_fontSize)));
    QFont font(m_fontName);
    font.setPointSize(m_fontSize > 0 ? m_fontSize : 10);
    m_preview->setFont(font);
    QPalette p = m_preview->palette();
    p.setColor(QPalette::Window, colorFromTColor(m_background->color(), palette()));
    m_preview->setPalette(p);
    m_preview->setText(tr("<span style=\"color:%1\">Le texte des pages s'affiche ainsi, </span>"
                          "<span style=\"color:%2; text-decoration:underline\">et les liens ainsi.</span>")
                           .arg(colorFromTColor(m_text->color(), palette()).name(),
                                colorFromTColor(m_links->color(), palette()).name()));
}

void TFormOptionsHtml::accept()
{
    m_opt.DefFontName = m_fontName;
    m_opt.DefFontSize = m_fontSize;
    m_opt.DefFontColor = m_text->color();
    m_opt.DefBackGround = m_background->color();
    m_opt.DefHotSpotColor = m_links->color();
    m_opt.RunScripts = m_runScripts->isChecked();
    QDialog::accept();
    emit optionsChanged();
}

} // namespace glanix
