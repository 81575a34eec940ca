#include "ui/TFormNotes.h"

#include "store/TElement.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace glanix {

TFormNotes::TFormNotes(TElement& element, QWidget* parent)
    : QDialog(parent)
    , m_element(element)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("TFormNotes"));
    setWindowTitle(tr("Notes"));
    m_text->setObjectName(QStringLiteral("notes"));
    m_text->setPlainText(element.ReadNotes().join(u'\n'));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(tr("&Enregistrer"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("A&nnuler"), QDialogButtonBox::RejectRole);
    QPushButton* clear = buttons->addButton(tr("E&ffacer"), QDialogButtonBox::ResetRole);
    save->setObjectName(QStringLiteral("save"));
    cancel->setObjectName(QStringLiteral("cancel"));
    clear->setObjectName(QStringLiteral("clear"));
    connect(save, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(clear, &QPushButton::clicked, m_text, &QPlainTextEdit::clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(buttons);
    resize(420, 300);
}

void TFormNotes::accept()
{
    QStringList lines = m_text->toPlainText().split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (!m_element.WriteNotes(lines)) {
        QMessageBox::warning(this, windowTitle(), tr("Les notes n'ont pas pu être enregistrées."));
        return;
    }
    QDialog::accept();
}

QString notesHint(TElement& element)
{
    return element.ReadNotes().join(u'\n');
}

} // namespace glanix
