#include "PipeTestSupport.h"

#include "pipes/PipeSocket.h"
#include "sync/ThreadQueue.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo::test {

std::string UniquePipeName() {
    static std::atomic<int> counter{0};
    return "trelvo-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

bool PumpUntil(const std::function<bool()> &Done, int TimeoutMs) {
    return TThreadQueue::Current().WaitUntil(Done, TimeoutMs);
}

bool SendPacket(int Fd, const std::string &Packet) {
    for (;;) {
        if (send(Fd, Packet.data(), Packet.size(), MSG_NOSIGNAL) >= 0)
            return true;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd p{Fd, POLLOUT, 0};
            poll(&p, 1, 100);
            continue;
        }
        if (errno != EINTR)
            return false;
    }
}

TRawPeer::TRawPeer(const std::string &PipeName) : FListen(ListenPipe(PipePath("", PipeName))) {}

TRawPeer::~TRawPeer() {
    Hangup();
    if (IsValidHandle(FListen))
        close(FListen);
}

bool TRawPeer::Accept(int TimeoutMs, bool Read) {
    pollfd p{FListen, POLLIN, 0};
    if (poll(&p, 1, TimeoutMs) <= 0)
        return false;
    FSocket = accept4(FListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (!IsValidHandle(FSocket))
        return false;
    if (Read)
        StartReading();
    return true;
}

bool TRawPeer::Connect(const std::string &PipeName, bool Read) {
    FSocket = ConnectPipe(PipePath("", PipeName), 1000);
    if (!IsValidHandle(FSocket))
        return false;
    if (Read)
        StartReading();
    return true;
}

void TRawPeer::StartReading() {
    FReader = std::thread([this] {
        std::vector<char> buffer(1 << 20);
        while (!FStop.load()) {
            pollfd p{FSocket, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = recv(FSocket, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n < 0)
                continue;
            if (n == 0 && (p.revents & (POLLHUP | POLLRDHUP))) {
                FClosed.store(true);
                break;
            }
            std::lock_guard lock(FLock);
            FPackets.emplace_back(buffer.data(), static_cast<std::size_t>(n));
            FArrived.notify_all();
        }
    });
}

std::vector<std::string> TRawPeer::WaitPackets(std::size_t Count, int TimeoutMs) {
    std::unique_lock lock(FLock);
    FArrived.wait_for(lock, std::chrono::milliseconds(TimeoutMs), [&] { return FPackets.size() >= Count; });
    return FPackets;
}

void TRawPeer::Hangup() {
    FStop.store(true);
    if (FReader.joinable())
        FReader.join();
    if (IsValidHandle(FSocket)) {
        close(FSocket);
        FSocket = kInvalidPipe;
    }
}

} // namespace trelvo::test
