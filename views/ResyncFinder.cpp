#include "views/ResyncFinder.h"

#include "views/CompareScan.h"

#include <algorithm>

namespace glanix::compare {

namespace {

constexpr std::uint32_t kNone = RunIndex::kNone;
constexpr int kGram = RunIndex::kGram;
// How far reached() follows chains of overlapping partial matches before the plain walk
// takes over (periodic text such as "aaaa..." makes them long).
constexpr int kMaxDepth = 64;
constexpr size_t kMaxReached = 4096;

} // namespace

ResyncFinder::ResyncFinder(QByteArray oldText, qsizetype oldBodyStart, int nbCharToCompare)
    : m_old(std::move(oldText))
    , m_bodyStart(std::clamp<qsizetype>(oldBodyStart, 0, m_old.size()))
    // At least one character must match to name an old position.
    , m_need(std::max(1, nbCharToCompare))
{
    m_old.detach();
}

bool ResyncFinder::buildCandidate(const char* candidate, const char* newEnd)
{
    m_cand.clear();
    if (candidate >= newEnd || IsSeparator(*candidate) || *candidate == '<')
        return false;
    qint64 need = m_need;
    const char* p = candidate;
    while (static_cast<qint64>(m_cand.size()) < need) {
        if (p >= newEnd)
            return false; // the new text ends before a run long enough
        const auto c = static_cast<unsigned char>(*p);
        m_cand.push_back(c);
        if (c == '&')
            need += 6; // an entity counts for less
        p = SkipBlanksAndTags(p + 1, newEnd);
    }
    return true;
}

qsizetype ResyncFinder::find(const char* candidate, const char* newEnd, qsizetype oldFrom)
{
    if (!buildCandidate(candidate, newEnd))
        return -1;
    if (!m_indexTried
        && (m_indexPolicy < 0 || (m_indexPolicy > 0 && m_scanned > kIndexAfterPasses * m_old.size() + 65536))) {
        m_indexTried = true;
        m_index.build(m_old, m_bodyStart);
    }
    const qsizetype from = std::clamp<qsizetype>(oldFrom, 0, m_old.size());
    if (m_index.built() && m_cand.size() >= static_cast<size_t>(kGram)) {
        m_index.update();
        if (!indexMayHoldRun())
            return -1;
        const qsizetype at = walkIndexed(from);
        if (at != -2)
            return at;
    }
    return walk(from);
}

void ResyncFinder::consume(qsizetype pos)
{
    char& c = m_old.data()[pos];
    const bool significant = !IsSeparator(c);
    c = ' ';
    if (significant && m_index.built())
        m_index.consume(pos);
}

bool ResyncFinder::indexMayHoldRun() const
{
    // Every stretch of the run must be somewhere in the old text: a changed word anywhere in
    // it usually makes one stretch unknown.
    const size_t n = m_cand.size();
    for (size_t at = 0;; at += kGram) {
        const size_t from = std::min(at, n - kGram);
        if (!m_index.mayHold(m_cand.data() + from))
            return false;
        if (from + kGram >= n)
            return true;
    }
}

qsizetype ResyncFinder::walk(qsizetype oldFrom)
{
    const char* old = m_old.constData();
    const char* end = old + m_old.size();
    const char first = static_cast<char>(m_cand[0]);
    const size_t runLength = m_cand.size();
    const char* base = old + oldFrom;
    bool wrapped = false;
    const char* q = FindCharOutsideTags(base, end, first);
    for (;;) {
        if (!q) {
            m_scanned += end - base;
            // Wrap once to the start of the body, also when the old text ran out during a
            // run: text moved up from the end of a page must be found.
            if (wrapped)
                return -1;
            wrapped = true;
            base = old + m_bodyStart;
            q = FindCharOutsideTags(base, end, first);
            if (!q) {
                m_scanned += end - base;
                return -1;
            }
        }
        m_scanned += q - base;
        const char* start = q;
        size_t matched = 0;
        while (matched < runLength && q < end && static_cast<unsigned char>(*q) == m_cand[matched]) {
            ++matched;
            q = SkipBlanksAndTags(q + 1, end);
        }
        m_scanned += q - start;
        if (matched == runLength)
            return start - old;
        // A partial match is not looked into again: the search goes on where it failed.
        base = q;
        q = FindCharOutsideTags(base, end, first);
    }
}

bool ResyncFinder::matchesFrom(std::uint32_t i, size_t count) const
{
    const unsigned char* chars = m_index.chars();
    for (size_t k = 0; k < count; ++k) {
        if (i == kNone || chars[i] != m_cand[k])
            return false;
        i = m_index.next(i);
    }
    return true;
}

// The walk's answer from the index: the first place, in the walk's order (from the old
// position to the end, then from the start of the body), where the whole run occurs and that
// the walk reaches. -2 when the chains of partial matches are too long to follow.
qsizetype ResyncFinder::walkIndexed(qsizetype oldFrom)
{
    const size_t runLength = m_cand.size();
    m_found.clear();
    m_index.forEachStart(m_cand.data(), [&](std::uint32_t i) {
        if (m_index.alive(i) && matchesFrom(i, runLength))
            m_found.push_back(i);
    });
    if (m_found.empty())
        return -1;
    std::sort(m_found.begin(), m_found.end());
    m_found.erase(std::unique(m_found.begin(), m_found.end()), m_found.end());
    // Only a partial match that starts inside an occurrence can make the walk skip it, and
    // that needs the run's first character again further in the run.
    const bool selfOverlap = std::find(m_cand.begin() + 1, m_cand.end(), m_cand[0]) != m_cand.end();
    const std::uint32_t starts[2] = {m_index.firstAtOrAfter(oldFrom), 0};
    for (const std::uint32_t base : starts) {
        m_reached.clear();
        for (const std::uint32_t f : m_found) {
            if (f < base)
                continue;
            if (!selfOverlap)
                return m_index.oldPosition(f);
            m_depth = 0;
            const int r = reached(f, base);
            if (r < 0)
                return -2;
            if (r > 0)
                return m_index.oldPosition(f);
        }
    }
    return -1;
}

// Whether the walk from `base` starts a match at y (which holds the run's first character):
// it does unless a match it started before y, fewer than the run's length earlier, went
// past y. 1 yes, 0 no, -1 too deep to tell.
int ResyncFinder::reached(std::uint32_t y, std::uint32_t base)
{
    for (const auto& [at, yes] : m_reached) {
        if (at == y)
            return yes ? 1 : 0;
    }
    if (++m_depth > kMaxDepth || m_reached.size() > kMaxReached)
        return -1;
    const unsigned char* chars = m_index.chars();
    int result = 1;
    size_t steps = 1;
    for (std::uint32_t x = m_index.prev(y); x != kNone && x >= base && steps < m_cand.size();
         x = m_index.prev(x), ++steps) {
        // A match started at x goes past y when more than `steps` characters match.
        if (chars[x] != m_cand[0] || !matchesFrom(x, steps + 1))
            continue;
        const int r = reached(x, base);
        if (r != 0) {
            result = r < 0 ? -1 : 0;
            break;
        }
    }
    --m_depth;
    if (result >= 0)
        m_reached.emplace_back(y, result == 1);
    return result;
}

} // namespace glanix::compare
