#include "store/PageScanner.h"

#include "store/PageEncoding.h"
#include "store/ScanText.h"
#include "store/StyleScanner.h"

#include <cstring>
#include <string>
#include <string_view>

namespace glanix {

namespace {

// NUL and control characters count as blanks: a NUL byte must not hide the rest of a page,
// and none of them belongs in an address.
inline bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

inline bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

QByteArray valueFrom(const char* v, const char* end)
{
    char quote = 0;
    while (v < end && (isBlank(*v) || isQuote(*v))) {
        if (isQuote(*v))
            quote = *v;
        ++v;
    }
    // Between double quotes an apostrophe belongs to the address ("l'école.html"), and the
    // other way round; only the opening mark ends it.
    const auto ends = [quote](char c) { return quote ? c == quote : isQuote(c); };
    const char* stop = v;
    while (stop < end && !isBlank(*stop) && !ends(*stop) && *stop != '>')
        ++stop;
    return QByteArray(v, stop - v);
}

// A requisite's address as a browser takes it: blanks around it trimmed, tabs and line ends
// dropped; another control character spoils it.
QByteArray requisiteValue(const char* from, const char* to)
{
    QByteArray value;
    for (const char* c = from; c < to; ++c) {
        if (*c == '\t' || *c == '\n' || *c == '\r')
            continue;
        if (static_cast<unsigned char>(*c) < ' ' || *c == 0x7f)
            return {};
        value += *c;
    }
    return value.trimmed();
}

// Which link relations name something the page loads rather than another document.
bool isRequisiteRelation(std::string_view rel, std::string_view as, bool scripts)
{
    size_t at = 0;
    while (at < rel.size()) {
        while (at < rel.size() && isBlank(rel[at]))
            ++at;
        size_t end = at;
        while (end < rel.size() && !isBlank(rel[end]))
            ++end;
        const std::string_view word = rel.substr(at, end - at);
        if (word == "stylesheet" || word == "icon" || word == "apple-touch-icon"
            || word == "apple-touch-icon-precomposed" || word == "mask-icon")
            return true;
        if (word == "preload"
            && (as == "style" || as == "font" || as == "image" || (scripts && as == "script")))
            return true;
        at = end;
    }
    return false;
}

class Scanner {
public:
    Scanner(QByteArrayView content, PageScanOptions options)
        : m_p(content.data())
        , m_end(content.data() + content.size())
        , m_options(options)
    {
    }

    PageScan run()
    {
        while (m_p < m_end) {
            const char* lt = next(m_p, '<');
            if (!lt)
                break;
            const char* text = lt + 1;
            const char* gt = next(text, '>');
            const char* textEnd = gt ? gt : m_end;
            m_p = gt ? gt + 1 : m_end;
            tag(text, textEnd, gt);
        }
        return std::move(m_r);
    }

private:
    const char* next(const char* from, char c)
    {
        const void* hit = std::memchr(from, c, static_cast<size_t>(m_end - from));
        const char* at = hit ? static_cast<const char*>(hit) : nullptr;
        m_r.bytesExamined += (at ? at : m_end) - from;
        return at;
    }

    // Tags are short: a plain first-character search beats a general substring search.
    qsizetype find(std::string_view needle, qsizetype from = 0)
    {
        m_r.bytesExamined += static_cast<qint64>(m_tag.size());
        const size_t at = std::string_view(m_tag).find(needle, static_cast<size_t>(from));
        return at == std::string_view::npos ? -1 : static_cast<qsizetype>(at);
    }

    bool has(std::string_view needle) { return find(needle) >= 0; }

    void add(ScannedAddress::Kind kind, qsizetype eq)
    {
        if (eq < 0)
            return; // a tag without "=" carries no address
        const char* v = m_raw + eq + 1;
        const char* end = m_raw + m_tag.size();
        while (v < end && isBlank(*v))
            ++v;
        if (end - v >= 2 && v[0] == '"' && v[1] == '"')
            return;
        QByteArray value = valueFrom(v, end);
        if (!value.isEmpty())
            m_r.addresses.push_back({kind, std::move(value), !m_r.base.isEmpty()});
    }

    // An attribute's value in the tag: [from, to) of the tag text, quotes left out.
    struct Span {
        qsizetype from = -1, to = -1;

        bool found() const { return from >= 0; }
    };

    // The attribute `name` (lowered), as a word of its own followed by "=": "src" is not found
    // in "srcset=" nor in "data-src=".
    Span attribute(std::string_view name)
    {
        const std::string_view tag(m_tag);
        size_t at = 0;
        for (;;) {
            const size_t hit = tag.find(name, at);
            m_r.bytesExamined += static_cast<qint64>((hit == std::string_view::npos ? tag.size() : hit) - at);
            if (hit == std::string_view::npos)
                return {};
            at = hit + name.size();
            if (hit == 0 || !(isBlank(tag[hit - 1]) || isQuote(tag[hit - 1])))
                continue;
            size_t q = at;
            while (q < tag.size() && isBlank(tag[q]))
                ++q;
            if (q >= tag.size() || tag[q] != '=')
                continue;
            ++q;
            while (q < tag.size() && isBlank(tag[q]))
                ++q;
            Span span;
            size_t to = q;
            if (q < tag.size() && isQuote(tag[q])) {
                span.from = static_cast<qsizetype>(q + 1);
                to = tag.find(tag[q], q + 1);
                if (to == std::string_view::npos)
                    to = tag.size();
            } else {
                span.from = static_cast<qsizetype>(q);
                while (to < tag.size() && !isBlank(tag[to]))
                    ++to;
            }
            span.to = static_cast<qsizetype>(to);
            m_r.bytesExamined += static_cast<qint64>(to - at);
            return span;
        }
    }

    std::string_view lowered(Span s) const
    {
        return s.found() ? std::string_view(m_tag).substr(size_t(s.from), size_t(s.to - s.from))
                         : std::string_view();
    }

    void addRequisite(QByteArray value)
    {
        if (!value.isEmpty() && !value.startsWith('#'))
            m_r.addresses.push_back({ScannedAddress::Kind::Requisite, std::move(value), !m_r.base.isEmpty()});
    }

    void addRequisite(Span s)
    {
        if (s.found())
            addRequisite(requisiteValue(m_raw + s.from, m_raw + s.to));
    }

    void addStyle(const char* from, const char* to)
    {
        StyleScan css = scanStyleSheet(QByteArrayView(from, to - from));
        m_r.bytesExamined += css.bytesExamined;
        for (QByteArray& value : css.addresses)
            addRequisite(std::move(value));
    }

    // Every candidate of a srcset: which one a browser picks depends on the screen.
    void addCandidates(Span s)
    {
        const char* p = m_raw + s.from;
        const char* end = m_raw + s.to;
        m_r.bytesExamined += end - p;
        while (p < end) {
            while (p < end && (isBlank(*p) || *p == ','))
                ++p;
            const char* start = p;
            while (p < end && !isBlank(*p))
                ++p;
            const char* stop = p;
            bool endsCandidate = false;
            while (stop > start && stop[-1] == ',') {
                --stop;
                endsCandidate = true;
            }
            if (stop > start)
                addRequisite(QByteArray(start, stop - start));
            if (!endsCandidate) {
                // Descriptors ("2x", "480w") up to the comma that ends the candidate.
                while (p < end && *p != ',')
                    ++p;
            }
        }
    }

    // The text of a <style> block: up to its closing tag, which the scan then goes on from.
    void styleBlock(const char* from)
    {
        if (m_styleNeverCloses) {
            return; // the block before ran to the end and was read whole
        }
        const char* at = from;
        while (const char* lt = next(at, '<')) {
            if (startsWithCi(lt + 1, m_end, "/style")) {
                addStyle(from, lt);
                m_p = lt;
                return;
            }
            at = lt + 1;
        }
        // Unclosed: read to the end once, and the scan goes on as before.
        m_styleNeverCloses = true;
        addStyle(from, m_end);
    }

    // The "src" that is not the start of "srcset", first as a word of its own.
    qsizetype srcPosition()
    {
        const std::string_view tag(m_tag);
        for (const std::string_view word : {std::string_view(" src"), std::string_view("src")}) {
            size_t at = 0;
            for (;;) {
                const size_t hit = tag.find(word, at);
                m_r.bytesExamined
                    += static_cast<qint64>((hit == std::string_view::npos ? tag.size() : hit) - at);
                if (hit == std::string_view::npos)
                    break;
                at = hit + word.size();
                if (tag.substr(at, 3) != "set")
                    return static_cast<qsizetype>(hit);
            }
        }
        return -1;
    }

    void tag(const char* text, const char* textEnd, const char* gt)
    {
        while (text < textEnd && isBlank(*text))
            ++text;
        while (textEnd > text && isBlank(textEnd[-1]))
            --textEnd;
        m_raw = text;
        m_tag.assign(text, textEnd);
        for (char& c : m_tag) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
            else if (c == '\0')
                c = ' ';
        }
        m_r.bytesExamined += static_cast<qint64>(m_tag.size());
        const QByteArrayView t(m_tag);

        if (m_inScript) {
            if (has("/script"))
                m_inScript = false;
            return;
        }
        size_t nameEnd = 0;
        while (nameEnd < m_tag.size() && !isBlank(m_tag[nameEnd]) && m_tag[nameEnd] != '/')
            ++nameEnd;
        const std::string_view name = std::string_view(m_tag).substr(0, nameEnd);
        if (name == "script" && m_options.scripts)
            addRequisite(attribute("src"));
        if (has("script language")) {
            m_inScript = true;
            return;
        }
        if (t.startsWith("meta")) {
            if (has("http-equiv") && has("refresh")) {
                const qsizetype url = find("url");
                if (url >= 0)
                    m_r.refresh = attributeValue(QByteArrayView(m_raw + url, t.size() - url));
            }
            if (m_r.metaCharset.isEmpty() && has("charset"))
                m_r.metaCharset = charsetParameter(QByteArrayView(m_raw, t.size()));
        }
        if (m_inHead) {
            if (t == "/head") {
                m_inHead = false;
            } else {
                if (t == "title" && gt) {
                    const char* from = gt + 1;
                    const char* stop = next(from, '<');
                    m_r.title.append(from, (stop ? stop : m_end) - from);
                }
                if (m_r.base.isEmpty()) {
                    const qsizetype base = find("base");
                    const qsizetype href = base >= 0 && base <= 9 ? find("href") : -1;
                    if (href > base)
                        m_r.base = attributeValue(QByteArrayView(m_raw, t.size()));
                }
            }
        }

        if (name == "style" && gt)
            styleBlock(gt + 1);

        // Every address follows an "=": a tag without one (most closing tags) records nothing.
        if (std::memchr(m_tag.data(), '=', m_tag.size()) == nullptr)
            return;
        if (const Span style = attribute("style"); style.found())
            addStyle(m_raw + style.from, m_raw + style.to);
        if (name == "link") {
            // A style sheet or an icon is loaded with the page; next, index, alternate and
            // the like name other documents and stay links.
            if (isRequisiteRelation(lowered(attribute("rel")), lowered(attribute("as")), m_options.scripts)) {
                addRequisite(attribute("href"));
                return;
            }
        } else if (name == "img" || name == "source") {
            addCandidates(attribute("srcset"));
            if (name == "source")
                return; // its src is a video's or a sound's
        } else if (name == "video") {
            addRequisite(attribute("poster"));
        } else if (name == "image" || name == "use") {
            // Inline SVG: an image or a sprite drawn in the page, not a document.
            const Span href = attribute("href");
            addRequisite(href.found() ? href : attribute("xlink:href"));
            return;
        }
        if (const qsizetype href = find("href"); href >= 0) {
            add(ScannedAddress::Kind::Link, find("=", href));
            return;
        }
        const qsizetype src = srcPosition();
        if (src >= 0) {
            const auto before = [&](std::string_view word) {
                const qsizetype at = find(word);
                return at >= 0 && at < src;
            };
            // An image button may name its type after its source.
            if (before("img") || before("image")
                || (name == "input" && lowered(attribute("type")) == "image"))
                add(ScannedAddress::Kind::Image, find("=", src));
            else if (before("frame") && !has("iframe"))
                add(ScannedAddress::Kind::Frame, find("=", src));
            return; // scripts, embedded objects, inline frames
        }
        if (const qsizetype background = find("background"); background >= 0 && has("body"))
            add(ScannedAddress::Kind::Image, find("=", background));
    }

    const char* m_p;
    const char* m_end;
    const char* m_raw = nullptr; // the trimmed tag text, original case
    std::string m_tag; // the same, lowered
    PageScanOptions m_options;
    bool m_inScript = false;
    bool m_inHead = true;
    bool m_styleNeverCloses = false;
    PageScan m_r;
};

} // namespace

QByteArray attributeValue(QByteArrayView text)
{
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return {};
    return valueFrom(text.data() + eq + 1, text.data() + text.size());
}

PageScan scanPage(QByteArrayView content, PageScanOptions options)
{
    return Scanner(content, options).run();
}

} // namespace glanix
