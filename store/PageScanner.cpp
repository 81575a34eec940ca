#include "store/PageScanner.h"

#include "store/PageEncoding.h"

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

class Scanner {
public:
    explicit Scanner(QByteArrayView content)
        : m_p(content.data())
        , m_end(content.data() + content.size())
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

        // Every address follows an "=": a tag without one (most closing tags) records nothing.
        if (std::memchr(m_tag.data(), '=', m_tag.size()) == nullptr)
            return;
        if (const qsizetype href = find("href"); href >= 0) {
            add(ScannedAddress::Kind::Link, find("=", href));
            return;
        }
        qsizetype src = find(" src");
        if (src < 0)
            src = find("src");
        if (src >= 0) {
            const auto before = [&](std::string_view word) {
                const qsizetype at = find(word);
                return at >= 0 && at < src;
            };
            if (before("img") || before("image"))
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
    bool m_inScript = false;
    bool m_inHead = true;
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

PageScan scanPage(QByteArrayView content)
{
    return Scanner(content).run();
}

} // namespace glanix
