// Start-up of the real client against the bare baseline (bench_bare_startup), each started as its host
// starts it, with this program as the host: the time from starting the process to the pipe's
// connection, and the peak memory (VmHWM) once the host has sent what it sends at a connection (player,
// window, size, the server's version check) and the lobby has been on screen for a while. The two take
// turns, several runs each, and the medians are compared. Run in a private network namespace when
// allowed, so that the client's instance guard and pipe name are this program's alone.
#include "HostSide.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace trelvo {
namespace {

using TClock = std::chrono::steady_clock;
constexpr int kRuns = 11;
// How long the lobby stays on screen before the peak is read: past the client's first table-list
// poll (500 ms), so that the lobby has been laid out, painted and has spoken.
constexpr auto kLobbyTime = std::chrono::milliseconds(800);

void SendMessage(int Fd, const std::string &Message) {
    if (!bench::SendFramed(Fd, Message))
        std::abort();
}

// Reads framed messages until one starts with Prefix or Until passes; true when it came.
bool AwaitMessage(int Fd, const std::string &Prefix, TClock::time_point Until) {
    const std::string start = bench::ControlPacket(MB_START), end = bench::ControlPacket(MB_END);
    std::vector<char> buffer(1 << 17);
    std::string message;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(Until - TClock::now()).count();
        pollfd p{Fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        const ssize_t n = recv(Fd, buffer.data(), buffer.size(), 0);
        if (n <= 0)
            return false;
        const std::string packet(buffer.data(), static_cast<std::size_t>(n));
        if (packet == start)
            message.clear();
        else if (packet == end) {
            if (!Prefix.empty() && message.rfind(Prefix, 0) == 0)
                return true;
        } else
            message += packet;
    }
}

struct TFigures {
    double connectMs = 0;
    double peakMiB = 0;
};

TFigures Run(const char *Binary) {
    const bench::TStartedClient started = bench::StartClient(Binary);
    const pid_t pid = started.Pid;
    const int fd = started.Fd;
    // What the host sends at a connection, in its order: the player, the window (which shows the
    // client), the size, then the server's version check.
    SendMessage(fd, "5;Bench;10.0.0.2;1;127.0.0.1;1.0;cc;pl;");
    SendMessage(fd, "6;0;");
    SendMessage(fd, "1;600;800;");
    SendMessage(fd, "7;1;1;4711;p1;");
    if (!AwaitMessage(fd, "11;", TClock::now() + std::chrono::seconds(20))) {
        std::fprintf(stderr, "%s did not answer the version check\n", Binary);
        std::exit(1);
    }
    AwaitMessage(fd, std::string(), TClock::now() + kLobbyTime);
    TFigures f;
    f.connectMs = std::chrono::duration<double, std::milli>(started.Connected - started.Started).count();
    f.peakMiB = bench::StatusKiB(pid, "VmHWM:") / 1024.0;
    shutdown(fd, SHUT_RDWR); // the host closes the pipe: the client ends
    close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    return f;
}

// On a busy machine the best run shows the cost of the work itself, the median what a start meets.
double Best(const std::vector<double> &Values) {
    return *std::min_element(Values.begin(), Values.end());
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

} // namespace
} // namespace trelvo

// Usage: bench_startup [CLIENT] (another build of the client, e.g. build/default/src/app/trelvo).
int main(int argc, char **argv) {
    using namespace trelvo;
    const char *client = argc > 1 ? argv[1] : TRELVO_BINARY;
    bench::PrepareClientRuns();
    // No statistics service: start-up must not wait for one.
    setenv("TRELVO_STATS_SERVICE", "", 1);
    setenv("TRELVO_STATS_PROBE", "", 1);
    // One untimed start of each first, so that both find the libraries and fonts in the page cache.
    Run(BARE_BINARY);
    Run(client);
    std::vector<double> bareMs, clientMs, bareMiB, clientMiB;
    for (int i = 0; i < kRuns; ++i) {
        const TFigures b = Run(BARE_BINARY), c = Run(client);
        bareMs.push_back(b.connectMs);
        clientMs.push_back(c.connectMs);
        bareMiB.push_back(b.peakMiB);
        clientMiB.push_back(c.peakMiB);
    }
    const double bt = Median(bareMs), ct = Median(clientMs), bm = Median(bareMiB), cm = Median(clientMiB);
    std::printf("Start-up of %s, median of %d runs each, taking turns with the bare client (%s):\n", client,
                kRuns, std::getenv("QT_QPA_PLATFORM"));
    std::printf("  start to pipe connection: bare %.1f ms, client %.1f ms: %.2f x (goal <= 1.5); best runs "
                "%.1f and %.1f ms: %.2f x\n",
                bt, ct, ct / bt, Best(bareMs), Best(clientMs), Best(clientMs) / Best(bareMs));
    std::printf("  peak memory in the lobby (VmHWM): bare %.1f MiB, client %.1f MiB: %.2f x (goal <= 2)\n",
                bm, cm, cm / bm);
    return 0;
}
