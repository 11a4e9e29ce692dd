// What one huge message from the host costs the real client at its peak: the client is started as its
// host would start it, taken into its lobby, sent one big message over the real pipe (100 MiB, far
// past the client's limit, and one at the limit), and its peak resident memory is read once it has
// answered. A new client for each kind of message, so
// that each peak is its own. Run in a private network namespace when allowed.
#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"

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

extern char **environ;

namespace trelvo {
namespace {

const char kPipe[] = "{05093645-25FA-49B3-B318-E73C28980D2C}";

std::string Control(std::uint32_t Command) {
    const TPipeControlPacket p = MakeControlPacket(Command);
    return std::string(reinterpret_cast<const char *>(p.data()), p.size());
}

bool SendAll(int Fd, const char *Data, std::size_t Size) {
    while (Size > 0) {
        const ssize_t n = send(Fd, Data, Size, MSG_NOSIGNAL);
        if (n < 0)
            return false;
        Data += n;
        Size -= static_cast<std::size_t>(n);
    }
    return true;
}

// One framed message, cut into packets of the pipe's size.
bool SendMessage(int Fd, const std::string &Text) {
    const std::string start = Control(MB_START), end = Control(MB_END);
    if (!SendAll(Fd, start.data(), start.size()))
        return false;
    for (std::size_t at = 0; at < Text.size(); at += MAX_BUFFER)
        if (!SendAll(Fd, Text.data() + at, std::min<std::size_t>(MAX_BUFFER, Text.size() - at)))
            return false;
    return SendAll(Fd, end.data(), end.size());
}

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

// A figure of /proc/<pid>/status in kB.
long StatusKb(pid_t Pid, const char *Key) {
    std::ifstream in("/proc/" + std::to_string(Pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(Key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(Key) + 1);
    return -1;
}

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
    const TPipeHandle listener = ListenPipe(PipePath("", kPipe));
    if (listener < 0) {
        std::perror("listen");
        std::exit(1);
    }
    pid_t pid = 0;
    char *argv[] = {const_cast<char *>(TRELVO_BINARY), const_cast<char *>("-start"), nullptr};
    if (posix_spawn(&pid, TRELVO_BINARY, nullptr, nullptr, argv, environ) != 0)
        std::exit(1);
    pollfd p{listener, POLLIN, 0};
    if (poll(&p, 1, 20000) <= 0) {
        std::fprintf(stderr, "the client did not connect\n");
        std::exit(1);
    }
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    close(listener);
    double ratio = -1;
    {
        TAnswers answers(fd);
        // Into the lobby; the resident memory there is the base.
        if (SendMessage(fd, "7;1;1;5;") && answers.WaitFor("11;5")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            const long base = StatusKb(pid, "VmRSS:");
            // The big message, then a version check whose answer says the client has handled it. The
            // resident size is also sampled meanwhile, since the kernel updates the high-water mark lazily.
            std::atomic<bool> sampling{true};
            std::atomic<long> sampled{0};
            std::thread sampler([&] {
                while (sampling.load()) {
                    sampled = std::max(sampled.load(), StatusKb(pid, "VmRSS:"));
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            });
            const bool answered =
                SendMessage(fd, Case.message) && SendMessage(fd, "7;1;1;7;") && answers.WaitFor("11;7");
            sampling = false;
            sampler.join();
            if (answered) {
                const long peak = std::max(sampled.load(), StatusKb(pid, "VmHWM:"));
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
    if (unshare(CLONE_NEWNET) != 0)
        std::fprintf(stderr, "no private network namespace (%s): the client's names are shared\n",
                     std::strerror(errno));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
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
