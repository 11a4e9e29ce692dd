#pragma once

#include "pipes/MultiMsg.h"
#include "pipes/ReadArea.h"
#include "pipes/Streams.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace trelvo {

// The reading side of a pipe worker: reads whole packets from a non-blocking SOCK_SEQPACKET socket,
// takes control packets apart from data, assembles framed messages and hands every whole message on.
class TPipeReceiver {
public:
    // Receives each whole message: a readable stream at position 0, valid only during the call.
    using TDeliver = std::function<void(TStream &Message)>;

    enum class TReadResult {
        Read,    // one packet was read
        Pending, // nothing more to read now
        Closed,  // the peer has gone
        Failed,  // a read error; see ErrorCode
    };

    explicit TPipeReceiver(TDeliver Deliver);
    ~TPipeReceiver();

    // Reads and dispatches the next packet waiting on Fd: one recv for a packet of any size an
    // unprivileged peer can send.
    TReadResult ReadPacket(int Fd, int &ErrorCode);
    // Reads and dispatches every packet waiting on Fd.
    TReadResult ReadAvailable(int Fd, int &ErrorCode);
    // Takes one received packet (the content of the receive stream) by the framing rules.
    void DispatchReceived();
    // Appends a packet's bytes to the receive stream and dispatches it.
    void Receive(const void *Data, std::size_t Count);

    // The part of the read buffer in use for single packets: the largest packet read so far, at least
    // MAX_BUFFER.
    std::size_t BufferSize() const { return FRcvUsed; }
    bool Assembling() const { return FMultiMsg != nullptr; }
    // True when no message is being assembled and the read area holds pages that single packets do
    // not need; ReturnPages gives them back to the system.
    bool HoldsSparePages() const { return !FMultiMsg && FArea.HoldsPagesBeyond(FRcvUsed); }
    void ReturnPages() {
        if (!FMultiMsg)
            FArea.ReturnPages(FRcvUsed);
    }
    // True when the message being assembled lives in a temporary file.
    bool AssemblingInFile() const { return FMultiMsg && FMultiMsg->InFile(); }

private:
    // Takes one packet by the framing rules. Data of a framed message goes straight from the read
    // buffer to the assembly; only an unframed message passes through the receive stream.
    void DispatchPacket(const std::uint8_t *Data, std::size_t Count);

    TDeliver FDeliver;
    std::unique_ptr<TPipeMultiMsg> FMultiMsg;
    TFastMemStream FRcvStream;
    // Room for the largest packet a peer can send, and for a framed message assembled in memory with
    // such a packet still to come: unframed packets land at its start, a framed message's packets at
    // its assembly's end.
    TPipeReadArea FArea;
    std::size_t FRcvUsed;
};

} // namespace trelvo
