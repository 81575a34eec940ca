#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// The single pass over a downloaded page's bytes that finds what it needs: its title, base
// address, refresh address and meta charset, and the addresses of its links, images and
// frames, as written in the page, and of its requisites (what a browser loads to show it: style
// sheets and what <style> blocks and style attributes name, icons, srcset candidates, video
// posters, and scripts when they are wanted). It builds no document tree: it goes from "<" to
// ">" and looks at each tag's text for a few words, so any markup, however broken, is read in
// time proportional to its length. Making the addresses absolute and recording them is
// PageAnalysis's work.
namespace glanix {

struct ScannedAddress {
    enum class Kind { Link, Image, Frame, Requisite };
    Kind kind;
    QByteArray value; // unquoted, cut at the first blank (a requisite's keeps inner blanks)
    bool afterBase; // the base address was known when it was found
};

struct PageScan {
    QByteArray title; // text of the head's title tags, in order
    QByteArray base; // the head's base address; empty when none
    QByteArray refresh; // address of the last meta refresh
    QByteArray metaCharset; // the first meta tag naming a charset
    std::vector<ScannedAddress> addresses;
    qint64 bytesExamined = 0; // bytes looked at, all searches together
};

struct PageScanOptions {
    bool scripts = false; // <script src> files are requisites (the views run scripts)
};

PageScan scanPage(QByteArrayView content, PageScanOptions options = {});

// The value of the first "=" of `text`: blanks and quotes skipped, then up to a blank, a
// quote or ">" (base and refresh addresses).
QByteArray attributeValue(QByteArrayView text);

} // namespace glanix
