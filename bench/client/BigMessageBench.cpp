// What one huge message from the host costs the real client at its peak: the client is started as its
// host would start it, taken into its lobby, sent one big message over the real pipe (100 MiB, far
// past the client's limit, and one at the limit), and its peak resident memory is read once it has
// answered. A new client for each kind of message, so
// that each peak is its own. Run in a private network namespace when allowed.
#include "HostSide.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace trelvo {
namespace {

// Reads the client's answers; Seen tells whether a packet equal to a given text has come.
class TAnswers {
public:
    explicit TAnswers(int Fd) : FReader([this, Fd] { Run(Fd); }) {}
    ~TAnswers() { FReader.join(); }
    // Waits until a packet equal to Text has come; false when the client went away or took minutes.
    bool WaitFor(const std::string &Text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        for (;;) {
            {
                std::lock_guard lock(FLock);
                if (FSeen.count(Text))
                    return true;
            }
            if (FGone.load() || std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    void Run(int Fd) {
        std::vector<char> buffer(1 << 17);
        for (;;) {
            const ssize_t n = recv(Fd, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            if (n < 64) {
                std::lock_guard lock(FLock);
                FSeen.emplace(buffer.data(), static_cast<std::size_t>(n));
            }
        }
        FGone = true;
    }
    std::mutex FLock;
    std::set<std::string> FSeen;
    std::atomic<bool> FGone{false};
    std::thread FReader;
};

struct TCase {
    const char *name;
    std::string message;
};

// A message of Size bytes: Head, filler, Tail.
std::string Message(const std::string &Head, std::size_t Size, const std::string &Tail) {
    std::string text = Head;
    text.resize(Size - Tail.size(), 'x');
    return text + Tail;
}

// The peak growth over the lobby's resident memory, as a multiple of the message's size; < 0 on failure.
double Measure(const TCase &Case) {
    const bench::TStartedClient started = bench::StartClient(TRELVO_BINARY);
    const pid_t pid = started.Pid;
    const int fd = started.Fd;
    double ratio = -1;
    {
        TAnswers answers(fd);
        // Into the lobby; the resident memory there is the base.
        if (bench::SendFramed(fd, "7;1;1;5;") && answers.WaitFor("11;5")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            const long base = bench::StatusKiB(pid, "VmRSS:");
            // The big message, then a version check whose answer says the client has handled it. The
            // resident size is also sampled meanwhile, since the kernel updates the high-water mark lazily.
            std::atomic<bool> sampling{true};
            std::atomic<long> sampled{0};
            std::thread sampler([&] {
                while (sampling.load()) {
                    sampled = std::max(sampled.load(), bench::StatusKiB(pid, "VmRSS:"));
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            });
            const bool answered = bench::SendFramed(fd, Case.message) && bench::SendFramed(fd, "7;1;1;7;") &&
                                  answers.WaitFor("11;7");
            sampling = false;
            sampler.join();
            if (answered) {
                const long peak = std::max(sampled.load(), bench::StatusKiB(pid, "VmHWM:"));
                ratio = static_cast<double>(peak - base) * 1024.0 / static_cast<double>(Case.message.size());
                if (std::getenv("TRELVO_BENCH_VERBOSE"))
                    std::fprintf(stderr, "%s: base %ld kB, peak %ld kB\n", Case.name, base, peak);
            }
        }
        shutdown(fd, SHUT_RDWR);
    }
    close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    return ratio;
}

} // namespace
} // namespace trelvo

int main() {
    using namespace trelvo;
    bench::PrepareClientRuns();
    std::printf(
        "Peak resident growth of the client for one big message, as a multiple of its size (goal <= 3.0):\n");
    for (const std::size_t size : {std::size_t(100) << 20, std::size_t(16) << 20}) {
        const TCase cases[] = {
            {"an unknown host code", Message("99;", size, "")},
            {"a version check with one huge field", Message("7;1;1;5;", size, ";")},
            {"a connection check whose challenge is echoed", Message("7;20;", size, ";")},
            {"a table list with one huge field", Message("7;2;1;", size, ";")},
        };
        std::printf(" %zu MiB:\n", size >> 20);
        for (const TCase &c : cases) {
            const double ratio = Measure(c);
            if (ratio < 0)
                std::printf("  %-48s failed (no answer)\n", c.name);
            else
                std::printf("  %-48s %.2f x\n", c.name, ratio);
        }
    }
    return 0;
}
