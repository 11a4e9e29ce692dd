// The start-up baseline: the least a Qt client of the host pipe can be that still shows a screen. One
// frameless window, connected to the pipe the way the client connects, a reader thread that takes the
// framing apart, and on the UI thread: message 1 sizes the window, 6 shows it (painted with one colour),
// and a version check is answered with its echo. Everything the client adds on top of this is what the
// start-up benchmark weighs.
#include "BareLink.h"

#include <QApplication>
#include <QMetaObject>
#include <QPainter>
#include <QWidget>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// The n-th field (from 0) of a "a;b;c;" message.
std::string Field(const std::string &Message, int N) {
    std::size_t from = 0;
    for (int i = 0; i < N; ++i) {
        from = Message.find(';', from);
        if (from == std::string::npos)
            return {};
        ++from;
    }
    return Message.substr(from, Message.find(';', from) - from);
}

class TScreen : public QWidget {
public:
    TScreen() : QWidget(nullptr, Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0, 90, 40)); }
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TScreen window;
    window.winId();
    const int fd = trelvo::bench::BareConnect();
    if (fd < 0)
        return 0;
    const std::string start = trelvo::bench::BareControl("STMB"), end = trelvo::bench::BareControl("ETMB");
    auto answer = [&](const std::string &Message) {
        for (const std::string &packet : {start, Message, end})
            send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    };
    std::thread reader([&] {
        trelvo::bench::BareReadMessages(fd, [&](const std::string &Message) {
            QMetaObject::invokeMethod(&window, [&, message = Message] {
                const std::string code = Field(message, 0);
                if (code == "1")
                    window.resize(std::atoi(Field(message, 2).c_str()), std::atoi(Field(message, 1).c_str()));
                else if (code == "6")
                    window.show();
                else if (code == "7" && Field(message, 1) == "1")
                    answer("11;" + Field(message, 3));
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
