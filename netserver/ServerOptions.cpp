#include "netserver/ServerOptions.h"

#include "common/BoundedInt.h"
#include "netserver/Store.h"

#include "server/BotBrain.h"

#include <QCommandLineParser>

#include <algorithm>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace trelvo::net {

namespace {

// "ADDR:PORT", "[v6]:PORT" or ":PORT" (all addresses of this machine).
bool ReadListen(const QString &Text, QHostAddress &Address, quint16 &Port) {
    const int colon = Text.lastIndexOf(u':');
    if (colon < 0)
        return false;
    QString host = Text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    int port = 0;
    if (!ReadInt(Text.mid(colon + 1), 0, 65535, port))
        return false;
    const QHostAddress address = host.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(host);
    if (address.isNull())
        return false;
    Address = address;
    Port = static_cast<quint16>(port);
    return true;
}

} // namespace

QList<QCommandLineOption> ServerOptionTable() {
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Address and port to listen on (default 127.0.0.1:%1; :PORT for every address).")
            .arg(kDefaultPort),
        QStringLiteral("ADDR:PORT"));
    const QCommandLineOption cert(QStringLiteral("cert"),
                                  QStringLiteral("TLS certificate (PEM): wss:// only."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"), QStringLiteral("TLS private key (PEM)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption tables(QStringLiteral("lobby-tables"),
                                    QStringLiteral("Tables with waiting bots in the lobby (default 0)."),
                                    QStringLiteral("N"));
    const QCommandLineOption level(QStringLiteral("level"), QStringLiteral("Bot strength: easy, normal or hard."),
                                   QStringLiteral("LEVEL"));
    const QCommandLineOption botFill(
        QStringLiteral("bot-fill"),
        QStringLiteral("A bot takes a free seat of a waiting table after S seconds without a new person "
                       "(default 0: never)."),
        QStringLiteral("S"));
    const QCommandLineOption maxConnections(QStringLiteral("max-connections"),
                                            QStringLiteral("Players at once (default 1000)."),
                                            QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of deals and bot choices."),
                                  QStringLiteral("N"));
    const QCommandLineOption db(
        QStringLiteral("db"),
        QStringLiteral("The store of games, ratings and reports (SQLite; default trelvo-server.sqlite in "
                       "$STATE_DIRECTORY, the service's state folder, or else in "
                       "~/.local/share/trelvo-server)."),
        QStringLiteral("FILE"));
    const QCommandLineOption top(QStringLiteral("top"), QStringLiteral("Print the best N players and exit."),
                                 QStringLiteral("N"));
    const QCommandLineOption statsSummary(
        QStringLiteral("stats-summary"),
        QStringLiteral("Print what the statistics service collected and exit."));
    const QCommandLineOption statsListen(
        QStringLiteral("stats-listen"),
        QStringLiteral("Serve the clients' statistics reports over HTTPS here (default: off)."),
        QStringLiteral("ADDR:PORT"));
    const QCommandLineOption statsCert(
        QStringLiteral("stats-cert"),
        QStringLiteral("TLS certificate of the statistics service (default --cert)."),
        QStringLiteral("FILE"));
    const QCommandLineOption statsKey(QStringLiteral("stats-key"),
                                      QStringLiteral("Its private key (default --key)."),
                                      QStringLiteral("FILE"));
    return {help, listen, cert, key, tables, level, botFill, maxConnections, seed, db, top,
            statsSummary, statsListen, statsCert, statsKey};
}

namespace {

// Text as roff reads it: a backslash is written \e and a hyphen \-, so that an option named in the text
// reads as it is typed.
QString Roff(QString Text) {
    Text.replace(u'\\', QStringLiteral("\\e"));
    Text.replace(u'-', QStringLiteral("\\-"));
    return Text;
}

} // namespace

QString ServerOptionsRoff() {
    QString roff;
    for (const QCommandLineOption &option : ServerOptionTable()) {
        QStringList names;
        for (const QString &name : option.names())
            names << Roff((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        roff += QStringLiteral(".TP\n");
        if (!option.valueName().isEmpty())
            roff += QStringLiteral(".BI \"%1\" \" %2\"\n").arg(names.join(QStringLiteral(", ")), option.valueName());
        else
            roff += QStringLiteral(".B \"%1\"\n").arg(names.join(QStringLiteral(", ")));
        roff += Roff(option.description()) + u'\n';
    }
    return roff;
}

QString DefaultDbFile() {
    const QString state = qEnvironmentVariable("STATE_DIRECTORY").section(u':', 0, 0);
    return state.isEmpty() ? DefaultStorePath() : state + QStringLiteral("/trelvo-server.sqlite");
}

bool ParseServerOptions(const QStringList &Arguments, TServerCommandLine &Options, QString &Error,
                        bool &Help) {
    Help = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Trelvo server: the Durak game server for players on other machines (WebSocket)"));
    const QList<QCommandLineOption> table = ServerOptionTable();
    auto option = [&table](const char *Name) {
        return *std::find_if(table.begin(), table.end(), [Name](const QCommandLineOption &O) {
            return O.names().constLast() == QLatin1String(Name);
        });
    };
    const QCommandLineOption help = option("help"), listen = option("listen"), cert = option("cert"),
                             key = option("key"), tables = option("lobby-tables"), level = option("level"),
                             botFill = option("bot-fill"), maxConnections = option("max-connections"),
                             seed = option("seed"), db = option("db"), top = option("top"),
                             statsSummary = option("stats-summary"), statsListen = option("stats-listen"),
                             statsCert = option("stats-cert"), statsKey = option("stats-key");
    parser.addOptions(table);

    // People play each other here: no bots unless asked for.
    Options.Game.LobbyBotTables = 0;
    Options.Game.BotFillMs = 0;
    if (!parser.parse(QStringList{QStringLiteral("trelvo-server")} + Arguments)) {
        Error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        Help = true;
        Error =
            parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("trelvo-server"));
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    auto fail = [&](const QCommandLineOption &option, const QString &what) {
        Error = QStringLiteral("--%1: %2").arg(option.names().constLast(), what);
        return false;
    };
    if (parser.isSet(listen) && !ReadListen(parser.value(listen), Options.Net.Address, Options.Net.Port))
        return fail(listen, QStringLiteral("expected ADDR:PORT"));
    if (parser.isSet(cert) != parser.isSet(key))
        return fail(parser.isSet(cert) ? key : cert, QStringLiteral("--cert and --key go together"));
    Options.CertFile = parser.value(cert);
    Options.KeyFile = parser.value(key);
    if (parser.isSet(tables) && !ReadInt(parser.value(tables), 0, 50, Options.Game.LobbyBotTables))
        return fail(tables, QStringLiteral("expected 0 to 50"));
    if (parser.isSet(level)) {
        const std::optional<server::TBotLevel> value = server::BotLevelFromName(parser.value(level));
        if (!value)
            return fail(level, QStringLiteral("expected easy, normal or hard"));
        Options.Game.Level = *value;
    }
    int fillSeconds = 0;
    if (parser.isSet(botFill)) {
        if (!ReadInt(parser.value(botFill), 0, 3600, fillSeconds))
            return fail(botFill, QStringLiteral("expected 0 to 3600 seconds"));
        Options.Game.BotFillMs = fillSeconds * 1000;
    }
    if (parser.isSet(maxConnections) &&
        !ReadInt(parser.value(maxConnections), 1, 1000000, Options.Net.MaxConnections))
        return fail(maxConnections, QStringLiteral("expected 1 to 1000000"));
    Options.DbFile = parser.isSet(db) ? parser.value(db) : DefaultDbFile();
    if (parser.isSet(top) && !ReadInt(parser.value(top), 1, 100000, Options.Top))
        return fail(top, QStringLiteral("expected 1 to 100000"));
    Options.StatsSummary = parser.isSet(statsSummary);
    if (parser.isSet(statsListen)) {
        QHostAddress address;
        if (!ReadListen(parser.value(statsListen), address, Options.StatsPort))
            return fail(statsListen, QStringLiteral("expected ADDR:PORT"));
        Options.StatsAddress = address;
    }
    if (parser.isSet(statsCert) != parser.isSet(statsKey))
        return fail(parser.isSet(statsCert) ? statsKey : statsCert,
                    QStringLiteral("--stats-cert and --stats-key go together"));
    Options.StatsCertFile = parser.isSet(statsCert) ? parser.value(statsCert) : Options.CertFile;
    Options.StatsKeyFile = parser.isSet(statsKey) ? parser.value(statsKey) : Options.KeyFile;
    // The clients post over HTTPS only.
    if (Options.StatsAddress && Options.StatsCertFile.isEmpty())
        return fail(statsListen,
                    QStringLiteral("needs a certificate (--stats-cert and --stats-key, or --cert)"));
    if (parser.isSet(seed)) {
        bool ok = false;
        Options.Seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            return fail(seed, QStringLiteral("expected a number"));
    }
    return true;
}

bool LoadTls(TServerCommandLine &Options, QString &Error) {
    if (Options.CertFile.isEmpty())
        return true;
    Options.Net.Tls = ReadTls(Options.CertFile, Options.KeyFile, Error);
    return Options.Net.Tls.has_value();
}

std::optional<QSslConfiguration> ReadTls(const QString &CertFile, const QString &KeyFile, QString &Error) {
    QFile certFile(CertFile), keyFile(KeyFile);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        Error = QStringLiteral("cannot read %1 or %2").arg(CertFile, KeyFile);
        return std::nullopt;
    }
    const auto chain = QSslCertificate::fromDevice(&certFile, QSsl::Pem);
    QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) {
        keyFile.seek(0);
        key = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
    }
    if (chain.isEmpty() || key.isNull()) {
        Error = QStringLiteral("%1 holds no certificate or %2 no RSA/EC key").arg(CertFile, KeyFile);
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

} // namespace trelvo::net
