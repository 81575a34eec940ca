#pragma once

#include "views/RunIndex.h"

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
// The search is a forward walk: from each occurrence of the run's first character it matches
// as far as it can, and a partial match is not looked into again (the walk goes on where it
// failed). Once the walk has cost a few passes over the old text, a RunIndex of the old text
// answers the same question without walking: where the run occurs at all, and which of those
// occurrences the walk would reach. Tests hold both ways to the same answers.
namespace glanix::compare {

class ResyncFinder {
public:
    // Bytes the plain walk may scan, as a multiple of the old text, before the index is built.
    static constexpr qint64 kIndexAfterPasses = 4;

    ResyncFinder(QByteArray oldText, qsizetype oldBodyStart, int nbCharToCompare);

    const char* oldBegin() const { return m_old.constData(); }
    const char* oldEnd() const { return m_old.constData() + m_old.size(); }

    // The old position where the run starting at `candidate` begins, or -1. `candidate` must
    // hold a character that is neither a separator nor "<" (the highlighter's difference).
    qsizetype find(const char* candidate, const char* newEnd, qsizetype oldFrom);

    // Blanks the old character at `pos` (matched by the forward walk).
    void consume(qsizetype pos);

    // Test seam: build the index before the first search (-1), never (0), or after the
    // default amount of plain scanning (1).
    void setIndexPolicy(int policy) { m_indexPolicy = policy; }

private:
    bool buildCandidate(const char* candidate, const char* newEnd);
    bool indexMayHoldRun() const;
    qsizetype walk(qsizetype oldFrom);
    qsizetype walkIndexed(qsizetype oldFrom);
    bool matchesFrom(std::uint32_t i, size_t count) const;
    int reached(std::uint32_t y, std::uint32_t base);

    QByteArray m_old;
    qsizetype m_bodyStart;
    int m_need;
    std::vector<unsigned char> m_cand; // significant characters of the candidate run
    qint64 m_scanned = 0;
    int m_indexPolicy = 1;
    RunIndex m_index;
    bool m_indexTried = false;

    // Scratch of walkIndexed().
    std::vector<std::uint32_t> m_found;
    std::vector<std::pair<std::uint32_t, bool>> m_reached;
    int m_depth = 0;
};

} // namespace glanix::compare
