// The three date forms servers send, and the date written back in requests.
#include "engine/HttpText.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto parsed = glanix::parseHttpDateStrict(text)) {
        if (!std::isfinite(*parsed))
            __builtin_trap();
        const QString formatted = glanix::FormatHttpDate(*parsed);
        if (!formatted.endsWith(QLatin1String(" GMT")))
            __builtin_trap();
    }
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        (void)glanix::FormatHttpDate(value);
    }
    return 0;
}
