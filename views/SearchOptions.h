#pragma once

#include "views/SearchWalk.h"

#include <QString>
#include <QStringList>

// What the search dialog keeps between two uses, in Glanix.ini: its settings (section Search,
// read when it opens, written when it closes) and the last queries (section LastSearchs, one a
// line, newest first). Also the word a search hands to the document view's in-page search.
namespace glanix {

class Env;

constexpr int kSearchHistoryLength = 25;

// The query is not part of the settings: it comes from the history.
SearchSettings loadSearchSettings(const Env& env);
void saveSearchSettings(Env& env, const SearchSettings& settings);

QStringList loadSearchHistory(const Env& env);
// Keeps the newest kSearchHistoryLength queries.
void saveSearchHistory(Env& env, const QStringList& history);
// The query on top, an equal older entry removed.
QStringList withQueryOnTop(QStringList history, const QString& query);

// The first word of the query as a plain word: no quotes, no "+" or "-" or "*" ends, nothing
// from the first "?".
QString inPageWord(const QString& query);

} // namespace glanix
