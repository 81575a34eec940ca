// Feeds a server's answer to a GET, in pieces whose size the input chooses (one byte per
// read finds short-read faults), through the header reader and the body loop.
#include "engine/Http.h"

#include <cstring>

namespace {

class ScriptedChannel final : public glanix::ByteChannel {
public:
    ScriptedChannel(const uint8_t* data, size_t size, size_t piece)
        : m_data(data)
        , m_size(size)
        , m_piece(piece)
    {
    }

    qint64 receive(char* out, qint64 maximum) override
    {
        const size_t n = std::min({m_size - m_pos, m_piece, static_cast<size_t>(maximum)});
        std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
        return static_cast<qint64>(n);
    }

    void send(const char*, qint64) override { }

    bool isConnected() const override { return true; }

    void startTls(const glanix::TlsContext&, const QString&) override { }

    int id() const override { return 3; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    size_t m_piece;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // First byte: read size (0 = one byte per read); second: a resumed copy or not.
    const size_t piece = data[0] == 0 ? 1 : static_cast<size_t>(data[0]) * 37;
    const bool resume = data[1] & 1;
    glanix::T_HTTP http;
    http.URL = QStringLiteral("http://fuzz.invalid/x");
    http.setMaxBodySize(64 + (data[1] >> 1)); // small enough for the cap to be reached
    http.OnTrace = [](glanix::T_TcpIp&, const QString& line, int) { (void)line.size(); };
    try {
        http.setTarget();
        if (resume) {
            http.Stream = QByteArray(100, 'p');
            http.Range = QStringLiteral("bytes=100-199/200");
        }
        http.attachChannelForTesting(std::make_unique<ScriptedChannel>(data + 2, size - 2, piece));
        http.Get();
    } catch (const glanix::ETcpIpError&) {
    }
    return 0;
}
