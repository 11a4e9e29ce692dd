#include "pipes/PipeReceiver.h"

#include "pipes/PipeLog.h"
#include "pipes/PipeProtocol.h"
#include "pipes/Posix.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <linux/sockios.h>
#include <new>
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

// The largest packet a peer without special rights can send: its send buffer, at most twice
// net.core.wmem_max, less the kernel's 32 bytes.
std::size_t LargestPacket() {
    static const std::size_t size = [] {
        std::size_t wmemMax = 212992;
        if (std::FILE *f = std::fopen("/proc/sys/net/core/wmem_max", "r")) {
            unsigned long v = 0;
            if (std::fscanf(f, "%lu", &v) == 1 && v > 0)
                wmemMax = v;
            std::fclose(f);
        }
        constexpr std::size_t kCap = 64u << 20;
        return std::max<std::size_t>(MAX_BUFFER, std::min(kCap, 2 * wmemMax));
    }();
    return size;
}
} // namespace

TPipeReceiver::TPipeReceiver(TDeliver Deliver)
    : FDeliver(std::move(Deliver)), FArea(TPipeMultiMsg::kSpillBytes + LargestPacket()),
      FRcvUsed(MAX_BUFFER) {}

TPipeReceiver::~TPipeReceiver() = default;

TPipeReceiver::TReadResult TPipeReceiver::ReadAvailable(int Fd, int &ErrorCode) {
    for (;;) {
        const TReadResult result = ReadPacket(Fd, ErrorCode);
        if (result != TReadResult::Read)
            return result;
    }
}

TPipeReceiver::TReadResult TPipeReceiver::ReadPacket(int Fd, int &ErrorCode) {
    bool resetSeen = false;
    // A packet of a message assembled in the area goes straight to its place.
    std::uint8_t *buffer = FArea.Data();
    std::size_t room = LargestPacket();
    if (FMultiMsg) {
        if (std::uint8_t *tail = FMultiMsg->Tail()) {
            buffer = tail;
            room = FMultiMsg->TailRoom();
        }
    }
    for (;;) {
        // MSG_TRUNC: the result is the packet's whole length, even when the buffer was too small.
        const ssize_t size = recv(Fd, buffer, room, MSG_DONTWAIT | MSG_TRUNC);
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
        FArea.Touch(static_cast<std::size_t>(buffer - FArea.Data()) +
                    std::min(static_cast<std::size_t>(size), room));
        if (static_cast<std::size_t>(size) > room) {
            // Only a peer with a forced send buffer gets here; the packet is lost, and so is the
            // message it belonged to.
            qCWarning(lcPipes, "A packet of %zd bytes exceeds the %zu the pipe can take; dropped", size,
                      room);
            FMultiMsg.reset();
            return TReadResult::Read;
        }
        if (buffer == FArea.Data())
            FRcvUsed = std::max(FRcvUsed, static_cast<std::size_t>(size));
        DispatchPacket(buffer, static_cast<std::size_t>(size));
        return TReadResult::Read;
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
            FMultiMsg = std::make_unique<TPipeMultiMsg>(&FArea);
        } else if (command == MB_END) {
            if (FMultiMsg) {
                std::unique_ptr<TPipeMultiMsg> done = std::move(FMultiMsg);
                if (done->Lost()) {
                    qCWarning(lcPipes, "A framed message of more than %llu bytes could not be held; dropped",
                              static_cast<unsigned long long>(done->LostSize()));
                    return;
                }
                done->Stream().SetPosition(0);
                FDeliver(done->Stream());
            }
        } else {
            FMultiMsg.reset();
        }
    } else if (FMultiMsg) {
        if (Data == FMultiMsg->Tail())
            FMultiMsg->Commit(Count);
        else
            FMultiMsg->Append(Data, Count);
    } else {
        if (Data != FRcvStream.Memory()) {
            // An unframed packet is handed over from the read buffer itself, without a copy.
            TMemoryView view(Data, Count);
            FDeliver(view);
            return;
        }
        FRcvStream.SetPosition(0);
        FDeliver(FRcvStream);
    }
}

} // namespace trelvo
