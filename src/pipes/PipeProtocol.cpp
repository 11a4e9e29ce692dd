#include "pipes/PipeProtocol.h"

namespace trelvo {

namespace {
void PutLE32(std::uint8_t *p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetLE32(const std::uint8_t *p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
} // namespace

TPipeControlPacket MakeControlPacket(std::uint32_t Command) {
    TPipeControlPacket packet{};
    PutLE32(packet.data(), kControlPacketSize);
    PutLE32(packet.data() + 4, MB_MAGIC);
    PutLE32(packet.data() + 8, Command);
    PutLE32(packet.data() + 12, MB_MAGIC);
    return packet;
}

bool ReadControlPacket(const void *Data, std::size_t Count, std::uint32_t &Command) {
    if (Count != kControlPacketSize)
        return false;
    const auto *p = static_cast<const std::uint8_t *>(Data);
    if (GetLE32(p) != kControlPacketSize || GetLE32(p + 4) != MB_MAGIC || GetLE32(p + 12) != MB_MAGIC)
        return false;
    Command = GetLE32(p + 8);
    return true;
}

} // namespace trelvo
