#include "views/HighlightChanges.h"

#include "views/CompareScan.h"
#include "views/ResyncFinder.h"

#include <algorithm>
#include <chrono>
#include <exception>

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

HighlightResult HighlightChanges(QByteArray oldText, QByteArrayView newText, const CompareSettings& settings,
                                 const CompareControl& control)
{
    const auto steadyMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const auto now = [&]() -> qint64 { return control.elapsedMs ? control.elapsedMs() : steadyMs(); };
    const qint64 startMs = now();
    qint64 lastPollMs = startMs;
    const qint64 limitMs = qint64 {settings.MaxComparePeriod} * 1000;
    const auto timeToStop = [&]() {
        if (now() - lastPollMs <= 1000)
            return false;
        const UserRequest request = control.poll ? control.poll() : UserRequest::None;
        const qint64 t = now();
        lastPollMs = t;
        if (request == UserRequest::Abort)
            return true;
        return limitMs > 0 && t - startMs > limitMs && request != UserRequest::KeepGoing;
    };

    HighlightResult r;
    const QByteArray colour = colourOpening(settings.HighLightColor);
    const qsizetype nbMini = settings.NbMiniCharDifferent;
    const char* const newBegin = newText.data();
    const char* const newEnd = newBegin + newText.size();
    const char* n = newBegin;
    Output out(newText.size());

    try {
        const char* oldHead = FindTextNoCase(oldText.constData(), oldText.constData() + oldText.size(), "/HEAD>");
        qsizetype o = oldHead ? oldHead - oldText.constData() + 6 : 0;
        if (const char* newHead = FindTextNoCase(newBegin, newEnd, "/HEAD>"))
            n = newHead + 6;
        out.copy(newBegin, n);
        const char* const newBodyStart = n;
        out.setFloor(n);

        ResyncFinder finder(std::move(oldText), o, settings.NbCharToCompare);
        finder.setIndexPolicy(control.indexPolicy);
        const char* const old = finder.oldBegin();
        const qsizetype oldSize = finder.oldEnd() - old;
        ForwardSearch scriptEnd("/SCRIPT>", true);
        ForwardSearch commentEnd("-->", false);
        bool restMarked = false;

        while (o < oldSize && n < newEnd) {
            while (o < oldSize && old[o] == '<')
                o = SkipTag(old + o + 1, finder.oldEnd()) - old;

            // New markup is copied; so is white space the old text has not got here.
            for (;;) {
                while (n < newEnd && *n == '<') {
                    if (StartsWithNoCase(n, newEnd, "<script")) {
                        if (const char* e = scriptEnd.find(n + 1, newEnd)) {
                            out.copy(n, e + 8);
                            n = e + 8;
                        }
                    }
                    if (newEnd - n >= 4 && QByteArrayView(n, 4) == "<!--") {
                        if (const char* e = commentEnd.find(n + 1, newEnd)) {
                            out.copy(n, e + 3);
                            n = e + 3;
                        }
                    }
                    if (n < newEnd) {
                        const char* tag = n;
                        if (*n++ != '>') {
                            const void* gt = std::memchr(n, '>', static_cast<size_t>(newEnd - n));
                            const char* stop = gt ? static_cast<const char*>(gt) + 1 : newEnd;
                            r.same += stop - n;
                            n = stop;
                        }
                        out.copy(tag, n);
                    }
                }
                if (n < newEnd && IsSeparator(*n) && !(o < oldSize && IsSeparator(old[o]))) {
                    out.copyChar(n++);
                    continue;
                }
                break;
            }
            // Only markup or white space was left: nothing more to compare or mark.
            if (n >= newEnd)
                break;

            const int oc = o < oldSize ? static_cast<unsigned char>(old[o]) : -1;
            const auto nc = static_cast<unsigned char>(*n);
            if (oc == nc || IsSeparator(nc)) {
                ++r.same;
                out.copyChar(n);
                if (oc == nc)
                    finder.consume(o++);
                ++n;
                continue;
            }
            // Old white space and markup (consumed text included) take no part in matching
            // either: without this, unchanged text after text matched elsewhere could be
            // marked as new.
            if (oc >= 0 && (IsSeparator(old[o]) || old[o] == '<')) {
                o = SkipBlanksAndTags(old + o, finder.oldEnd()) - old;
                if (o < oldSize)
                    continue;
            }

            // A difference: look for the next word of the new text found again in the old.
            const char* candidate = n;
            qsizetype q = finder.find(candidate, newEnd, o);
            bool stop = timeToStop();
            while (q < 0 && !stop && candidate < newEnd) {
                candidate = NextWord(candidate, newEnd);
                q = finder.find(candidate, newEnd, o);
                stop = timeToStop();
            }
            if (stop) {
                out.marker(kEndIcon);
                out.marker(kEndIcon);
                out.marker(kEndIcon);
                out.copy(n, newEnd);
                r.text = out.take();
                r.aborted = true;
                return r;
            }
            if (q < 0) {
                out.marker(kStartIcon);
                out.copy(n, newEnd);
                out.marker(kEndIcon);
                r.changed += newEnd - n;
                ++r.blocks;
                n = newEnd;
                restMarked = true;
                break;
            }

            const char* p = candidate;
            const qsizetype length = p - n;
            if (length == 0) {
                out.copyChar(p);
            } else if (length < nbMini) {
                out.marker(colour);
                out.copy(n, p);
                out.marker(kColourClosing);
                out.copyChar(p);
                r.changed += length;
                ++r.blocks;
            } else {
                // Frame whole words: start at the beginning of the word the change began in,
                // but never before text already behind a marker.
                const char* floor = std::max(out.floor(), newBodyStart);
                while (n > floor && !IsSeparator(n[-1])) {
                    --n;
                    out.dropLast();
                }
                // White space and markup just before the resynchronisation point stay outside.
                qsizetype k = p - n - 1;
                TagOpenFinder tagOpen(n);
                while (k >= 0 && IsSeparator(n[k])) {
                    if (n[k] == '>') {
                        if (const char* open = tagOpen.find(n + k))
                            k = open - n;
                    }
                    --k;
                }
                if (k >= nbMini) {
                    out.marker(kStartIcon);
                    out.copy(n, n + k + 1);
                    out.marker(kEndIcon);
                    out.copy(n + k + 1, p + 1);
                } else {
                    // A tail equal at the same distance from both cursors stays unmarked.
                    while (k >= 0 && o + k < oldSize && old[o + k] == n[k])
                        --k;
                    out.marker(colour);
                    out.copy(n, n + k + 1);
                    out.marker(kColourClosing);
                    out.copy(n + k + 1, p + 1);
                }
                r.changed += k + 1;
                ++r.blocks;
            }
            // The character the run starts on is matched too: blank it like the others.
            finder.consume(q);
            n = p + 1;
            o = q + 1;
        }
        if (!restMarked && n < newEnd)
            out.copy(n, newEnd);
    } catch (const std::exception&) {
        r.failed = true;
    }
    r.text = out.take();
    r.percent = percentage(r.same, r.changed);
    return r;
}

} // namespace glanix
