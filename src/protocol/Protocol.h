#pragma once

#include "common/Exceptions.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>

// The text protocol spoken with the host plug-in and, inside host code 7, with the game server.
// Everything here is a pure function: readers, converters and message builders.
namespace trelvo {

// Host codes received from the plug-in.
namespace HostIn {
constexpr int kChatResize = 1;
constexpr int kShowGUI = 2;
constexpr int kHideGUI = 3;
constexpr int kShowGUI2 = 4;
constexpr int kSetPlayerInfo = 5;
constexpr int kParentWindow = 6;
constexpr int kServerMessage = 7;
constexpr int kExitServerBot = 8;
constexpr int kServerBotNotConnected = 9;
constexpr int kShowAboutForm = 26;
} // namespace HostIn

// Host codes sent to the plug-in (code 7 carries game-server messages both ways).
namespace HostOut {
constexpr int kServerMessage = 7;
constexpr int kCheckVersionResult = 11;
constexpr int kStopPlugin = 22;
constexpr int kError = 23;
constexpr int kTextError = 25;
} // namespace HostOut

// Game-server subcodes received.
namespace ServerIn {
constexpr int kCheckVersion = 1;
constexpr int kResponseTableList = 2;
constexpr int kCreateNewTable = 3;
constexpr int kPlayerExitInvite = 4;
constexpr int kErrorEnterTable = 5;
constexpr int kChangeTable = 6;
constexpr int kUpdTimerNewTable = 7;
constexpr int kStartGame = 9;
constexpr int kPlayerGo = 10;
constexpr int kPlayerTake = 11;
constexpr int kPlayerBito = 12;
constexpr int kAllPlayerBito = 13;
constexpr int kPlayerCover = 14;
constexpr int kEndGame = 15;
constexpr int kPlayerExitGame = 16;
constexpr int kCheckInternet = 20;
constexpr int kSendServerInfo = 21;
constexpr int kRedirectPlayerInfo = 22;
} // namespace ServerIn

// Game-server subcodes sent.
namespace ServerOut {
constexpr int kTableList = 2;
constexpr int kCreateNewTable = 3;
constexpr int kExitInvite = 4;
constexpr int kEnterTable = 5;
constexpr int kPlayerReady = 8;
constexpr int kPlayerGo = 10;
constexpr int kPlayerTake = 11;
constexpr int kPlayerBito = 12;
constexpr int kPlayerCover = 14;
constexpr int kRoundStart = 18;
constexpr int kPlayerTransfer = 19;
constexpr int kStateConnected = 20;
constexpr int kSendSrvInfo = 21;
constexpr int kRedirectPlayerInfo = 22;
constexpr int kEndRedirectPlayerInfo = 23;
} // namespace ServerOut

// The host's pipe, on the local machine: the client connects to it, the host plug-in listens on it.
inline constexpr const char *kHostPipeName = "{05093645-25FA-49B3-B318-E73C28980D2C}";

// The token that stands for ";" inside player names.
inline const QString kSemicolonToken = QStringLiteral("$r^e%p#l&a-c=e@");

// Host-layer reader. Pos is 1-based. Reads up to the next ";" and moves Pos past it; a last field
// without ";" is read to the end; past the end Field is empty and Pos stays.
void GetField(QString &Field, const QString &Text, int &Pos);

// Game-server-layer reader. A field without a terminating ";" reads as empty and Pos returns to 1,
// so a further read starts again at the first field.
void NextServerField(QString &Field, const QString &Text, int &Pos);
// The same field as a view into Text, without a copy: valid while Text is unchanged.
QStringView NextServerFieldView(const QString &Text, int &Pos);

// Strict integer conversion of the host layer: a 32-bit decimal with an optional sign (leading blanks
// allowed). Anything else raises EConvertError "'<text>' is not a valid integer value".
int StrToInt(const QString &Text);
// The same rule without raising: false (and Value 0) when Text is not an integer.
bool TryStrToInt(QStringView Text, int &Value);

// Ids, card ids, suits and the like: only the low 8 bits count ("-1" and "255" are both 255).
inline uint8_t LowByte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}
// A server player id compares as a signed byte, so 255 (-1) never matches a player.
inline int8_t SignedByte(int value) {
    return static_cast<int8_t>(LowByte(value));
}
// Incoming flags: any non-zero low byte is true.
inline bool Flag(int value) {
    return LowByte(value) != 0;
}
// Outgoing Booleans.
inline QString BoolText(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString EscapeSemicolon(const QString &Text);
QString UnescapeSemicolon(const QString &Text);

// Floats use the system locale's decimal separator (1,25 on a Russian system).
QString FloatToText(double value);
// Raises EConvertError "'<text>' is not a valid floating point value".
double TextToFloat(const QString &Text);

// The wire code page: Windows-1251. Characters it cannot hold become "?".
QByteArray EncodeAnsi(const QString &Text);
QString DecodeAnsi(const QByteArray &Bytes);

// "code;payload" and "7;subcode;payload"; the payload goes as given.
QString BuildHostMessage(int code, const QString &payload);
QString BuildServerMessage(int subcode, const QString &payload);

} // namespace trelvo
