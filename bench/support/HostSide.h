#pragma once
// The benchmarks' host end of the client's pipe: start a client as its host starts it, accept its
// connection, frame messages to it, and read its figures from /proc.
#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"

#include <sched.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <string>
#include <vector>

extern char **environ;

namespace trelvo::bench {

inline constexpr char kClientPipe[] = "{05093645-25FA-49B3-B318-E73C28980D2C}";

inline std::string ControlPacket(std::uint32_t Command) {
    const TPipeControlPacket p = MakeControlPacket(Command);
    return std::string(reinterpret_cast<const char *>(p.data()), p.size());
}

// One framed message, cut into packets of the pipe's size; false when the client has gone.
inline bool SendFramed(int Fd, const std::string &Message) {
    auto sendAll = [Fd](const char *Data, std::size_t Size) {
        while (Size > 0) {
            const ssize_t n = send(Fd, Data, Size, MSG_NOSIGNAL);
            if (n < 0)
                return false;
            Data += n;
            Size -= static_cast<std::size_t>(n);
        }
        return true;
    };
    const std::string start = ControlPacket(MB_START), end = ControlPacket(MB_END);
    if (!sendAll(start.data(), start.size()))
        return false;
    for (std::size_t at = 0; at < Message.size(); at += MAX_BUFFER)
        if (!sendAll(Message.data() + at, std::min<std::size_t>(MAX_BUFFER, Message.size() - at)))
            return false;
    return sendAll(end.data(), end.size());
}

// A figure of /proc/<pid>/status in KiB ("VmHWM:", "VmRSS:"); 0 when it cannot be read.
inline long StatusKiB(pid_t Pid, const char *Key) {
    std::ifstream status("/proc/" + std::to_string(Pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(Key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(Key));
    return 0;
}

// A private network namespace when allowed, so that the client's instance guard and pipe name are this
// program's alone; and the offscreen platform unless told otherwise.
inline void PrepareClientRuns() {
    if (unshare(CLONE_NEWNET) != 0)
        std::fprintf(stderr, "no private network namespace (%s): the client's names are shared\n",
                     std::strerror(errno));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

struct TStartedClient {
    pid_t Pid = 0;
    int Fd = -1;
    std::chrono::steady_clock::time_point Started, Connected;
};

// Listens on the client's pipe, starts Binary with "-start" and Extra, and accepts its connection;
// ends the program when the client does not connect within 20 s.
inline TStartedClient StartClient(const char *Binary, const std::vector<const char *> &Extra = {}) {
    const TPipeHandle listener = ListenPipe(PipePath("", kClientPipe));
    if (listener < 0) {
        std::perror("listen");
        std::exit(1);
    }
    std::vector<char *> argv{const_cast<char *>(Binary), const_cast<char *>("-start")};
    for (const char *a : Extra)
        argv.push_back(const_cast<char *>(a));
    argv.push_back(nullptr);
    TStartedClient client;
    client.Started = std::chrono::steady_clock::now();
    if (posix_spawn(&client.Pid, Binary, nullptr, nullptr, argv.data(), environ) != 0)
        std::exit(1);
    pollfd p{listener, POLLIN, 0};
    if (poll(&p, 1, 20000) <= 0) {
        std::fprintf(stderr, "%s did not connect\n", Binary);
        std::exit(1);
    }
    client.Connected = std::chrono::steady_clock::now();
    client.Fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    close(listener);
    return client;
}

} // namespace trelvo::bench
