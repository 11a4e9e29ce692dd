#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The wire framing shared with the peer and the numbers of the worker's notifications.
namespace trelvo {

// Largest data packet on the wire; larger writes are framed and cut into packets of this size.
constexpr std::uint32_t MAX_BUFFER = 65534;

// Control packet: PacketSize (16), "MAGC", the command, "MAGC"; 32-bit little-endian fields.
constexpr std::uint32_t kControlPacketSize = 16;
constexpr std::uint32_t MB_MAGIC = 0x4347414D; // "MAGC"
constexpr std::uint32_t MB_START = 0x424D5453; // "STMB"
constexpr std::uint32_t MB_END = 0x424D5445;   // "ETMB"

using TPipeControlPacket = std::array<std::uint8_t, kControlPacketSize>;

TPipeControlPacket MakeControlPacket(std::uint32_t Command);
// True when Data is a control packet (exactly 16 bytes, size field 16, both markers); gives its command.
bool ReadControlPacket(const void *Data, std::size_t Count, std::uint32_t &Command);

// Notifications a pipe worker sends (or posts) to its owner's message target.
constexpr std::uint32_t PIPE_NOTIFY_ERROR = 1125;
constexpr std::uint32_t PIPE_NOTIFY_CONNECT = 1126;
constexpr std::uint32_t PIPE_NOTIFY_SENT = 1127;
constexpr std::uint32_t PIPE_NOTIFY_MESSAGE = 1128;
constexpr std::uint32_t PIPE_NOTIFY_WRONG_THREAD = 1224;
constexpr std::uint32_t PIPE_NOTIFY_DISCONNECT = 1324;
// Posted by a worker that sees the peer hang up while it waits for the owner's message handler (which
// may be held in a modal loop): the owner learns of the end without the worker's sends.
constexpr std::uint32_t PIPE_NOTIFY_HANGUP = 1424;
// WaitForReply looks only at this range, which holds the worker's four notifications.
constexpr std::uint32_t PIPE_NOTIFY_FIRST = 1124;
constexpr std::uint32_t PIPE_NOTIFY_LAST = 1130;

// Where an error happened.
enum TPipeContext { pcListener = 0, pcWorker = 1 };

} // namespace trelvo
