// The baseline: the least a Qt client of the host pipe can be. One hidden frameless window, a reader
// thread on the socket that takes the framing apart, and every framed version check answered with a
// framed "11" from the UI thread. No queue, no worker. With "--flush" it keeps the transport's contract:
// each packet is written once the host has read the one before.
#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include <cstddef>
#include <cstring>
#include <linux/sockios.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

const char kPath[] = "\\\\.\\pipe\\{05093645-25FA-49B3-B318-E73C28980D2C}";

std::string Control(const char *Command) {
    std::string p(16, '\0');
    const std::uint32_t size = 16;
    std::memcpy(p.data(), &size, 4);
    std::memcpy(p.data() + 4, "MAGC", 4);
    std::memcpy(p.data() + 8, Command, 4);
    std::memcpy(p.data() + 12, "MAGC", 4);
    return p;
}

int Connect() {
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + 1, kPath, sizeof kPath - 1);
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + sizeof kPath);
    return connect(fd, reinterpret_cast<sockaddr *>(&addr), len) == 0 ? fd : -1;
}

// Waits until the peer has read everything written, looking again and again and giving the processor
// away in between.
void Flush(int Fd) {
    int unread = 0;
    while (ioctl(Fd, SIOCOUTQ, &unread) == 0 && unread != 0)
        std::this_thread::yield();
}

} // namespace

int main(int argc, char **argv) {
    bool flush = false;
    for (int i = 1; i < argc; ++i)
        flush = flush || std::strcmp(argv[i], "--flush") == 0;
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.winId(); // a real (hidden) native window, as the client has
    const int fd = Connect();
    if (fd < 0)
        return 0;
    const std::string start = Control("STMB"), end = Control("ETMB");
    std::thread reader([&] {
        std::string buffer(65536, '\0'), message;
        bool framed = false;
        for (;;) {
            const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            const std::string packet(buffer.data(), static_cast<std::size_t>(n));
            if (packet == start) {
                framed = true;
                message.clear();
            } else if (packet == end && framed) {
                framed = false;
                if (message.rfind("7;1;", 0) == 0)
                    QMetaObject::invokeMethod(&window, [&] {
                        for (const std::string &packet : {start, std::string("11;5"), end}) {
                            send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
                            if (flush)
                                Flush(fd);
                        }
                    });
            } else if (framed) {
                message += packet;
            }
        }
        QMetaObject::invokeMethod(&app, [] { QCoreApplication::exit(0); });
    });
    app.exec();
    shutdown(fd, SHUT_RDWR);
    reader.join();
    close(fd);
    return 0;
}
