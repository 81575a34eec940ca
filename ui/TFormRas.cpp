#include "ui/TFormRas.h"

#include "agents/DialSession.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace glanix {

TFormRas::TFormRas(std::unique_ptr<DialSession> session, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , m_session(std::move(session))
    , m_nomEntree(new QLabel(this))
    , m_labelStatut1(new QLabel(this))
    , m_buttonCancel(new QPushButton(tr("Annuler"), this))
{
    setObjectName(QStringLiteral("TFormRas"));
    setWindowTitle(tr("Connexion"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    m_nomEntree->setObjectName(QStringLiteral("NomEntree"));
    QFont bold = m_nomEntree->font();
    bold.setBold(true);
    m_nomEntree->setFont(bold);
    m_nomEntree->setTextFormat(Qt::PlainText);
    m_labelStatut1->setObjectName(QStringLiteral("LabelStatut1"));
    m_labelStatut1->setTextFormat(Qt::PlainText);
    m_labelStatut1->setWordWrap(true);
    m_labelStatut1->setMinimumHeight(2 * fontMetrics().height());
    m_buttonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(m_buttonCancel, &QPushButton::clicked, this, &TFormRas::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_buttonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_nomEntree);
    layout->addWidget(m_labelStatut1);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(320);
    m_session->attach(this);
}

TFormRas::~TFormRas()
{
    m_session->attach(nullptr);
}

void TFormRas::reject()
{
    if (!m_closed)
        m_session->cancel();
}

void TFormRas::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        emit helpRequested(QStringLiteral("Connect"));
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormRas::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    // Closed by the user: the line is hung up first, then the session closes the window.
    event->ignore();
    m_session->cancel();
}

void TFormRas::setEntryName(const QString& name)
{
    m_nomEntree->setText(name);
}

void TFormRas::setStatus(const QString& text)
{
    m_labelStatut1->setText(text);
}

void TFormRas::closeWindow()
{
    if (m_closed)
        return;
    m_closed = true;
    // Called from the session's own events: the window and the session go later.
    hide();
    deleteLater();
}

} // namespace glanix
