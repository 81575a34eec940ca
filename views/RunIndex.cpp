#include "views/RunIndex.h"

#include "views/CompareScan.h"

#include <algorithm>

namespace glanix::compare {

namespace {

constexpr std::uint64_t kBase = 0x100000001B3ULL;

constexpr std::uint64_t basePower()
{
    std::uint64_t p = 1;
    for (int i = 0; i < RunIndex::kGram; ++i)
        p *= kBase;
    return p;
}

constexpr std::uint64_t kBasePowK = basePower();

} // namespace

std::uint64_t RunIndex::gramHash(const unsigned char* gram)
{
    std::uint64_t h = 0;
    for (int i = 0; i < kGram; ++i)
        h = h * kBase + gram[i];
    return h;
}

bool RunIndex::build(const QByteArray& old, qsizetype bodyStart)
{
    if (old.size() >= static_cast<qsizetype>(kDead))
        return false;
    const char* begin = old.constData();
    const char* end = begin + old.size();
    m_oldPos.clear();
    m_chars.clear();
    for (const char* p = begin + bodyStart; p < end;) {
        if (*p == '<') {
            p = SkipTag(p + 1, end);
            continue;
        }
        if (!IsSeparator(*p)) {
            m_oldPos.push_back(static_cast<std::uint32_t>(p - begin));
            m_chars.push_back(static_cast<unsigned char>(*p));
        }
        ++p;
    }
    const auto n = static_cast<std::uint32_t>(m_chars.size());
    m_prev.resize(n);
    m_next.resize(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        m_prev[i] = i == 0 ? kNone : i - 1;
        m_next[i] = i + 1 == n ? kNone : i + 1;
    }
    m_gaps.clear();
    m_hint = kNone;

    int bits = 10;
    while ((size_t {1} << bits) < 2 * static_cast<size_t>(n))
        ++bits;
    m_slotKey.assign(size_t {1} << bits, 0);
    m_slotHead.assign(size_t {1} << bits, kNone);
    m_shift = 64 - bits;
    m_used = 0;
    m_entryPos.clear();
    m_entryNext.clear();
    m_entryPos.reserve(n);
    m_entryNext.reserve(n);
    std::uint64_t h = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        h = h * kBase + m_chars[i];
        if (i >= static_cast<std::uint32_t>(kGram))
            h -= kBasePowK * m_chars[i - kGram];
        if (i + 1 >= static_cast<std::uint32_t>(kGram))
            add(h, i + 1 - kGram);
    }
    return true;
}

std::uint32_t RunIndex::firstAtOrAfter(qsizetype oldPos) const
{
    return static_cast<std::uint32_t>(std::lower_bound(m_oldPos.begin(), m_oldPos.end(),
                                                       static_cast<std::uint32_t>(std::max<qsizetype>(oldPos, 0)))
                                      - m_oldPos.begin());
}

void RunIndex::consume(qsizetype oldPos)
{
    // The comparison consumes characters in order: the next one is usually the hint's.
    std::uint32_t i = m_hint + 1;
    if (i >= size() || m_oldPos[i] != static_cast<std::uint32_t>(oldPos)) {
        i = firstAtOrAfter(oldPos);
        if (i >= size() || m_oldPos[i] != static_cast<std::uint32_t>(oldPos))
            return;
    }
    if (!alive(i))
        return;
    m_hint = i;
    m_chars[i] = 0;
    const std::uint32_t p = m_prev[i], n = m_next[i];
    if (p != kNone)
        m_next[p] = n;
    if (n != kNone)
        m_prev[n] = p;
    // A dead entry keeps the neighbour it had, to find the gap's start later.
    m_next[i] = kDead;
    if (p != kNone && (m_gaps.empty() || m_gaps.back() != p))
        m_gaps.push_back(p);
}

void RunIndex::update()
{
    // The runs that now cross a gap start at its last alive character or at one of the
    // kGram - 2 before it.
    for (std::uint32_t q : m_gaps) {
        while (q != kNone && !alive(q))
            q = m_prev[q];
        if (q == kNone)
            continue;
        std::uint32_t starts[kGram];
        int count = 0;
        for (std::uint32_t i = q; i != kNone && count < kGram - 1; i = m_prev[i])
            starts[count++] = i;
        unsigned char chars[2 * kGram];
        std::uint32_t first = starts[count - 1];
        int len = 0;
        for (std::uint32_t i = first; i != kNone && len < count + kGram - 1; i = m_next[i])
            chars[len++] = m_chars[i];
        for (int a = 0; a < count && a + kGram <= len; ++a)
            add(gramHash(chars + a), starts[count - 1 - a]);
    }
    m_gaps.clear();
}

std::uint32_t RunIndex::findSlot(std::uint64_t hash) const
{
    const std::uint64_t key = hash ? hash : 1;
    const size_t mask = m_slotKey.size() - 1;
    for (size_t i = (key * 0x9E3779B97F4A7C15ULL) >> m_shift;; i = (i + 1) & mask) {
        if (m_slotKey[i] == key)
            return static_cast<std::uint32_t>(i);
        if (m_slotKey[i] == 0)
            return kNone;
    }
}

void RunIndex::add(std::uint64_t hash, std::uint32_t start)
{
    const std::uint64_t key = hash ? hash : 1;
    if (2 * (m_used + 1) > m_slotKey.size())
        grow();
    const size_t mask = m_slotKey.size() - 1;
    size_t i = (key * 0x9E3779B97F4A7C15ULL) >> m_shift;
    while (m_slotKey[i] != 0 && m_slotKey[i] != key)
        i = (i + 1) & mask;
    if (m_slotKey[i] == 0) {
        m_slotKey[i] = key;
        ++m_used;
    }
    m_entryPos.push_back(start);
    m_entryNext.push_back(m_slotHead[i]);
    m_slotHead[i] = static_cast<std::uint32_t>(m_entryPos.size() - 1);
}

void RunIndex::grow()
{
    std::vector<std::uint64_t> keys = std::move(m_slotKey);
    std::vector<std::uint32_t> heads = std::move(m_slotHead);
    m_slotKey.assign(keys.size() * 2, 0);
    m_slotHead.assign(keys.size() * 2, kNone);
    --m_shift;
    const size_t mask = m_slotKey.size() - 1;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (!keys[k])
            continue;
        size_t i = (keys[k] * 0x9E3779B97F4A7C15ULL) >> m_shift;
        while (m_slotKey[i] != 0)
            i = (i + 1) & mask;
        m_slotKey[i] = keys[k];
        m_slotHead[i] = heads[k];
    }
}

} // namespace glanix::compare
