// trelvo-server-manpage TEMPLATE OUTPUT: writes the manual page of trelvo-server, its option list made from
// the program's own option table, so that the page and the program cannot part. Run by the build.
#include "netserver/ServerOptions.h"

#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fputs("usage: trelvo-server-manpage TEMPLATE OUTPUT\n", stderr);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "trelvo-server-manpage: cannot read %s\n", argv[1]);
        return 1;
    }
    QString page = QString::fromUtf8(in.readAll());
    if (!page.contains(trelvo::net::kManOptionsMarker)) {
        std::fprintf(stderr, "trelvo-server-manpage: %s has no line %s\n", argv[1],
                     qPrintable(trelvo::net::kManOptionsMarker));
        return 1;
    }
    page.replace(trelvo::net::kManOptionsMarker, trelvo::net::ServerOptionsRoff());
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(page.toUtf8()) < 0) {
        std::fprintf(stderr, "trelvo-server-manpage: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
