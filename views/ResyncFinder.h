#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// Finds where the new text of a page joins the old one again after a difference: a run of
// NbCharToCompare significant characters (white space and markup do not count, an entity's
// "&" costs six more) found in the old text from the current old position, wrapping once to
// the start of the old body so that moved text is found too. Owns the private copy of the old
// text: the highlighter consumes matched characters through consume(), which blanks them so
// that they are never matched twice.
//
// The search itself is the plain forward walk. Once the walk has cost a few passes over the
// old text, an index of the old text's significant characters (every run of kGram of them,
// kept up to date as characters are consumed) answers "this run cannot be anywhere" at once
// when some stretch of the run is nowhere in the old text, the common answer for changed
// words. The index only ever says no where the walk would find nothing, so the result is the
// same with or without it.
namespace glanix::compare {

class ResyncFinder {
public:
    static constexpr int kGram = 8;
    // Bytes the plain walk may scan, as a multiple of the old text, before the index is built.
    static constexpr qint64 kIndexAfterPasses = 4;

    ResyncFinder(QByteArray oldText, qsizetype oldBodyStart, int nbCharToCompare);

    const char* oldBegin() const { return m_old.constData(); }
    const char* oldEnd() const { return m_old.constData() + m_old.size(); }
    qsizetype oldBodyStart() const { return m_bodyStart; }
    char oldAt(qsizetype i) const { return m_old.constData()[i]; }

    // The old position where the run starting at `candidate` begins, or -1. `candidate` must
    // hold a character that is neither a separator nor "<" (the highlighter's difference).
    qsizetype find(const char* candidate, const char* newEnd, qsizetype oldFrom);

    // Blanks the old character at `pos` (matched by the forward walk).
    void consume(qsizetype pos);

    // Test seam: build the index before the first search (-1), never (0), or after the
    // default amount of plain scanning (1).
    void setIndexPolicy(int policy) { m_indexPolicy = policy; }
    bool indexBuilt() const { return !m_keys.empty(); }

private:
    bool buildCandidate(const char* candidate, const char* newEnd);
    qsizetype walk(qsizetype oldFrom);
    qsizetype walkStream(qsizetype oldFrom);
    void buildIndex();
    bool indexMayHold(const unsigned char* gram) const;
    bool indexMayHoldRun() const;
    void growKeys(size_t wanted);
    void indexAdd(std::uint64_t hash);
    void addBridgingRuns();

    QByteArray m_old;
    qsizetype m_bodyStart;
    int m_need;
    std::vector<unsigned char> m_cand; // significant characters of the candidate run
    qint64 m_scanned = 0;
    int m_indexPolicy = 1;

    // Index: significant characters of the old body in order, linked so that consumed ones
    // drop out, and the set of the hashes of every run of kGram characters that is or was
    // alive (consumed runs are not taken out: that only costs precision).
    std::vector<std::uint32_t> m_streamPos;
    std::vector<unsigned char> m_stream; // their characters; 0 once consumed
    std::vector<std::uint32_t> m_prev, m_next;
    std::vector<std::uint32_t> m_gaps; // alive characters after which something was consumed
    std::uint32_t m_hint = 0;          // the last character consumed
    std::vector<std::uint64_t> m_keys; // hashes of the runs, open addressing
    size_t m_used = 0;
    int m_keyShift = 64;
};

} // namespace glanix::compare
