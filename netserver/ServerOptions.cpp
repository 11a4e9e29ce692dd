#include "netserver/ServerOptions.h"

#include "common/BoundedInt.h"

#include "server/BotBrain.h"

#include <QCommandLineParser>
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

bool ParseServerOptions(const QStringList &Arguments, TServerCommandLine &Options, QString &Error,
                        bool &Help) {
    Help = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Trelvo server: the Durak game server for players on other machines (WebSocket)"));
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
    parser.addOptions({help, listen, cert, key, tables, level, botFill, maxConnections, seed});

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
    QFile certFile(Options.CertFile), keyFile(Options.KeyFile);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        Error = QStringLiteral("cannot read %1 or %2").arg(Options.CertFile, Options.KeyFile);
        return false;
    }
    const auto chain = QSslCertificate::fromDevice(&certFile, QSsl::Pem);
    QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) {
        keyFile.seek(0);
        key = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
    }
    if (chain.isEmpty() || key.isNull()) {
        Error = QStringLiteral("%1 holds no certificate or %2 no RSA/EC key")
                    .arg(Options.CertFile, Options.KeyFile);
        return false;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    Options.Net.Tls = tls;
    return true;
}

} // namespace trelvo::net
