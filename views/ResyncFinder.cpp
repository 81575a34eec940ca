#include "views/ResyncFinder.h"

#include "views/CompareScan.h"

#include <algorithm>
#include <limits>

namespace glanix::compare {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kDead = kNone - 1;
constexpr std::uint64_t kBase = 0x100000001B3ULL;

constexpr std::uint64_t basePower()
{
    std::uint64_t p = 1;
    for (int i = 0; i < ResyncFinder::kGram; ++i)
        p *= kBase;
    return p;
}

constexpr std::uint64_t kBasePowK = basePower();

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
    if (m_indexPolicy < 0 && m_keys.empty())
        buildIndex();
    if (!m_keys.empty()) {
        addBridgingRuns();
        if (!indexMayHoldRun())
            return -1;
    }
    const qsizetype from = std::clamp<qsizetype>(oldFrom, 0, m_old.size());
    const qsizetype at = !m_keys.empty() && m_cand[0] != 0 ? walkStream(from) : walk(from);
    if (m_indexPolicy > 0 && m_keys.empty()
        && m_scanned > kIndexAfterPasses * m_old.size() + 65536)
        buildIndex();
    return at;
}

qsizetype ResyncFinder::walkStream(qsizetype oldFrom)
{
    // The same walk on the significant characters alone (consumed ones are 0 there): the
    // positions visited and the answer are those of walk().
    const size_t n = m_stream.size();
    const unsigned char* stream = m_stream.data();
    const unsigned char first = m_cand[0];
    const size_t runLength = m_cand.size();
    const auto findFirst = [&](size_t from) -> size_t {
        if (from >= n)
            return n;
        const void* hit = std::memchr(stream + from, first, n - from);
        return hit ? static_cast<size_t>(static_cast<const unsigned char*>(hit) - stream) : n;
    };
    size_t base = static_cast<size_t>(
        std::lower_bound(m_streamPos.begin(), m_streamPos.end(), static_cast<std::uint32_t>(oldFrom))
        - m_streamPos.begin());
    bool wrapped = false;
    size_t q = findFirst(base);
    for (;;) {
        if (q == n) {
            if (wrapped)
                return -1;
            wrapped = true;
            q = findFirst(0);
            if (q == n)
                return -1;
        }
        const size_t start = q;
        size_t matched = 0;
        std::uint32_t i = static_cast<std::uint32_t>(q);
        while (matched < runLength && i != kNone && stream[i] == m_cand[matched]) {
            ++matched;
            i = m_next[i];
        }
        if (matched == runLength)
            return m_streamPos[start];
        base = i == kNone ? n : i;
        q = findFirst(base);
    }
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
    m_gaps.clear();
    m_hint = kNone; // hint + 1 is then the first character
    m_prev.resize(n);
    m_next.resize(n);
    for (size_t i = 0; i < n; ++i) {
        m_prev[i] = i == 0 ? kNone : static_cast<std::uint32_t>(i - 1);
        m_next[i] = i + 1 == n ? kNone : static_cast<std::uint32_t>(i + 1);
    }
    m_stream.resize(n);
    for (size_t i = 0; i < n; ++i)
        m_stream[i] = static_cast<unsigned char>(old[m_streamPos[i]]);
    m_keys.clear();
    m_used = 0;
    growKeys(n);
    std::uint64_t h = 0;
    for (size_t i = 0; i < n; ++i) {
        h = h * kBase + m_stream[i];
        if (i >= static_cast<size_t>(kGram))
            h -= kBasePowK * m_stream[i - kGram];
        if (i + 1 >= static_cast<size_t>(kGram))
            indexAdd(h);
    }
}

void ResyncFinder::growKeys(size_t wanted)
{
    int bits = 10;
    while ((size_t {1} << bits) < 2 * wanted)
        ++bits;
    std::vector<std::uint64_t> old = std::move(m_keys);
    m_keys.assign(size_t {1} << bits, 0);
    m_keyShift = 64 - bits;
    m_used = 0;
    for (std::uint64_t key : old) {
        if (key)
            indexAdd(key);
    }
}

// Open addressing over the runs' 64-bit hashes; 0 marks an empty slot.
void ResyncFinder::indexAdd(std::uint64_t hash)
{
    const std::uint64_t key = hash ? hash : 1;
    if (2 * (m_used + 1) > m_keys.size())
        growKeys(m_used + 1);
    const size_t mask = m_keys.size() - 1;
    for (size_t i = (key * 0x9E3779B97F4A7C15ULL) >> m_keyShift;; i = (i + 1) & mask) {
        if (m_keys[i] == key)
            return;
        if (m_keys[i] == 0) {
            m_keys[i] = key;
            ++m_used;
            return;
        }
    }
}

bool ResyncFinder::indexMayHold(const unsigned char* gram) const
{
    const std::uint64_t hash = gramHash(gram);
    const std::uint64_t key = hash ? hash : 1;
    const size_t mask = m_keys.size() - 1;
    for (size_t i = (key * 0x9E3779B97F4A7C15ULL) >> m_keyShift;; i = (i + 1) & mask) {
        if (m_keys[i] == key)
            return true;
        if (m_keys[i] == 0)
            return false;
    }
}

bool ResyncFinder::indexMayHoldRun() const
{
    // Every stretch of the run must be somewhere in the old text: a changed word anywhere in
    // it usually makes one stretch unknown.
    const size_t n = m_cand.size();
    if (n < static_cast<size_t>(kGram))
        return true;
    for (size_t at = 0;; at += kGram) {
        const size_t from = std::min(at, n - kGram);
        if (!indexMayHold(m_cand.data() + from))
            return false;
        if (from + kGram >= n)
            return true;
    }
}

void ResyncFinder::consume(qsizetype pos)
{
    char& c = m_old.data()[pos];
    const auto was = static_cast<unsigned char>(c);
    c = ' ';
    if (m_keys.empty() || IsSeparator(was))
        return;
    // The forward walk consumes characters in order: the next one is usually the hint's.
    std::uint32_t idx = m_hint + 1;
    if (idx >= m_streamPos.size() || m_streamPos[idx] != static_cast<std::uint32_t>(pos)) {
        const auto it
            = std::lower_bound(m_streamPos.begin(), m_streamPos.end(), static_cast<std::uint32_t>(pos));
        if (it == m_streamPos.end() || *it != static_cast<std::uint32_t>(pos))
            return;
        idx = static_cast<std::uint32_t>(it - m_streamPos.begin());
    }
    if (m_next[idx] == kDead)
        return;
    m_hint = idx;
    m_stream[idx] = 0;
    const std::uint32_t p = m_prev[idx], n = m_next[idx];
    if (p != kNone)
        m_next[p] = n;
    if (n != kNone)
        m_prev[n] = p;
    // A dead entry keeps the neighbour it had, to find the gap's start later.
    m_next[idx] = kDead;
    if (p != kNone && (m_gaps.empty() || m_gaps.back() != p))
        m_gaps.push_back(p);
}

void ResyncFinder::addBridgingRuns()
{
    // The runs through consumed characters stay counted (the index may then say "maybe"
    // wrongly, never "no"); the runs that now cross each gap are added.
    for (std::uint32_t q : m_gaps) {
        while (q != kNone && m_next[q] == kDead)
            q = m_prev[q];
        if (q == kNone)
            continue;
        unsigned char chars[2 * kGram];
        std::uint32_t before[kGram];
        int preds = 0;
        for (std::uint32_t i = m_prev[q]; i != kNone && preds < kGram - 2; i = m_prev[i])
            before[preds++] = i;
        int len = 0;
        const char* old = m_old.constData();
        for (int k = preds - 1; k >= 0; --k)
            chars[len++] = static_cast<unsigned char>(old[m_streamPos[before[k]]]);
        chars[len++] = static_cast<unsigned char>(old[m_streamPos[q]]);
        for (std::uint32_t i = m_next[q]; i != kNone && len < preds + kGram; i = m_next[i])
            chars[len++] = static_cast<unsigned char>(old[m_streamPos[i]]);
        for (int a = 0; a <= preds && a + kGram <= len; ++a)
            indexAdd(gramHash(chars + a));
    }
    m_gaps.clear();
}

} // namespace glanix::compare
