#include "store/StyleScanner.h"

#include "store/ScanText.h"

#include <QString>
#include <algorithm>
#include <string_view>

namespace glanix {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isNameChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '-' || c == '_'
        || u >= 0x80;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(QByteArray& out, char32_t code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    const char32_t one[] = {code};
    out += QString::fromUcs4(one, 1).toUtf8();
}

class Scanner {
public:
    explicit Scanner(QByteArrayView css)
        : m_begin(css.data())
        , m_p(css.data())
        , m_end(css.data() + css.size())
    {
    }

    StyleScan run()
    {
        readCharset();
        while (m_p < m_end) {
            ++m_r.bytesExamined;
            const char c = *m_p;
            if (c == '/' && m_p + 1 < m_end && m_p[1] == '*') {
                skipComment();
            } else if (c == '"' || c == '\'') {
                Value s = readString(c);
                // An import's address, or a candidate written directly in image-set(...).
                if (s.ok && (m_importPending || (m_imageSetDepth > 0 && m_depth == m_imageSetDepth)))
                    add(s);
                m_importPending = false;
            } else if (c == '\\') {
                m_p += std::min<std::ptrdiff_t>(2, m_end - m_p);
            } else if ((c == 'u' || c == 'U') && startsWithCi(m_p, m_end, "url(")
                       && (m_p == m_begin || !isNameChar(m_p[-1]))) {
                m_p += 4;
                readUrl();
                m_importPending = false;
            } else if (c == '@' && startsWithCi(m_p + 1, m_end, "import")
                       && (m_p + 7 >= m_end || !isNameChar(m_p[7]))) {
                m_importPending = true;
                m_p += 7;
            } else {
                if (c == ';' || c == '{' || c == '}') {
                    m_importPending = false;
                    m_depth = 0;
                    m_imageSetDepth = 0;
                } else if (c == '(') {
                    ++m_depth;
                    if (endsImageSet())
                        m_imageSetDepth = m_depth;
                } else if (c == ')' && m_depth > 0) {
                    if (m_depth == m_imageSetDepth)
                        m_imageSetDepth = 0;
                    --m_depth;
                }
                ++m_p;
            }
        }
        return std::move(m_r);
    }

private:
    struct Value {
        QByteArray bytes;
        bool ok = true;
        bool tooLong = false;

        void append(char c)
        {
            if (bytes.size() >= kMaxStyleAddressLength)
                tooLong = true;
            else
                bytes += c;
        }
    };

    // "image-set" (or "-webkit-image-set") just before the "(" at m_p.
    bool endsImageSet() const
    {
        constexpr std::string_view name = "image-set";
        const auto size = static_cast<std::ptrdiff_t>(name.size());
        if (m_p - m_begin < size || !startsWithCi(m_p - size, m_p, name))
            return false;
        const char* before = m_p - size - 1;
        return before < m_begin || *before == '-' || !isNameChar(*before);
    }

    // Only at the very start of a sheet, as browsers read it.
    void readCharset()
    {
        constexpr std::string_view lead = "@charset \"";
        if (!startsWithCi(m_p, m_end, lead))
            return;
        const char* from = m_p + lead.size();
        const char* stop = from;
        while (stop < m_end && *stop != '"' && stop - from < 40)
            ++stop;
        if (stop < m_end && *stop == '"')
            m_r.charset = QByteArray(from, stop - from);
    }

    void skipComment()
    {
        const std::string_view rest(m_p + 2, static_cast<size_t>(m_end - m_p - 2));
        const size_t close = rest.find("*/");
        const char* after = close == std::string_view::npos ? m_end : m_p + 2 + close + 2;
        m_r.bytesExamined += after - m_p;
        m_p = after;
    }

    // After a backslash: a hex code point (up to six digits and one blank), a line
    // continuation (nothing), or the character itself.
    void escape(Value& out)
    {
        ++m_p;
        if (m_p >= m_end)
            return;
        if (*m_p == '\n' || *m_p == '\f') {
            ++m_p;
            return;
        }
        if (*m_p == '\r') {
            ++m_p;
            if (m_p < m_end && *m_p == '\n')
                ++m_p;
            return;
        }
        if (hexValue(*m_p) >= 0) {
            char32_t code = 0;
            for (int i = 0; i < 6 && m_p < m_end && hexValue(*m_p) >= 0; ++i, ++m_p) {
                ++m_r.bytesExamined;
                code = code * 16 + static_cast<char32_t>(hexValue(*m_p));
            }
            if (m_p < m_end && isSpace(*m_p))
                ++m_p;
            QByteArray utf8;
            appendUtf8(utf8, code);
            for (char b : std::as_const(utf8))
                out.append(b);
            return;
        }
        out.append(*m_p++);
    }

    // m_p on the opening quote; ends after the closing one. A line feed before the closing
    // quote makes a bad string (left unread); the end of the sheet closes it.
    Value readString(char quote)
    {
        Value v;
        ++m_p;
        while (m_p < m_end) {
            ++m_r.bytesExamined;
            const char c = *m_p;
            if (c == quote) {
                ++m_p;
                return v;
            }
            if (c == '\n' || c == '\r' || c == '\f') {
                v.ok = false;
                return v;
            }
            if (c == '\\')
                escape(v);
            else
                v.append(*m_p++);
        }
        return v;
    }

    void skipSpaces()
    {
        while (m_p < m_end && isSpace(*m_p)) {
            ++m_r.bytesExamined;
            ++m_p;
        }
    }

    // What is left of a malformed url(...), up to its ")".
    void skipBadUrl()
    {
        while (m_p < m_end && *m_p != ')') {
            ++m_r.bytesExamined;
            if (*m_p == '\\')
                m_p += std::min<std::ptrdiff_t>(2, m_end - m_p);
            else
                ++m_p;
        }
        if (m_p < m_end)
            ++m_p;
    }

    // m_p just after "url(".
    void readUrl()
    {
        skipSpaces();
        if (m_p < m_end && (*m_p == '"' || *m_p == '\'')) {
            Value s = readString(*m_p);
            skipSpaces();
            if (s.ok && m_p < m_end && *m_p == ')') {
                ++m_p;
                add(s);
            } else {
                skipBadUrl();
            }
            return;
        }
        Value v;
        while (m_p < m_end) {
            ++m_r.bytesExamined;
            const char c = *m_p;
            if (c == ')') {
                ++m_p;
                add(v);
                return;
            }
            if (isSpace(c)) {
                skipSpaces();
                if (m_p < m_end && *m_p == ')') {
                    ++m_p;
                    add(v);
                } else if (m_p < m_end) {
                    skipBadUrl();
                } else {
                    add(v);
                }
                return;
            }
            if (c == '"' || c == '\'' || c == '(' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                skipBadUrl();
                return;
            }
            if (c == '\\')
                escape(v);
            else
                v.append(*m_p++);
        }
        add(v); // the end of the sheet closes it
    }

    void add(const Value& v)
    {
        if (v.tooLong)
            return;
        QByteArray value;
        value.reserve(v.bytes.size());
        for (char c : v.bytes) {
            // Tabs and line ends are dropped from addresses, other control characters spoil them.
            if (c == '\t' || c == '\n' || c == '\r')
                continue;
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                return;
            value += c;
        }
        value = value.trimmed();
        // A fragment alone names a part of the sheet or page itself (SVG filters).
        if (value.isEmpty() || value.startsWith('#'))
            return;
        m_r.addresses.push_back(std::move(value));
    }

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    bool m_importPending = false;
    int m_depth = 0; // parentheses open, url(...) aside
    int m_imageSetDepth = 0; // the depth inside image-set(...), 0 outside
    StyleScan m_r;
};

} // namespace

StyleScan scanStyleSheet(QByteArrayView css)
{
    return Scanner(css).run();
}

} // namespace glanix
