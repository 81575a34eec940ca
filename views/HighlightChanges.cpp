#include "views/HighlightChanges.h"

#include "views/CompareScan.h"
#include "views/ResyncFinder.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>

namespace glanix {

using namespace compare;

namespace {

// The marked text: spans of the new text between markers. Consecutive copies of the new
// text are gathered and appended in one go.
class Output {
public:
    explicit Output(qsizetype expected) { m_buf.reserve(expected + expected / 8 + 64); }

    void copy(const char* from, const char* to)
    {
        if (from != m_end) {
            flush();
            m_begin = from;
        }
        m_end = to;
    }

    void copyChar(const char* p) { copy(p, p + 1); }

    void marker(QByteArrayView s)
    {
        flush();
        m_buf.append(s);
        m_floor = m_end;
    }

    // Takes back the last character copied from the new text.
    void dropLast()
    {
        if (m_end > m_begin)
            --m_end;
        else
            m_buf.chop(1);
    }

    // The new position where the plain text after the last marker begins: stepping back
    // further would take back a marker.
    const char* floor() const { return m_floor; }
    void setFloor(const char* p) { m_floor = p; }

    QByteArray take()
    {
        flush();
        return std::move(m_buf);
    }

private:
    void flush()
    {
        if (m_end > m_begin)
            m_buf.append(m_begin, m_end - m_begin);
        m_begin = m_end;
    }

    QByteArray m_buf;
    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    const char* m_floor = nullptr;
};

int percentage(qint64 same, qint64 changed)
{
    if (same <= 0)
        return 0;
    const qint64 q = changed * 100 / (same + changed);
    // q + 1/2 rounded half to even.
    return static_cast<int>(std::min<qint64>(100, q % 2 ? q + 1 : q));
}

// The "<" opening the tag that ends just before `close`, searched back to `floor`; when the
// tag ends in "-->", the "<" of the "<!--" opening the comment. The two misses are kept so
// that a run of stray ">" costs one pass.
class TagOpenFinder {
public:
    explicit TagOpenFinder(const char* floor)
        : m_floor(floor)
    {
    }

    const char* find(const char* close)
    {
        if (close - m_floor >= 2 && close[-1] == '-' && close[-2] == '-' && close - 2 > m_commentMiss) {
            const qsizetype at = QByteArrayView(m_floor, close - 2 - m_floor).lastIndexOf("<!--");
            if (at >= 0)
                return m_floor + at;
            m_commentMiss = close - 2;
        }
        if (close <= m_ltMiss)
            return nullptr;
        const qsizetype at = QByteArrayView(m_floor, close - m_floor).lastIndexOf('<');
        if (at >= 0)
            return m_floor + at;
        m_ltMiss = close;
        return nullptr;
    }

private:
    const char* m_floor;
    const char* m_ltMiss = nullptr;
    const char* m_commentMiss = nullptr;
};

} // namespace

QByteArray colourOpening(int highLightColor)
{
    const auto c = static_cast<quint32>(highLightColor);
    const QByteArray rgb = QByteArray::number(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF), 16)
                               .toUpper()
                               .rightJustified(6, '0');
    return "<FONT COLOR=\"#" + rgb + "\">";
}

namespace {

// One comparison: the two cursors, the output and the counters.
class Highlighter {
public:
    Highlighter(QByteArray oldText, QByteArrayView newText, const CompareSettings& settings,
                const CompareControl& control)
        : m_control(control)
        , m_colour(colourOpening(settings.HighLightColor))
        , m_nbMini(settings.NbMiniCharDifferent)
        , m_limitMs(qint64 {settings.MaxComparePeriod} * 1000)
        , m_newEnd(newText.data() + newText.size())
        , m_n(newText.data())
        , m_out(newText.size())
    {
        const char* oldHead = FindTextNoCase(oldText.constData(), oldText.constData() + oldText.size(), "/HEAD>");
        m_o = oldHead ? oldHead - oldText.constData() + 6 : 0;
        if (const char* newHead = FindTextNoCase(m_n, m_newEnd, "/HEAD>"))
            m_n = newHead + 6;
        // The head is copied as it is.
        m_out.copy(newText.data(), m_n);
        m_newBodyStart = m_n;
        m_out.setFloor(m_n);
        m_finder.emplace(std::move(oldText), m_o, settings.NbCharToCompare);
        m_finder->setIndexPolicy(control.indexPolicy);
        m_old = m_finder->oldBegin();
        m_oldSize = m_finder->oldEnd() - m_old;
        m_startMs = m_lastPollMs = now();
    }

    HighlightResult run()
    {
        try {
            compare();
        } catch (const std::exception&) {
            m_r.failed = true;
        }
        m_r.text = m_out.take();
        m_r.percent = m_r.aborted ? 0 : percentage(m_r.same, m_r.changed);
        return std::move(m_r);
    }

private:
    void compare()
    {
        while (m_o < m_oldSize && m_n < m_newEnd) {
            while (m_o < m_oldSize && m_old[m_o] == '<')
                m_o = SkipTag(m_old + m_o + 1, m_finder->oldEnd()) - m_old;
            copyNewMarkup();
            // Only markup or white space was left: nothing more to compare or mark.
            if (m_n >= m_newEnd)
                return;

            const int oc = m_o < m_oldSize ? static_cast<unsigned char>(m_old[m_o]) : -1;
            const auto nc = static_cast<unsigned char>(*m_n);
            if (oc == nc || IsSeparator(nc)) {
                ++m_r.same;
                m_out.copyChar(m_n);
                if (oc == nc)
                    m_finder->consume(m_o++);
                ++m_n;
                continue;
            }
            // Old white space and markup (consumed text included) take no part in matching
            // either: without this, unchanged text after text matched elsewhere could be
            // marked as new.
            if (oc >= 0 && (IsSeparator(m_old[m_o]) || m_old[m_o] == '<')) {
                m_o = SkipBlanksAndTags(m_old + m_o, m_finder->oldEnd()) - m_old;
                if (m_o < m_oldSize)
                    continue;
            }
            if (!difference())
                return;
        }
        if (m_n < m_newEnd)
            m_out.copy(m_n, m_newEnd);
    }

    // New markup is copied (scripts and comments whole); so is white space the old text
    // has not got here.
    void copyNewMarkup()
    {
        for (;;) {
            while (m_n < m_newEnd && *m_n == '<') {
                if (StartsWithNoCase(m_n, m_newEnd, "<script")) {
                    if (const char* e = m_scriptEnd.find(m_n + 1, m_newEnd)) {
                        m_out.copy(m_n, e + 8);
                        m_n = e + 8;
                    }
                }
                if (m_newEnd - m_n >= 4 && QByteArrayView(m_n, 4) == "<!--") {
                    if (const char* e = m_commentEnd.find(m_n + 1, m_newEnd)) {
                        m_out.copy(m_n, e + 3);
                        m_n = e + 3;
                    }
                }
                if (m_n < m_newEnd) {
                    // Up to the next ">", whatever follows a script or a comment.
                    const char* tag = m_n;
                    if (*m_n++ != '>') {
                        const void* gt = std::memchr(m_n, '>', static_cast<size_t>(m_newEnd - m_n));
                        const char* stop = gt ? static_cast<const char*>(gt) + 1 : m_newEnd;
                        m_r.same += stop - m_n;
                        m_n = stop;
                    }
                    m_out.copy(tag, m_n);
                }
            }
            if (m_n < m_newEnd && IsSeparator(*m_n) && !(m_o < m_oldSize && IsSeparator(m_old[m_o]))) {
                m_out.copyChar(m_n++);
                continue;
            }
            return;
        }
    }

    // The texts differ at the cursors: look for the next word of the new text found again in
    // the old one, and mark what comes before it. False when the comparison is over.
    bool difference()
    {
        const char* candidate = m_n;
        qsizetype q = m_finder->find(candidate, m_newEnd, m_o);
        bool stop = timeToStop();
        while (q < 0 && !stop && candidate < m_newEnd) {
            candidate = NextWord(candidate, m_newEnd);
            q = m_finder->find(candidate, m_newEnd, m_o);
            stop = timeToStop();
        }
        if (stop) {
            // Not a failure: the rest is shown as it is.
            for (int i = 0; i < 3; ++i)
                m_out.marker(kEndIcon);
            m_out.copy(m_n, m_newEnd);
            m_r.aborted = true;
            return false;
        }
        if (q < 0) {
            m_out.marker(kStartIcon);
            m_out.copy(m_n, m_newEnd);
            m_out.marker(kEndIcon);
            m_r.changed += m_newEnd - m_n;
            ++m_r.blocks;
            return false;
        }
        mark(candidate, q);
        return true;
    }

    // Marks the new text from the cursor up to the resynchronisation point p (old position q).
    void mark(const char* p, qsizetype q)
    {
        const qsizetype length = p - m_n;
        if (length == 0) {
            m_out.copyChar(p);
        } else if (length < m_nbMini) {
            m_out.marker(m_colour);
            m_out.copy(m_n, p);
            m_out.marker(kColourClosing);
            m_out.copyChar(p);
            m_r.changed += length;
            ++m_r.blocks;
        } else {
            markLong(p);
        }
        // The character the run starts on is matched too: blank it like the others.
        m_finder->consume(q);
        m_n = p + 1;
        m_o = q + 1;
    }

    void markLong(const char* p)
    {
        // Frame whole words: start at the beginning of the word the change began in, but
        // never before text already behind a marker.
        const char* floor = std::max(m_out.floor(), m_newBodyStart);
        while (m_n > floor && !IsSeparator(m_n[-1])) {
            --m_n;
            m_out.dropLast();
        }
        // White space and markup just before the resynchronisation point stay outside.
        const char* n = m_n;
        qsizetype k = p - n - 1;
        TagOpenFinder tagOpen(n);
        while (k >= 0 && IsSeparator(n[k])) {
            if (n[k] == '>') {
                if (const char* open = tagOpen.find(n + k))
                    k = open - n;
            }
            --k;
        }
        if (k >= m_nbMini) {
            m_out.marker(kStartIcon);
            m_out.copy(n, n + k + 1);
            m_out.marker(kEndIcon);
        } else {
            // A tail equal at the same distance from both cursors stays unmarked.
            while (k >= 0 && m_o + k < m_oldSize && m_old[m_o + k] == n[k])
                --k;
            m_out.marker(m_colour);
            m_out.copy(n, n + k + 1);
            m_out.marker(kColourClosing);
        }
        m_out.copy(n + k + 1, p + 1);
        m_r.changed += k + 1;
        ++m_r.blocks;
    }

    qint64 now() const
    {
        if (m_control.elapsedMs)
            return m_control.elapsedMs();
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // At most about once a second: the caller processes pending events and reports the keys.
    bool timeToStop()
    {
        if (now() - m_lastPollMs <= 1000)
            return false;
        const UserRequest request = m_control.poll ? m_control.poll() : UserRequest::None;
        const qint64 t = now();
        m_lastPollMs = t;
        if (request == UserRequest::Abort)
            return true;
        return m_limitMs > 0 && t - m_startMs > m_limitMs && request != UserRequest::KeepGoing;
    }

    const CompareControl& m_control;
    const QByteArray m_colour;
    const qsizetype m_nbMini;
    const qint64 m_limitMs;
    qint64 m_startMs = 0;
    qint64 m_lastPollMs = 0;

    const char* const m_newEnd;
    const char* m_newBodyStart = nullptr;
    const char* m_n; // new cursor
    std::optional<ResyncFinder> m_finder;
    const char* m_old = nullptr; // the finder's copy of the old text
    qsizetype m_oldSize = 0;
    qsizetype m_o = 0; // old cursor
    ForwardSearch m_scriptEnd {"/SCRIPT>", true};
    ForwardSearch m_commentEnd {"-->", false};
    Output m_out;
    HighlightResult m_r;
};

} // namespace

HighlightResult HighlightChanges(QByteArray oldText, QByteArrayView newText, const CompareSettings& settings,
                                 const CompareControl& control)
{
    try {
        return Highlighter(std::move(oldText), newText, settings, control).run();
    } catch (const std::exception&) {
        // Not even the copy of the old text could be made: nothing was produced.
        HighlightResult r;
        r.failed = true;
        return r;
    }
}

} // namespace glanix
