#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// The significant characters of an old page's body (neither blank nor markup), in order, and
// where each run of kGram of them starts. Characters consumed by the comparison drop out of
// the order; the runs that then bridge the gap are added at the next update(). Runs through a
// consumed character are not taken out: a lookup may name a start that no longer holds the
// run, never miss one that does. Used by ResyncFinder.
namespace glanix::compare {

class RunIndex {
public:
    static constexpr int kGram = 8;
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    // False (and nothing built) when the text is too large for 32-bit positions.
    bool build(const QByteArray& old, qsizetype bodyStart);
    bool built() const { return !m_slotKey.empty(); }

    std::uint32_t size() const { return static_cast<std::uint32_t>(m_chars.size()); }
    // Characters by index; 0 once consumed (a NUL of the page is 0 too, while alive).
    const unsigned char* chars() const { return m_chars.data(); }
    bool alive(std::uint32_t i) const { return m_next[i] != kDead; }
    // The alive neighbours of an alive character; kNone at the ends.
    std::uint32_t next(std::uint32_t i) const { return m_next[i]; }
    std::uint32_t prev(std::uint32_t i) const { return m_prev[i]; }
    qsizetype oldPosition(std::uint32_t i) const { return m_oldPos[i]; }
    // The first index whose old position is at or after `oldPos`.
    std::uint32_t firstAtOrAfter(qsizetype oldPos) const;

    // The character at `oldPos` was consumed (no effect unless it is indexed and alive).
    void consume(qsizetype oldPos);
    // Adds the runs that bridge the gaps left since the last call.
    void update();

    bool mayHold(const unsigned char* gram) const { return findSlot(gramHash(gram)) != kNone; }

    // Calls f(index) for every recorded start of `gram` (some may no longer hold it).
    template<typename F>
    void forEachStart(const unsigned char* gram, F f) const
    {
        const std::uint32_t slot = findSlot(gramHash(gram));
        if (slot == kNone)
            return;
        for (std::uint32_t e = m_slotHead[slot]; e != kNone; e = m_entryNext[e])
            f(m_entryPos[e]);
    }

    static std::uint64_t gramHash(const unsigned char* gram);

private:
    static constexpr std::uint32_t kDead = kNone - 1;

    void add(std::uint64_t hash, std::uint32_t start);
    std::uint32_t findSlot(std::uint64_t hash) const;
    void grow();

    std::vector<std::uint32_t> m_oldPos;
    std::vector<unsigned char> m_chars;
    std::vector<std::uint32_t> m_prev, m_next; // m_next is kDead once consumed
    std::vector<std::uint32_t> m_gaps;         // alive characters after which something went
    std::uint32_t m_hint = kNone;              // the last one consumed

    // Hash of a run -> list of its starts (open addressing; key 0 = empty slot).
    std::vector<std::uint64_t> m_slotKey;
    std::vector<std::uint32_t> m_slotHead;
    std::vector<std::uint32_t> m_entryPos, m_entryNext;
    size_t m_used = 0;
    int m_shift = 64;
};

} // namespace glanix::compare
