#pragma once

#include "netserver/NetServer.h"
#include "server/GameServer.h"

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
};

// Reads the arguments (without the program name). False with Error on a bad or unknown option;
// --help sets Help and returns true with the usage text in Error.
bool ParseServerOptions(const QStringList &Arguments, TServerCommandLine &Options, QString &Error,
                        bool &Help);

// Reads the certificate and key into Options.Net.Tls; false with Error when they cannot be read.
bool LoadTls(TServerCommandLine &Options, QString &Error);

} // namespace trelvo::net
