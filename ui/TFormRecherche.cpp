#include "ui/TFormRecherche.h"

#include "ui/DialogButtons.h"
#include "views/SearchOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace glanix {

namespace {

template<typename Button> Button* named(QWidget* parent, const char* name, const QString& text, bool checked)
{
    auto* b = new Button(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setChecked(checked);
    return b;
}

QSpinBox* days(QWidget* parent, const char* name, int value)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(1, 9999);
    spin->setValue(value);
    spin->setSuffix(TFormRecherche::tr(" jours"));
    return spin;
}

} // namespace

TFormRecherche::TFormRecherche(Env& env, QWidget* parent)
    : QDialog(parent)
    , m_env(env)
{
    setObjectName(QStringLiteral("FormRecherche"));
    setWindowTitle(tr("Recherche avancée"));
    const SearchSettings s = loadSearchSettings(env);

    m_query = new QComboBox(this);
    m_query->setObjectName(QStringLiteral("ComboBoxRecherche"));
    m_query->setEditable(true);
    m_query->setInsertPolicy(QComboBox::NoInsert);
    m_query->setMaxVisibleItems(kSearchHistoryLength);
    m_query->setMinimumContentsLength(40);
    m_query->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_query->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    setHistory(loadSearchHistory(env));
    // The last query again, ready to be typed over.
    m_query->setCurrentIndex(m_query->count() > 0 ? 0 : -1);
    m_query->lineEdit()->selectAll();
    auto* queryLabel = new QLabel(tr("&Mots à chercher :"), this);
    queryLabel->setBuddy(m_query);

    m_forget = new QAction(tr("Effacer de l'historique"), this);
    m_forget->setObjectName(QStringLiteral("MenuEffacerHistorique"));
    m_forgetAll = new QAction(tr("Effacer tout l'historique"), this);
    m_forgetAll->setObjectName(QStringLiteral("MenuEffacerToutHistorique"));
    connect(m_forget, &QAction::triggered, this, [this] {
        QStringList h = history();
        h.removeAll(m_query->currentText().trimmed());
        setHistory(h);
        m_query->setEditText(QString());
    });
    connect(m_forgetAll, &QAction::triggered, this, [this] {
        const QString keep = m_query->currentText();
        setHistory({});
        m_query->setEditText(keep);
    });
    connect(m_query->lineEdit(), &QWidget::customContextMenuRequested, this,
            &TFormRecherche::showHistoryMenu);

    auto* engine = new QWidget(this);
    m_normal = named<QRadioButton>(engine, "RadioNormal", tr("Recherche normale"), !s.fast);
    m_code = named<QRadioButton>(engine, "RadioCode", tr("Recherche dans le code"), s.fast);
    auto* engineRow = new QHBoxLayout(engine);
    engineRow->setContentsMargins(0, 0, 0, 0);
    engineRow->addWidget(m_normal);
    engineRow->addWidget(m_code);
    engineRow->addStretch(1);

    auto* inside = new QWidget(this);
    m_inPages = named<QCheckBox>(inside, "CheckInPages", tr("Dans les pages"), s.inPages);
    m_inTitle = named<QCheckBox>(inside, "CheckInTitle", tr("Dans les titres"), s.inTitle);
    m_inNotes = named<QCheckBox>(inside, "CheckInNotes", tr("Dans les notes"), s.inNotes);
    m_inURL = named<QCheckBox>(inside, "CheckInURL", tr("Dans les adresses"), s.inURL);
    auto* insideGrid = new QHBoxLayout(inside);
    insideGrid->setContentsMargins(0, 0, 0, 0);
    for (QCheckBox* b : {m_inPages, m_inTitle, m_inNotes, m_inURL})
        insideGrid->addWidget(b);
    insideGrid->addStretch(1);

    auto* scope = new QGroupBox(tr("Portée"), this);
    scope->setObjectName(QStringLiteral("GroupPortee"));
    const QString scopes[3]
        = {tr("Dans tout le contenu de l'élément sélectionné"),
           tr("Dans tout l'agent de l'élément sélectionné"), tr("Dans tous les agents ouverts")};
    auto* scopeColumn = new QVBoxLayout(scope);
    for (int i = 0; i < 3; ++i) {
        m_where[i] = new QRadioButton(scopes[i], scope);
        m_where[i]->setObjectName(QStringLiteral("RadioWhere%1").arg(i));
        m_where[i]->setChecked(s.where == i);
        scopeColumn->addWidget(m_where[i]);
    }

    m_count
        = named<QCheckBox>(this, "CheckCount", tr("Compter le nombre d'occurrences de chaque mot"), s.count);

    auto* age = new QGroupBox(tr("Age de la page"), this);
    m_checkMinAge = named<QCheckBox>(age, "CheckMinAge", tr("Au minimum"), s.checkMinAge);
    m_checkMaxAge = named<QCheckBox>(age, "CheckMaxAge", tr("Au maximum"), s.checkMaxAge);
    m_minDays = days(age, "MinDaysOld", s.minDaysOld);
    m_maxDays = days(age, "MaxDaysOld", s.maxDaysOld);
    auto* ageRow = new QHBoxLayout(age);
    ageRow->addWidget(m_checkMinAge);
    ageRow->addWidget(m_minDays);
    ageRow->addSpacing(16);
    ageRow->addWidget(m_checkMaxAge);
    ageRow->addWidget(m_maxDays);
    ageRow->addStretch(1);

    const DialogButtons buttons
        = makeDialogButtons(this, tr("Chercher"), [this] { emit helpRequested(QStringLiteral("Search")); });
    m_search = buttons.ok;
    m_search->setObjectName(QStringLiteral("ButtonChercher"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(queryLabel);
    layout->addWidget(m_query);
    layout->addSpacing(4);
    layout->addWidget(engine);
    layout->addWidget(inside);
    layout->addWidget(scope);
    layout->addWidget(m_count);
    layout->addWidget(age);
    layout->addStretch(1);
    layout->addWidget(buttons.box);

    connect(m_query, &QComboBox::editTextChanged, this, &TFormRecherche::updateEnabled);
    connect(m_checkMinAge, &QCheckBox::toggled, this, &TFormRecherche::updateEnabled);
    connect(m_checkMaxAge, &QCheckBox::toggled, this, &TFormRecherche::updateEnabled);
    updateEnabled();
    m_query->setFocus();
}

TFormRecherche::~TFormRecherche() = default;

SearchSettings TFormRecherche::settings() const
{
    SearchSettings s;
    s.query = m_query->currentText().trimmed();
    s.fast = m_code->isChecked();
    s.inTitle = m_inTitle->isChecked();
    s.inURL = m_inURL->isChecked();
    s.inNotes = m_inNotes->isChecked();
    s.inPages = m_inPages->isChecked();
    s.where = m_where[2]->isChecked() ? 2 : (m_where[1]->isChecked() ? 1 : 0);
    s.count = m_count->isChecked();
    s.checkMinAge = m_checkMinAge->isChecked();
    s.checkMaxAge = m_checkMaxAge->isChecked();
    s.minDaysOld = m_minDays->value();
    s.maxDaysOld = m_maxDays->value();
    return s;
}

QStringList TFormRecherche::history() const
{
    QStringList out;
    for (int i = 0; i < m_query->count(); ++i)
        out << m_query->itemText(i);
    return out;
}

void TFormRecherche::setHistory(const QStringList& history)
{
    const QString text = m_query->currentText();
    m_query->clear();
    m_query->addItems(history);
    m_query->setEditText(text);
}

void TFormRecherche::showHistoryMenu(const QPoint& at)
{
    QMenu* menu = m_query->lineEdit()->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    m_forget->setEnabled(history().contains(m_query->currentText().trimmed()));
    m_forgetAll->setEnabled(m_query->count() > 0);
    menu->addAction(m_forget);
    menu->addAction(m_forgetAll);
    menu->popup(m_query->lineEdit()->mapToGlobal(at));
}

void TFormRecherche::keyPressEvent(QKeyEvent* event)
{
    // Also as a key: under the main window, which has an F1 of its own, the dialog's shortcut
    // does not fire.
    if (event->key() == Qt::Key_F1) {
        emit helpRequested(QStringLiteral("Search"));
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormRecherche::updateEnabled()
{
    m_search->setEnabled(!m_query->currentText().trimmed().isEmpty());
    m_minDays->setEnabled(m_checkMinAge->isChecked());
    m_maxDays->setEnabled(m_checkMaxAge->isChecked());
}

void TFormRecherche::accept()
{
    const QString query = m_query->currentText().trimmed();
    if (query.isEmpty())
        return;
    setHistory(withQueryOnTop(history(), query));
    QDialog::accept();
}

void TFormRecherche::done(int result)
{
    if (!m_saved) {
        m_saved = true;
        saveSearchSettings(m_env, settings());
        saveSearchHistory(m_env, history());
    }
    QDialog::done(result);
}

} // namespace glanix
