#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

// The rewriting pass of the HTML export over one stored page: every tag is read from "<" to
// its ">", one address attribute per tag is taken (an image's or a frame's "src", a link's
// "href", a body's "background"), made absolute against the page's base, and handed to the
// caller, who says what the page should point at instead. Everything else in the page, the
// text between tags, scripts, comments and the other attributes, comes out byte for byte.
namespace glanix {

enum class ExportLinkKind { Image, Frame, Link, Base };

// The caller's answer for one address (absolute, without its "#" part): the value to write
// (a relative path already fit for a URL, or an absolute address), or nothing to leave the
// attribute as it stands.
using ExportLinkTarget = std::function<std::optional<QString>(ExportLinkKind kind, const QString& address)>;

struct ExportLinkOptions {
    QString pageUrl; // what relative addresses are taken against when the page has no base
    bool change = true; // false: the targets are asked for, the page is not changed
    // Called with the number of addresses examined so far, every tenth past the hundredth.
    std::function<void(int)> progress;
};

// The page with its rewritten values; `examined` gets the count of addresses looked at.
QByteArray rewriteExportLinks(QByteArrayView page, const ExportLinkOptions& options,
                              const ExportLinkTarget& target, int* examined = nullptr);

// A path between exported files ("../img/a b.gif") written as a URL: each segment
// percent-encoded, so that blanks, "#", "?", "%", quotes and "&" read as part of the name.
QString exportPathUrl(const QString& relativePath);

} // namespace glanix
