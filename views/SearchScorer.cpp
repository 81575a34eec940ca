#include "views/SearchScorer.h"

#include "store/PageEncoding.h"

namespace glanix {

namespace {

// A meta charset after this point comes too late for a browser as well.
constexpr qsizetype kMetaWindow = 16 * 1024;

} // namespace

QByteArray metaCharsetOf(QByteArrayView page)
{
    const QByteArray head = page.first(std::min(page.size(), kMetaWindow)).toByteArray().toLower();
    qsizetype at = 0;
    while ((at = head.indexOf("<meta", at)) >= 0) {
        const qsizetype gt = head.indexOf('>', at);
        const QByteArrayView tag = QByteArrayView(head).sliced(at, (gt < 0 ? head.size() : gt) - at);
        if (tag.contains("charset"))
            return charsetParameter(page.sliced(at, tag.size()));
        at += 5;
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
