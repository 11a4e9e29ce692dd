#pragma once

#include "netserver/NetServer.h"
#include "server/GameServer.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace trelvo::net {

// What the command line of trelvo-server chooses.
struct TServerCommandLine {
    TNetServerOptions Net;
    server::TServerOptions Game;
    QString CertFile, KeyFile; // --cert, --key: both or neither
    std::uint64_t Seed = 0;    // --seed; 0 picks one
    QString DbFile;            // --db; empty: the default under the user's data folder
    int Top = 0;               // --top N: print the best N and exit
    bool StatsSummary = false; // --stats-summary: print the collected reports' counts and exit
    // --stats-listen: where the statistics web service listens (HTTPS); unset, it is off.
    std::optional<QHostAddress> StatsAddress;
    quint16 StatsPort = 0;
    QString StatsCertFile, StatsKeyFile; // --stats-cert, --stats-key (default: --cert, --key)
};

// Every option of trelvo-server with its text, in the order --help lists them; the manual page's option
// list is made from it as well.
QList<QCommandLineOption> ServerOptionTable();
// The option table as the OPTIONS section of a manual page (roff), and the template's line it replaces.
QString ServerOptionsRoff();
inline const QString kManOptionsMarker = QStringLiteral(".\\\" option-table\n");

// Without --db: the service's state folder that systemd names in STATE_DIRECTORY (the first, when it names
// several), else the user's data folder.
QString DefaultDbFile();

// Reads the arguments (without the program name). False with Error on a bad or unknown option;
// --help sets Help and returns true with the usage text in Error.
bool ParseServerOptions(const QStringList &Arguments, TServerCommandLine &Options, QString &Error,
                        bool &Help);

// Reads the certificate and key into Options.Net.Tls; false with Error when they cannot be read.
bool LoadTls(TServerCommandLine &Options, QString &Error);
// A TLS configuration of a certificate chain and its key (PEM files); nullopt with Error when they
// cannot be read.
std::optional<QSslConfiguration> ReadTls(const QString &CertFile, const QString &KeyFile, QString &Error);

} // namespace trelvo::net
