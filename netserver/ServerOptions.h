#pragma once

#include "common/OptionReader.h"
#include "netserver/NetServer.h"
#include "server/GameServer.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

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

// The options of trelvo-server, each reading into Options: the one list of them (its --help, its manual).
std::vector<TOptionRow> ServerOptionRows(TServerCommandLine &Options);
// The option rows as the OPTIONS section of a manual page (roff), and the template's line it replaces.
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
