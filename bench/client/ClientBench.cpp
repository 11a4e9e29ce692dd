// The real client and the bare baseline (bench_bare_client), each started as its host would start it
// and driven over the real pipe by this program acting as the host: version checks sent as fast as
// the host can (throughput) and one at a time (round trip). Run in a private network namespace when
// allowed, so that the client's instance guard and pipe name are this program's alone.
#include "HostSide.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace trelvo {
namespace {

using TClock = std::chrono::steady_clock;
constexpr int kThroughputChecks = 10000;
constexpr int kRoundTrips = 2000;
constexpr int kRepetitions = 3;

void SendPacket(int Fd, const std::string &Packet) {
    if (send(Fd, Packet.data(), Packet.size(), MSG_NOSIGNAL) < 0)
        std::abort();
}

// Counts whole framed answers arriving on Fd.
class TAnswerCounter {
public:
    explicit TAnswerCounter(int Fd) : FReader([this, Fd] { Run(Fd); }) {}
    ~TAnswerCounter() { FReader.join(); }
    int Count() const { return FCount.load(); }
    // Waits until Target answers have come; false when the client went away first.
    bool WaitFor(int Target) {
        while (FCount.load(std::memory_order_acquire) < Target)
            if (FGone.load())
                return false;
        return true;
    }

private:
    void Run(int Fd) {
        std::vector<char> buffer(1 << 17);
        const std::string end = bench::ControlPacket(MB_END);
        for (;;) {
            const ssize_t n = recv(Fd, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            if (static_cast<std::size_t>(n) == end.size() && std::memcmp(buffer.data(), end.data(), n) == 0)
                FCount.fetch_add(1, std::memory_order_release);
        }
        FGone = true;
    }
    std::atomic<int> FCount{0};
    std::atomic<bool> FGone{false};
    std::thread FReader;
};

struct TFigures {
    double perSecond = 0;   // version checks answered a second
    double roundTripUs = 0; // one check, one answer
};

TFigures Measure(const char *Binary, bool Flush = false) {
    const bench::TStartedClient started = bench::StartClient(
        Binary, Flush ? std::vector<const char *>{"--flush"} : std::vector<const char *>{});
    const pid_t pid = started.Pid;
    const int fd = started.Fd;
    const std::string start = bench::ControlPacket(MB_START), end = bench::ControlPacket(MB_END),
                      check = "7;1;1;5;";
    auto sendCheck = [&] {
        SendPacket(fd, start);
        SendPacket(fd, check);
        SendPacket(fd, end);
    };
    TFigures best;
    {
        TAnswerCounter answers(fd);
        int expected = 0;
        // Warm-up: the first check also takes the client into its lobby.
        sendCheck();
        answers.WaitFor(++expected);
        for (int r = 0; r < kRepetitions; ++r) {
            const auto t0 = TClock::now();
            for (int i = 0; i < kThroughputChecks; ++i)
                sendCheck();
            expected += kThroughputChecks;
            if (!answers.WaitFor(expected))
                std::abort();
            const double s = std::chrono::duration<double>(TClock::now() - t0).count();
            best.perSecond = std::max(best.perSecond, kThroughputChecks / s);
        }
        for (int r = 0; r < kRepetitions; ++r) {
            const auto t0 = TClock::now();
            for (int i = 0; i < kRoundTrips; ++i) {
                sendCheck();
                if (!answers.WaitFor(++expected))
                    std::abort();
            }
            const double us =
                std::chrono::duration<double, std::micro>(TClock::now() - t0).count() / kRoundTrips;
            best.roundTripUs = best.roundTripUs == 0 ? us : std::min(best.roundTripUs, us);
        }
        shutdown(fd, SHUT_RDWR); // the host closes the pipe: the client ends
    }
    close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    return best;
}

} // namespace
} // namespace trelvo

int main() {
    using namespace trelvo;
    bench::PrepareClientRuns();
    // The machine may be shared: the flushing bare client and the real one take turns, each keeping its
    // best figures.
    const TFigures bare = Measure(BARE_BINARY);
    TFigures flushing, client;
    for (int turn = 0; turn < 2; ++turn) {
        const TFigures f = Measure(BARE_BINARY, true), c = Measure(TRELVO_BINARY);
        flushing.perSecond = std::max(flushing.perSecond, f.perSecond);
        client.perSecond = std::max(client.perSecond, c.perSecond);
        flushing.roundTripUs = turn == 0 ? f.roundTripUs : std::min(flushing.roundTripUs, f.roundTripUs);
        client.roundTripUs = turn == 0 ? c.roundTripUs : std::min(client.roundTripUs, c.roundTripUs);
    }
    std::printf(
        "Version checks, best of %d runs each in two turns (host -> client -> host, framed both ways); "
        "the bare client flushes each packet as the client does:\n",
        kRepetitions);
    std::printf("  throughput of %d checks: flushing bare %.0f/s, client %.0f/s: %.2f x (goal >= 0.8); bare "
                "without flushing %.0f/s\n",
                kThroughputChecks, flushing.perSecond, client.perSecond,
                client.perSecond / flushing.perSecond, bare.perSecond);
    std::printf("  round trip: flushing bare %.1f us, client %.1f us: %.2f x (goal <= 1.25); bare without "
                "flushing %.1f us\n",
                flushing.roundTripUs, client.roundTripUs, client.roundTripUs / flushing.roundTripUs,
                bare.roundTripUs);
    return 0;
}
