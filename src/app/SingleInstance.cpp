#include "SingleInstance.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace trelvo {

TSingleInstance::TSingleInstance(const std::string &name) {
    FSocket = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (FSocket < 0)
        return; // Any failure other than "taken" lets the process run.
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const size_t len = std::min(name.size(), sizeof(addr.sun_path) - 1);
    std::memcpy(addr.sun_path + 1, name.data(), len); // abstract: leading NUL, no trailing NUL
    const auto addrLen = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + len);
    if (::bind(FSocket, reinterpret_cast<const sockaddr *>(&addr), addrLen) != 0) {
        FAlreadyExists = errno == EADDRINUSE;
        ::close(FSocket);
        FSocket = -1;
    }
}

TSingleInstance::~TSingleInstance() {
    if (FSocket >= 0)
        ::close(FSocket);
}

} // namespace trelvo
