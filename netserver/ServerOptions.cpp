#include "netserver/ServerOptions.h"

#include "common/BoundedInt.h"
#include "common/OptionReader.h"
#include "netserver/Store.h"

#include "server/BotLevels.h"

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

std::vector<TOptionRow> ServerOptionRows(TServerCommandLine &Options) {
    auto listen = [&Options](const QString &Value) {
        return ReadListen(Value, Options.Net.Address, Options.Net.Port)
                   ? QString()
                   : QStringLiteral("expected ADDR:PORT");
    };
    auto level = [&Options](const QString &Value) {
        const std::optional<server::TBotLevel> level = server::BotLevelFromName(Value);
        if (!level)
            return QStringLiteral("expected %1").arg(server::BotLevelNames());
        Options.Game.Level = *level;
        return QString();
    };
    auto botFill = [&Options](const QString &Value) {
        int seconds = 0;
        if (!ReadInt(Value, 0, 3600, seconds))
            return QStringLiteral("expected 0 to 3600 seconds");
        Options.Game.BotFillMs = seconds * 1000;
        return QString();
    };
    auto seed = [&Options](const QString &Value) {
        bool ok = false;
        Options.Seed = Value.toULongLong(&ok);
        return ok ? QString() : QStringLiteral("expected a number");
    };
    auto statsListen = [&Options](const QString &Value) {
        QHostAddress address;
        if (!ReadListen(Value, address, Options.StatsPort))
            return QStringLiteral("expected ADDR:PORT");
        Options.StatsAddress = address;
        return QString();
    };
    return {
        {QStringLiteral("listen"), QStringLiteral("ADDR:PORT"),
         QStringLiteral("Address and port to listen on (default 127.0.0.1:%1; :PORT for every address).")
             .arg(kDefaultPort),
         listen},
        {QStringLiteral("cert"), QStringLiteral("FILE"),
         QStringLiteral("TLS certificate (PEM): wss:// only."), TextInto(Options.CertFile)},
        {QStringLiteral("key"), QStringLiteral("FILE"), QStringLiteral("TLS private key (PEM)."),
         TextInto(Options.KeyFile)},
        {QStringLiteral("lobby-tables"), QStringLiteral("N"),
         QStringLiteral("Tables with waiting bots in the lobby (default 0)."),
         IntInto(Options.Game.LobbyBotTables, 0, 50, QStringLiteral("expected 0 to 50"))},
        {QStringLiteral("level"), QStringLiteral("LEVEL"),
         QStringLiteral("Bot strength: %1.").arg(server::BotLevelNames()), level},
        {QStringLiteral("bot-fill"), QStringLiteral("S"),
         QStringLiteral("A bot takes a free seat of a waiting table after S seconds without a new person "
                        "(default 0: never)."),
         botFill},
        {QStringLiteral("max-connections"), QStringLiteral("N"),
         QStringLiteral("Players at once (default 1000)."),
         IntInto(Options.Net.MaxConnections, 1, 1000000, QStringLiteral("expected 1 to 1000000"))},
        {QStringLiteral("seed"), QStringLiteral("N"), QStringLiteral("Seed of deals and bot choices."), seed},
        {QStringLiteral("db"), QStringLiteral("FILE"),
         QStringLiteral("The store of games, ratings and reports (SQLite; default trelvo-server.sqlite in "
                        "$STATE_DIRECTORY, the service's state folder, or else in "
                        "~/.local/share/trelvo-server)."),
         TextInto(Options.DbFile)},
        {QStringLiteral("top"), QStringLiteral("N"), QStringLiteral("Print the best N players and exit."),
         IntInto(Options.Top, 1, 100000, QStringLiteral("expected 1 to 100000"))},
        {QStringLiteral("stats-summary"),
         {},
         QStringLiteral("Print what the statistics service collected and exit."),
         [&Options](const QString &) {
             Options.StatsSummary = true;
             return QString();
         }},
        {QStringLiteral("stats-listen"), QStringLiteral("ADDR:PORT"),
         QStringLiteral("Serve the clients' statistics reports over HTTPS here (default: off)."),
         statsListen},
        {QStringLiteral("stats-cert"), QStringLiteral("FILE"),
         QStringLiteral("TLS certificate of the statistics service (default --cert)."),
         TextInto(Options.StatsCertFile)},
        {QStringLiteral("stats-key"), QStringLiteral("FILE"),
         QStringLiteral("Its private key (default --key)."), TextInto(Options.StatsKeyFile)},
    };
}

namespace {

// Text as roff reads it: a backslash is written \e and a hyphen \-, so that an option named in the text
// reads as it is typed.
QString Roff(QString Text) {
    Text.replace(u'\\', QStringLiteral("\\e"));
    Text.replace(u'-', QStringLiteral("\\-"));
    return Text;
}

void AddRoffEntry(QString &Page, const QString &Names, const QString &ValueName, const QString &Help) {
    Page += QStringLiteral(".TP\n");
    if (!ValueName.isEmpty())
        Page += QStringLiteral(".BI \"%1\" \" %2\"\n").arg(Roff(Names), ValueName);
    else
        Page += QStringLiteral(".B \"%1\"\n").arg(Roff(Names));
    Page += Roff(Help) + u'\n';
}

} // namespace

QString ServerOptionsRoff() {
    QString roff;
    AddRoffEntry(roff, QStringLiteral("-h, --help"), {}, QStringLiteral("Show this help."));
    TServerCommandLine unused;
    for (const TOptionRow &row : ServerOptionRows(unused))
        AddRoffEntry(roff, QStringLiteral("--") + row.Name, row.ValueName, row.Help);
    return roff;
}

QString DefaultDbFile() {
    const QString state = qEnvironmentVariable("STATE_DIRECTORY").section(u':', 0, 0);
    return state.isEmpty() ? DefaultStorePath() : state + QStringLiteral("/trelvo-server.sqlite");
}

bool ParseServerOptions(const QStringList &Arguments, TServerCommandLine &Options, QString &Error,
                        bool &Help) {
    // People play each other here: no bots unless asked for.
    Options.Game.LobbyBotTables = 0;
    Options.Game.BotFillMs = 0;
    QStringList given;
    if (!ReadOptions(
            QStringLiteral("trelvo-server"),
            QStringLiteral("Trelvo server: the Durak game server for players on other machines (WebSocket)"),
            ServerOptionRows(Options), Arguments, Error, Help, &given))
        return false;
    if (Help)
        return true;
    auto fail = [&](const char *Option, const char *What) {
        Error = QStringLiteral("--%1: %2").arg(QLatin1String(Option), QLatin1String(What));
        return false;
    };
    if (given.contains(QStringLiteral("cert")) != given.contains(QStringLiteral("key")))
        return fail(given.contains(QStringLiteral("cert")) ? "key" : "cert", "--cert and --key go together");
    if (!given.contains(QStringLiteral("db")))
        Options.DbFile = DefaultDbFile();
    if (given.contains(QStringLiteral("stats-cert")) != given.contains(QStringLiteral("stats-key")))
        return fail(given.contains(QStringLiteral("stats-cert")) ? "stats-key" : "stats-cert",
                    "--stats-cert and --stats-key go together");
    if (!given.contains(QStringLiteral("stats-cert")))
        Options.StatsCertFile = Options.CertFile;
    if (!given.contains(QStringLiteral("stats-key")))
        Options.StatsKeyFile = Options.KeyFile;
    // The clients post over HTTPS only.
    if (Options.StatsAddress && Options.StatsCertFile.isEmpty())
        return fail("stats-listen", "needs a certificate (--stats-cert and --stats-key, or --cert)");
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
