#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <variant>

// What a client sends to the game server: one struct per subcode, a builder that spells it as
// "subcode;payload" (the text after the host's "7;") and one reader for all of them. The reader is
// strict, since the server refuses what it cannot read exactly.
namespace trelvo::msg {

// 2: poll the table list.
struct TTableListRequest {
    bool operator==(const TTableListRequest &) const = default;
};
// 3: create a table with three options.
struct TCreateTableRequest {
    bool Transfer = false;
    bool FirstNotTransfer = false;
    bool MaxFive = false;
    bool operator==(const TCreateTableRequest &) const = default;
};
// 4: leave the waiting room.
struct TExitInviteRequest {
    int TableID = 0;
    bool operator==(const TExitInviteRequest &) const = default;
};
// 5: enter a table of the list.
struct TEnterTableRequest {
    int TableID = 0;
    bool operator==(const TEnterTableRequest &) const = default;
};
// 8: declare or withdraw readiness.
struct TReadyRequest {
    int TableID = 0;
    bool Ready = false;
    bool operator==(const TReadyRequest &) const = default;
};
// 10: attack or throw in a card.
struct TGoRequest {
    int TableID = 0;
    int CardID = 0;
    bool operator==(const TGoRequest &) const = default;
};
// 11: take the table cards.
struct TTakeRequest {
    int TableID = 0;
    bool operator==(const TTakeRequest &) const = default;
};
// 12: done (bito).
struct TBitoRequest {
    int TableID = 0;
    bool operator==(const TBitoRequest &) const = default;
};
// 14: cover the attack card at Place (0 to 5) with a card.
struct TCoverRequest {
    int TableID = 0;
    int CardID = 0;
    int SelectID = 0;
    bool operator==(const TCoverRequest &) const = default;
};
// 18: the client restarted its move clock.
struct TRoundStartRequest {
    int TableID = 0;
    bool operator==(const TRoundStartRequest &) const = default;
};
// 19: transfer the attack with a card of its rank.
struct TTransferRequest {
    int TableID = 0;
    int CardID = 0;
    bool operator==(const TTransferRequest &) const = default;
};
// 20: the answer to the reachability check.
struct TStateConnectedAnswer {
    bool Connected = false;
    QString Kind;
    bool operator==(const TStateConnectedAnswer &) const = default;
};
// 21: the answer to a server information report.
struct TServerInfoAnswer {
    bool Sent = false;
    bool operator==(const TServerInfoAnswer &) const = default;
};
// 22: the client's own statistics report failed; the server may hand it to another client.
struct TRedirectRequest {
    int EndCode = 0;
    QString Name;
    QString ID;
    int Gender = 0;
    QString ServerIP;
    QString LocalUserIP;
    int ScreenSizeX = 0;
    int ScreenSizeY = 0;
    // In the sender's locale (1,25 on a Russian system), so it travels as text.
    QString Scale;
    QString OS;
    QString Kernel;
    int Architecture = 0;
    QString PluginVersion;
    QString ChatVersion;
    QString MD5_CC;
    QString MD5_Plugin;
    QString MD5_GUI;
    bool operator==(const TRedirectRequest &) const = default;
};
// 23: the answer to a redirected report.
struct TRedirectAnswer {
    bool Succeeded = false;
    bool operator==(const TRedirectAnswer &) const = default;
};

using TClientMessage =
    std::variant<TTableListRequest, TCreateTableRequest, TExitInviteRequest, TEnterTableRequest,
                 TReadyRequest, TGoRequest, TTakeRequest, TBitoRequest, TCoverRequest, TRoundStartRequest,
                 TTransferRequest, TStateConnectedAnswer, TServerInfoAnswer, TRedirectRequest,
                 TRedirectAnswer>;

QString Build(const TTableListRequest &M);
QString Build(const TCreateTableRequest &M);
QString Build(const TExitInviteRequest &M);
QString Build(const TEnterTableRequest &M);
QString Build(const TReadyRequest &M);
QString Build(const TGoRequest &M);
QString Build(const TTakeRequest &M);
QString Build(const TBitoRequest &M);
QString Build(const TCoverRequest &M);
QString Build(const TRoundStartRequest &M);
QString Build(const TTransferRequest &M);
QString Build(const TStateConnectedAnswer &M);
QString Build(const TServerInfoAnswer &M);
QString Build(const TRedirectRequest &M);
QString Build(const TRedirectAnswer &M);
QString BuildMessage(const TClientMessage &M);
// The built message without its "subcode;": for a sender that hands fields on to be sent under a
// subcode elsewhere.
QString BuildFields(const TClientMessage &M);

// "subcode;payload" from a client; nothing for an unknown subcode or any malformed field.
std::optional<TClientMessage> ParseClientMessage(QStringView Text);

} // namespace trelvo::msg
