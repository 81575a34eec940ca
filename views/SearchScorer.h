#pragma once

#include "views/SearchEngines.h"

#include <QByteArray>
#include <QString>

// What a search does with one element's text: the walk copies the text on the thread that
// owns the tree (SearchItem), the scorer reads only that copy, so it may run on a worker.
namespace glanix {

struct SearchItem {
    QByteArray page; // the stored file as it is on disk; empty when pages are not searched
    QByteArray headerCharset; // charset of the element's content type, if it names one
    // " name ", " note line " ..., " address ", then " x": what follows the page's text.
    QString tail;
};

// The score of an element for one query: the counts of the required and optional words, 0
// when a required word is missing, an excluded one is present, or nothing was found.
class SearchScorer {
public:
    SearchScorer(const QString& query, bool inCode, bool countAll);

    const SearchQuery& query() const { return m_query; }

    int score(const SearchItem& item) const;

private:
    template<typename Count> int scoreWith(Count count) const;

    SearchQuery m_query;
    bool m_inCode;
    bool m_countAll;
};

// The charset a page names in a meta tag near its beginning; empty when none.
QByteArray metaCharsetOf(QByteArrayView page);

} // namespace glanix
