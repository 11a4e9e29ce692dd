#include "pipes/PipeReceiver.h"

#include "pipes/PipeProtocol.h"
#include "pipes/Posix.h"

#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace trelvo {

namespace {
int QueuedBytes(int Fd) {
    int n = 0;
    return ioctl(Fd, SIOCINQ, &n) == 0 ? n : 0;
}

// A zero-length packet and the end of the stream both read as 0 bytes; only a hung-up peer with
// nothing left queued is the end.
bool AtEnd(int Fd) {
    pollfd p{Fd, POLLIN | POLLRDHUP, 0};
    if (poll(&p, 1, 0) <= 0)
        return false;
    return (p.revents & (POLLHUP | POLLRDHUP)) && QueuedBytes(Fd) == 0;
}
} // namespace

TPipeReceiver::TPipeReceiver(TDeliver Deliver)
    : FDeliver(std::move(Deliver)), FRcvBuffer(std::make_unique<std::uint8_t[]>(MAX_BUFFER)),
      FRcvAlloc(MAX_BUFFER) {}

TPipeReceiver::~TPipeReceiver() = default;

TPipeReceiver::TReadResult TPipeReceiver::ReadAvailable(int Fd, int &ErrorCode) {
    bool resetSeen = false;
    for (;;) {
        // The length of the next packet, so that it is read whole: a shorter read would cut it.
        ssize_t size = recv(Fd, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
        if (size < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return TReadResult::Pending;
            // A peer that closed with our data unread reports a reset once, before its last packets.
            if (errno == ECONNRESET && !resetSeen) {
                resetSeen = true;
                continue;
            }
            ErrorCode = errno;
            return TReadResult::Failed;
        }
        if (size == 0 && AtEnd(Fd))
            return TReadResult::Closed;
        if (static_cast<std::size_t>(size) > FRcvAlloc) {
            FRcvBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
            FRcvAlloc = static_cast<std::size_t>(size);
        }
        const ssize_t got = recv(Fd, FRcvBuffer.get(), FRcvAlloc, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            ErrorCode = errno;
            return TReadResult::Failed;
        }
        try {
            DispatchPacket(FRcvBuffer.get(), static_cast<std::size_t>(got));
        } catch (const EStreamError &) {
            // The assembly file could not take the data (a full disk): a local I/O error.
            ErrorCode = errno ? errno : EIO;
            return TReadResult::Failed;
        }
    }
}

void TPipeReceiver::Receive(const void *Data, std::size_t Count) {
    FRcvStream.Write(Data, Count);
    DispatchReceived();
}

void TPipeReceiver::DispatchReceived() {
    DispatchPacket(FRcvStream.Memory(), FRcvStream.Size());
}

void TPipeReceiver::DispatchPacket(const std::uint8_t *Data, std::size_t Count) {
    TFinally empty([this] { FRcvStream.Clear(); });
    std::uint32_t command = 0;
    if (ReadControlPacket(Data, Count, command)) {
        if (command == MB_START) {
            FMultiMsg.reset();
            FMultiMsg = std::make_unique<TPipeMultiMsg>();
        } else if (command == MB_END) {
            if (FMultiMsg) {
                std::unique_ptr<TPipeMultiMsg> done = std::move(FMultiMsg);
                done->Stream().SetPosition(0);
                FDeliver(done->Stream());
            }
        } else {
            FMultiMsg.reset();
        }
    } else if (FMultiMsg) {
        FMultiMsg->Append(Data, Count);
    } else {
        if (Data != FRcvStream.Memory())
            FRcvStream.Write(Data, Count);
        FRcvStream.SetPosition(0);
        FDeliver(FRcvStream);
    }
}

} // namespace trelvo
