#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// The single pass over a style sheet (a stored .css file, a <style> block or a style
// attribute) that finds the addresses it loads: every url(...) and every @import, as written,
// unescaped, and the quoted candidates of image-set(...). Comments are skipped; another quoted
// string is not an address, so that `content: "url(x)"` loads nothing. Every byte is looked at a bounded
// number of times, so a hostile sheet costs time in proportion to its length. Making the addresses absolute
// (against the sheet's own address) is PageAnalysis's work.
namespace glanix {

// Longer values are not addresses worth fetching (inline data, garbage).
inline constexpr qsizetype kMaxStyleAddressLength = 4096;

struct StyleScan {
    std::vector<QByteArray> addresses; // in order, repeats included
    QByteArray charset; // the sheet's @charset, empty when none
    qint64 bytesExamined = 0;
};

StyleScan scanStyleSheet(QByteArrayView css);

} // namespace glanix
