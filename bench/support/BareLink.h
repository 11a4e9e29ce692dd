#pragma once
// The bare baseline clients' end of the host's pipe, written against the socket alone (no project
// library): what the least a client of the pipe can be needs.
#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

namespace trelvo::bench {

inline constexpr char kBarePipePath[] = "\\\\.\\pipe\\{05093645-25FA-49B3-B318-E73C28980D2C}";

// A control packet of the pipe's framing ("STMB", "ETMB").
inline std::string BareControl(const char *Command) {
    std::string p(16, '\0');
    const std::uint32_t size = 16;
    std::memcpy(p.data(), &size, 4);
    std::memcpy(p.data() + 4, "MAGC", 4);
    std::memcpy(p.data() + 8, Command, 4);
    std::memcpy(p.data() + 12, "MAGC", 4);
    return p;
}

// Connects to the host's pipe; -1 when nothing listens.
inline int BareConnect() {
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + 1, kBarePipePath, sizeof kBarePipePath - 1);
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + sizeof kBarePipePath);
    return connect(fd, reinterpret_cast<sockaddr *>(&addr), len) == 0 ? fd : -1;
}

// Reads until the pipe closes, handing each whole framed message to OnMessage on the calling thread.
inline void BareReadMessages(int Fd, const std::function<void(const std::string &Message)> &OnMessage) {
    const std::string start = BareControl("STMB"), end = BareControl("ETMB");
    std::string buffer(65536, '\0'), message;
    bool framed = false;
    for (;;) {
        const ssize_t n = recv(Fd, buffer.data(), buffer.size(), 0);
        if (n <= 0)
            return;
        const std::string packet(buffer.data(), static_cast<std::size_t>(n));
        if (packet == start) {
            framed = true;
            message.clear();
        } else if (packet == end && framed) {
            framed = false;
            OnMessage(message);
        } else if (framed) {
            message += packet;
        }
    }
}

} // namespace trelvo::bench
