#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// The two ways a search looks for a word. The normal engine reads characters already decoded
// from the page: it ignores markup, case and accents (a word written without accents finds
// the accented forms). The code engine reads the stored bytes as they are, case-sensitive.
// Both are plain functions of their arguments, safe on any thread.
namespace glanix {

// A query line split into its words: "+word" required, "-word" excluded, the others
// optional. A word ends at a blank and keeps at most 100 characters; commas and semicolons
// are skipped where a word would begin.
struct SearchQuery {
    QStringList required;
    QStringList excluded;
    QStringList optional;

    static SearchQuery parse(const QString& query);
};

// Occurrences of `word` in the decoded text (at most 1 without `countAll`). "?" stands for any
// one character, a leading or trailing "*" lets the word begin or end inside a longer word;
// otherwise the match must stand between boundary characters. Tags are skipped, inside a
// word too; a character reference counts as the character it stands for, a named one as its
// first letter (except the few that stand for punctuation or a blank).
int CountInText(QStringView word, bool countAll, QStringView text);

// Occurrences of `word` in the bytes, compared byte for byte ("?" any byte, "*" as above,
// with the code engine's boundaries).
int CountInCode(QByteArrayView word, bool countAll, QByteArrayView buffer);

} // namespace glanix
