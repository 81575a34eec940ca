#include "views/ResyncFinder.h"

#include "views/CompareScan.h"

#include <algorithm>
#include <limits>

namespace glanix::compare {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kDead = kNone - 1;
constexpr std::uint64_t kBase = 0x100000001B3ULL;

std::uint64_t basePower()
{
    std::uint64_t p = 1;
    for (int i = 0; i < ResyncFinder::kGram; ++i)
        p *= kBase;
    return p;
}

const std::uint64_t kBasePowK = basePower();

std::uint64_t gramHash(const unsigned char* c)
{
    std::uint64_t h = 0;
    for (int i = 0; i < ResyncFinder::kGram; ++i)
        h = h * kBase + c[i];
    return h;
}

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

qsizetype ResyncFinder::find(const char* candidate, const char* newEnd, qsizetype oldFrom)
{
    if (!buildCandidate(candidate, newEnd))
        return -1;
    if (m_indexPolicy < 0 && m_counts.empty())
        buildIndex();
    if (!m_counts.empty() && m_cand.size() >= static_cast<size_t>(kGram) && !indexMayHold(m_cand.data()))
        return -1;
    const qsizetype at = walk(std::clamp<qsizetype>(oldFrom, 0, m_old.size()));
    if (m_indexPolicy > 0 && m_counts.empty()
        && m_scanned > kIndexAfterPasses * m_old.size() + 65536)
        buildIndex();
    return at;
}

void ResyncFinder::buildIndex()
{
    // Positions are 32-bit; a page past 4 GB keeps the plain walk.
    if (m_old.size() >= static_cast<qsizetype>(kDead))
        return;
    const char* old = m_old.constData();
    const char* end = old + m_old.size();
    const char* p = old + m_bodyStart;
    m_streamPos.clear();
    while (p < end) {
        if (*p == '<') {
            p = SkipTag(p + 1, end);
            continue;
        }
        if (!IsSeparator(*p))
            m_streamPos.push_back(static_cast<std::uint32_t>(p - old));
        ++p;
    }
    const size_t n = m_streamPos.size();
    m_prev.resize(n);
    m_next.resize(n);
    for (size_t i = 0; i < n; ++i) {
        m_prev[i] = i == 0 ? kNone : static_cast<std::uint32_t>(i - 1);
        m_next[i] = i + 1 == n ? kNone : static_cast<std::uint32_t>(i + 1);
    }
    int bits = 10;
    while ((size_t {1} << bits) < 2 * n)
        ++bits;
    m_slotShift = 64 - bits;
    m_counts.assign(size_t {1} << bits, 0);
    unsigned char gram[kGram];
    for (size_t i = 0; i + kGram <= n; ++i) {
        for (int k = 0; k < kGram; ++k)
            gram[k] = static_cast<unsigned char>(old[m_streamPos[i + k]]);
        indexAdd(gramHash(gram), 1);
    }
}

std::uint32_t ResyncFinder::slotOf(std::uint64_t hash) const
{
    return static_cast<std::uint32_t>((hash * 0x9E3779B97F4A7C15ULL) >> m_slotShift);
}

void ResyncFinder::indexAdd(std::uint64_t hash, int delta)
{
    m_counts[slotOf(hash)] += static_cast<std::uint32_t>(delta);
}

bool ResyncFinder::indexMayHold(const unsigned char* gram) const
{
    return m_counts[slotOf(gramHash(gram))] != 0;
}

void ResyncFinder::consume(qsizetype pos)
{
    char& c = m_old.data()[pos];
    const auto was = static_cast<unsigned char>(c);
    c = ' ';
    if (m_counts.empty() || IsSeparator(was))
        return;
    const auto it = std::lower_bound(m_streamPos.begin(), m_streamPos.end(), static_cast<std::uint32_t>(pos));
    if (it == m_streamPos.end() || *it != static_cast<std::uint32_t>(pos))
        return;
    const auto idx = static_cast<std::uint32_t>(it - m_streamPos.begin());
    if (m_prev[idx] == kDead)
        return;

    // The runs through the consumed character go; the runs that now bridge the gap come.
    // Window: up to kGram-1 alive predecessors, the character, up to kGram-1 successors.
    constexpr int span = kGram - 1;
    std::uint32_t before[span];
    int preds = 0;
    for (std::uint32_t i = m_prev[idx]; i != kNone && preds < span; i = m_prev[i])
        before[preds++] = i;
    unsigned char chars[2 * kGram];
    int len = 0;
    const char* old = m_old.constData();
    for (int k = preds - 1; k >= 0; --k)
        chars[len++] = static_cast<unsigned char>(old[m_streamPos[before[k]]]);
    chars[len++] = was;
    for (std::uint32_t i = m_next[idx]; i != kNone && len < preds + 1 + span; i = m_next[i])
        chars[len++] = static_cast<unsigned char>(old[m_streamPos[i]]);

    std::uint64_t prefix[2 * kGram + 1];
    const auto update = [&](int count, int lastStart, int delta) {
        prefix[0] = 0;
        for (int i = 0; i < count; ++i)
            prefix[i + 1] = prefix[i] * kBase + chars[i];
        for (int a = 0; a <= lastStart && a + kGram <= count; ++a)
            indexAdd(prefix[a + kGram] - prefix[a] * kBasePowK, delta);
    };
    update(len, preds, -1);
    std::copy(chars + preds + 1, chars + len, chars + preds);
    update(len - 1, preds - 1, 1);

    const std::uint32_t p = m_prev[idx], n = m_next[idx];
    if (p != kNone)
        m_next[p] = n;
    if (n != kNone)
        m_prev[n] = p;
    m_prev[idx] = m_next[idx] = kDead;
}

} // namespace glanix::compare
