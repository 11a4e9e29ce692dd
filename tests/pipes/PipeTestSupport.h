#pragma once

#include "pipes/Posix.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trelvo::test {

// A pipe name no other test (or test process) uses.
std::string UniquePipeName();

// Runs the calling thread's message queue until Done() holds; false after TimeoutMs.
bool PumpUntil(const std::function<bool()> &Done, int TimeoutMs = 10000);

// Sends one packet on a blocking-capable socket; false on error.
bool SendPacket(int Fd, const std::string &Packet);

// A raw peer on the far end of a pipe: a listener for one client (or a connected socket) whose packets
// a background thread collects as they come, so the pipe's writer is never held up.
class TRawPeer {
public:
    // Listens on the local path of PipeName.
    explicit TRawPeer(const std::string &PipeName);
    ~TRawPeer();

    // Waits for the client to connect, then starts reading unless told not to. False after TimeoutMs.
    bool Accept(int TimeoutMs = 5000, bool Read = true);
    // Starts collecting packets (after an Accept without reading).
    void StartReading();
    // Connects to a listening pipe instead, then starts reading unless told not to.
    bool Connect(const std::string &PipeName, bool Read = true);
    bool Send(const std::string &Packet) { return SendPacket(FSocket, Packet); }
    // Waits until at least Count packets arrived; returns all packets so far.
    std::vector<std::string> WaitPackets(std::size_t Count, int TimeoutMs = 5000);
    bool PeerClosed() const { return FClosed.load(); }
    // Closes the connection (the pipe's far end sees a hang-up).
    void Hangup();
    int Socket() const { return FSocket; }

private:
    TPipeHandle FListen = kInvalidPipe;
    TPipeHandle FSocket = kInvalidPipe;
    std::thread FReader;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FClosed{false};
    std::mutex FLock;
    std::condition_variable FArrived;
    std::vector<std::string> FPackets;
};

} // namespace trelvo::test
