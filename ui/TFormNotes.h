#pragma once

#include <QDialog>

class QPlainTextEdit;

// "Notes": the user's lines about an element, kept in its element file and searched with the
// pages. "&Enregistrer" writes them, "A&nnuler" leaves them, "E&ffacer" empties the field.
namespace glanix {

class TElement;

class TFormNotes final : public QDialog {
    Q_OBJECT

public:
    explicit TFormNotes(TElement& element, QWidget* parent = nullptr);

    QPlainTextEdit* editor() const { return m_text; }

public slots:
    void accept() override;

private:
    TElement& m_element;
    QPlainTextEdit* m_text;
};

// The notes as a button's hint: the lines joined with line breaks.
QString notesHint(TElement& element);

} // namespace glanix
