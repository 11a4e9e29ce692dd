// The baseline: the least a Qt client of the host pipe can be. One hidden frameless window, a reader
// thread on the socket that takes the framing apart, and every framed version check answered with a
// framed "11" from the UI thread. No queue, no worker. With "--flush" it keeps the transport's contract:
// each packet is written once the host has read the one before.
#include "BareLink.h"

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
    const int fd = trelvo::bench::BareConnect();
    if (fd < 0)
        return 0;
    const std::string start = trelvo::bench::BareControl("STMB"), end = trelvo::bench::BareControl("ETMB");
    std::thread reader([&] {
        trelvo::bench::BareReadMessages(fd, [&](const std::string &Message) {
            if (Message.rfind("7;1;", 0) == 0)
                QMetaObject::invokeMethod(&window, [&] {
                    for (const std::string &packet : {start, std::string("11;5"), end}) {
                        send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
                        if (flush)
                            Flush(fd);
                    }
                });
        });
        QMetaObject::invokeMethod(&app, [] { QCoreApplication::exit(0); });
    });
    app.exec();
    shutdown(fd, SHUT_RDWR);
    reader.join();
    close(fd);
    return 0;
}
