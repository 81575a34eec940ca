#include "views/SearchScorer.h"

#include "store/PageEncoding.h"

namespace glanix {

namespace {

// A meta charset after this point comes too late for a browser as well.
constexpr qsizetype kMetaWindow = 16 * 1024;

} // namespace

QByteArray metaCharsetOf(QByteArrayView page)
{
    // Looked for in place: lowering a copy of the window cost more than the search itself.
    const QByteArrayView head = page.first(std::min(page.size(), kMetaWindow));
    qsizetype at = 0;
    while ((at = head.indexOf('<', at)) >= 0) {
        const QByteArrayView rest = head.sliced(at + 1);
        at += 1;
        if (rest.size() < 4 || rest.first(4).compare("meta", Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype gt = rest.indexOf('>');
        const QByteArrayView tag = gt < 0 ? rest : rest.first(gt);
        for (qsizetype i = 0; i + 7 <= tag.size(); ++i) {
            if (tag.sliced(i, 7).compare("charset", Qt::CaseInsensitive) == 0)
                return charsetParameter(tag);
        }
    }
    return {};
}

SearchScorer::SearchScorer(const QString& query, bool inCode, bool countAll)
    : m_query(SearchQuery::parse(query))
    , m_inCode(inCode)
    , m_countAll(countAll)
{
}

template<typename Count> int SearchScorer::scoreWith(Count count) const
{
    int score = 0;
    for (const QString& w : m_query.required) {
        const int c = count(w, m_countAll);
        if (c == 0)
            return 0;
        score += c;
    }
    for (const QString& w : m_query.excluded) {
        if (count(w, false) > 0)
            return 0;
    }
    for (const QString& w : m_query.optional)
        score += count(w, m_countAll);
    return score;
}

int SearchScorer::score(const SearchItem& item) const
{
    // UTF-16 pages become UTF-8 first: both engines then see one byte stream per page.
    const QByteArray page = scannableContent(item.page, item.headerCharset);
    const PageDecoder decoder(page, item.headerCharset, metaCharsetOf(page));
    if (m_inCode) {
        // A typed "é" is looked for as the page writes it, in UTF-8 or in Latin-1.
        const QByteArray buffer = page + decoder.encode(item.tail);
        return scoreWith([&](const QString& w, bool all) {
            // A word the page's encoding cannot write is not in the page; written with "?"
            // for its missing characters, it would match anything there.
            const QByteArray bytes = decoder.encode(w);
            return decoder.decode(bytes) == w ? CountInCode(bytes, all, buffer) : 0;
        });
    }
    // Appended rather than concatenated: a large page is not copied once more.
    QString text = decoder.decode(page);
    text.append(item.tail);
    return scoreWith([&](const QString& w, bool all) { return CountInText(w, all, text); });
}

} // namespace glanix
