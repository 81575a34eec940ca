#pragma once

#include "views/CompareSettings.h"
#include "views/HighlightChanges.h"

#include <QDateTime>
#include <QString>

// Compares a stored page with an older version of it and writes the marked copy the
// document view shows instead of the page ("Compared.html" in the home), with the summary
// that becomes the compare button's hint. The caller owns the LastComparedPair, one per
// running program: asking again for the pair compared last shows the same file without
// recomputing, unless either file or the result changed on disk since.
namespace glanix {

class Env;

class LastComparedPair {
public:
    // The document view's reload button forgets it, so that a reload compares afresh.
    void clear() { m_oldFile.clear(); m_newFile.clear(); }
    bool isEmpty() const { return m_oldFile.isEmpty() && m_newFile.isEmpty(); }

    bool matches(const QString& oldFile, const QString& newFile, const QString& resultFile) const;
    void set(const QString& oldFile, const QString& newFile, const QString& resultFile);

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& path);

    QString m_oldFile, m_newFile, m_resultFile;
    Stamp m_old, m_new, m_result;
};

struct VersionComparison {
    bool shown = false;      // the result file holds this pair's comparison
    bool recomputed = false; // false: same pair as last time, the hint stays as it is
    QString summary;         // when recomputed: the hint ("\r" between its lines)
    int percent = 0;
    int blocks = 0;
    bool aborted = false;
    QString resultFile;
    QString error;           // French, when not shown
};

// "dddd dd/mm/yy hh:nn" with the French day name.
QString comparisonDate(const QDateTime& dt);
QString comparisonSummary(int percent, int blocks, const QDateTime& newDate, const QDateTime& oldDate);

// Writes to `resultFile`, or "Compared.html" in the home when it is empty.
VersionComparison CompareWithOldVersion(Env& env, LastComparedPair& last, const QString& oldFile,
                                        const QString& newFile, const CompareSettings& settings,
                                        const CompareControl& control = {}, const QString& resultFile = {});

} // namespace glanix
