#include "pipes/PipeSocket.h"

#include "sync/Timing.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <linux/sockios.h>
#include <poll.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace trelvo {

namespace {

// The abstract address: a leading NUL, then the path text without a terminating NUL.
bool MakeAddress(const std::string &Path, sockaddr_un &Addr, socklen_t &Len) {
    std::memset(&Addr, 0, sizeof Addr);
    Addr.sun_family = AF_UNIX;
    if (Path.size() + 1 > sizeof Addr.sun_path)
        return false;
    std::memcpy(Addr.sun_path + 1, Path.data(), Path.size());
    Len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + Path.size());
    return true;
}
} // namespace

std::string PipePath(const std::string &ServerName, const std::string &PipeName) {
    bool local = ServerName.empty();
    if (!local) {
        char host[261] = {};
        if (gethostname(host, sizeof host - 1) != 0)
            host[0] = '\0';
        local = strcasecmp(ServerName.c_str(), host) == 0;
    }
    if (local)
        return "\\\\.\\pipe\\" + PipeName;
    return "\\\\" + ServerName + "\\pipe\\" + PipeName;
}

TPipeHandle ConnectPipe(const std::string &Path, std::uint32_t WaitTime) {
    sockaddr_un addr;
    socklen_t len;
    if (!MakeAddress(Path, addr, len)) {
        errno = ENAMETOOLONG;
        return kInvalidPipe;
    }
    const std::uint32_t wait = WaitTime == 0 ? kConnectDefaultWaitMs : WaitTime;
    const std::uint64_t start = TickMs();
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return kInvalidPipe;
        if (connect(fd, reinterpret_cast<sockaddr *>(&addr), len) == 0)
            return fd;
        const int err = errno;
        close(fd);
        if (err != EAGAIN && err != EINTR) {
            errno = err;
            return kInvalidPipe;
        }
        if (wait != kInfinite && TickMs() - start >= wait) {
            errno = ETIMEDOUT;
            return kInvalidPipe;
        }
        timespec pause{0, kConnectRetryNs};
        nanosleep(&pause, nullptr);
    }
}

TPipeHandle ListenPipe(const std::string &Path) {
    sockaddr_un addr;
    socklen_t len;
    if (!MakeAddress(Path, addr, len)) {
        errno = ENAMETOOLONG;
        return kInvalidPipe;
    }
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return kInvalidPipe;
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), len) != 0 || listen(fd, SOMAXCONN) != 0) {
        const int err = errno;
        close(fd);
        errno = err;
        return kInvalidPipe;
    }
    return fd;
}

int UnreadOutput(TPipeHandle Pipe) {
    int n = 0;
    return ioctl(Pipe, SIOCOUTQ, &n) == 0 ? n : 0;
}

bool PeerGone(TPipeHandle Pipe) {
    pollfd p{Pipe, 0, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

bool IsBrokenPipe(int ErrorCode) {
    return ErrorCode == EPIPE || ErrorCode == ECONNRESET || ErrorCode == ENOTCONN;
}

} // namespace trelvo
