#pragma once

#include <QString>

#include <optional>

// The session exchange of trelvo-server, before any game message: the player's program says which
// protocol it speaks and who it is, the server accepts it with the connection's id or refuses it with
// a reason. Shared by the server and the host's network seam.
namespace trelvo::net {

inline constexpr int kProtocolVersion = 1;
// The default port of trelvo-server.
inline constexpr quint16 kDefaultPort = 47017;
inline constexpr int kMaxNameLength = 32;

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

// The reason's word on the wire ("version", "name-taken", ...).
QString RefusalWord(TRefusal Reason);
// What a person is told, in plain words, with what to do.
QString RefusalText(TRefusal Reason);

// A name a person may play under: 1 to 32 characters, no control characters, no ";" once the token
// is read back, not only blanks.
bool ValidName(const QString &Name);

} // namespace trelvo::net
