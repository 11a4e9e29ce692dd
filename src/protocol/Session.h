#pragma once

#include "protocol/PlayerName.h"

#include <QString>

#include <optional>
#include <vector>

// The session exchange of trelvo-server, before any game message: the player's program says which
// protocol it speaks and who it is, the server accepts it with the connection's id or refuses it with
// a reason. Shared by the server and the host's network seam.
namespace trelvo::net {

inline constexpr int kProtocolVersion = 1;
// The default port of trelvo-server.
inline constexpr quint16 kDefaultPort = 47017;
// The port of its statistics service (--stats-listen), where trelvo-host --server sends the client's reports.
inline constexpr quint16 kDefaultStatsPort = 47018;

// The server's own stop (SIGTERM, as systemctl stop and restart send it) ends every game in progress
// without a result and then closes each connection with WebSocket close code 1001 ("going away") and
// this reason.
inline const QString kServerStoppedReason =
    QStringLiteral("the server stopped; the games in progress ended without a result");

enum class TRefusal { Version, NameTaken, Full, BadName, Malformed };

// "hello;<version>;<name>;", the name with ";" written as the protocol's token.
struct THello {
    int Version = kProtocolVersion;
    QString Name;
};

// "welcome;<conn>;" or "refused;<reason>;".
struct TSessionAnswer {
    bool Accepted = false;
    int Conn = 0;
    TRefusal Reason = TRefusal::Malformed;
};

QString BuildHello(const THello &Hello);
// Nullopt when the frame is not a hello at all; a hello of another version reads with that version.
std::optional<THello> ParseHello(const QString &Frame);

QString BuildAnswer(const TSessionAnswer &Answer);
std::optional<TSessionAnswer> ParseAnswer(const QString &Frame);

// After the welcome, a logged-in program may ask for the rating table: "top;". The answer is
// "top;<count>;" then name, rating, games and losses of each row, best first, then the asker's own
// rating, games and losses: "top;1;Ann;1516;3;0;1484;2;1;". Ratings are whole numbers.
inline constexpr int kTopRows = 20;
struct TTopRow {
    QString Name;
    int Rating = 0;
    int Games = 0;
    int Losses = 0;
    bool operator==(const TTopRow &) const = default;
};
struct TTopAnswer {
    std::vector<TTopRow> Rows;
    TTopRow Own; // the asker's name is not repeated
    bool operator==(const TTopAnswer &) const = default;
};
inline const QString kTopRequest = QStringLiteral("top;");
QString BuildTopAnswer(const TTopAnswer &Answer);
// Nullopt when the frame is not a well-formed answer of at most kTopRows rows.
std::optional<TTopAnswer> ParseTopAnswer(const QString &Frame);

// The reason's word on the wire ("version", "name-taken", ...).
QString RefusalWord(TRefusal Reason);
// What a person is told, in plain words, with what to do.
QString RefusalText(TRefusal Reason);

// A name a person may play under: 1 to 32 characters, no control characters, no ";" once the token
// is read back, not only blanks.
bool ValidName(const QString &Name);

} // namespace trelvo::net
