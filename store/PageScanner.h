#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// The single pass over a downloaded page's bytes that finds what it needs: its title, base
// address, refresh address and meta charset, and the addresses of its links, images and
// frames, as written in the page. It builds no document tree: it goes from "<" to ">" and
// looks at each tag's text for a few words, so any markup, however broken, is read in time
// proportional to its length. Making the addresses absolute and recording them is
// PageAnalysis's work.
namespace glanix {

struct ScannedAddress {
    enum class Kind { Link, Image, Frame };
    Kind kind;
    QByteArray value; // unquoted, cut at the first blank
    bool afterBase;   // the base address was known when it was found
};

struct PageScan {
    QByteArray title;       // text of the head's title tags, in order
    QByteArray base;        // the head's base address; empty when none
    QByteArray refresh;     // address of the last meta refresh
    QByteArray metaCharset; // the first meta tag naming a charset
    std::vector<ScannedAddress> addresses;
    qint64 bytesExamined = 0; // bytes looked at, all searches together
};

PageScan scanPage(QByteArrayView content);

// The value of the first "=" of `text`: blanks and quotes skipped, then up to a blank, a
// quote or ">" (base and refresh addresses).
QByteArray attributeValue(QByteArrayView text);

} // namespace glanix
