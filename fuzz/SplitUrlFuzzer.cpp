// Address splitting and the guards that keep bytes of an address out of the request line.
#include "engine/HttpText.h"

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString address
        = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const glanix::UrlParts parts = glanix::SplitURL(address);
    require(!parts.host.contains(u'/') && !parts.path.isNull());
    require(!parts.host.contains(u'@') && !parts.host.contains(u'?') && !parts.host.contains(u'#'));

    const QString host = glanix::asciiHostName(parts.host);
    for (QChar c : host)
        require(c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'/' && c != u'@');

    const QString target = glanix::encodeRequestTarget(parts.path);
    for (QChar c : target)
        require(c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'"' && c != u'<' && c != u'>');

    const QString clean = glanix::withoutCredentials(address);
    require(glanix::SplitURL(clean).user.isEmpty() || clean == address);
    return 0;
}
