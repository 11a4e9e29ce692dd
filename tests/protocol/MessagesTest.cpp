#include "protocol/ClientMessages.h"
#include "protocol/ServerMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trelvo::msg;

namespace {

template <typename Variant> std::string Show(const std::optional<Variant> &M) {
    return M ? BuildMessage(*M).toStdString() : std::string("<malformed>");
}

struct ClientCase {
    TClientMessage message;
    const char *text;
};

// Every request a client sends, spelled exactly as it travels after "7;".
const ClientCase kClientCases[] = {
    {TTableListRequest{}, "2;1;"},
    {TCreateTableRequest{true, false, false}, "3;1;0;0;"},
    {TCreateTableRequest{false, true, true}, "3;0;1;1;"},
    {TExitInviteRequest{12}, "4;12"},
    {TEnterTableRequest{0}, "5;0"},
    {TReadyRequest{7, true}, "8;7;1;"},
    {TReadyRequest{7, false}, "8;7;0;"},
    {TGoRequest{3, 10}, "10;3;10;"},
    {TTakeRequest{3}, "11;3;"},
    {TBitoRequest{3}, "12;3;"},
    {TCoverRequest{3, 12, 0}, "14;3;12;0;"},
    {TRoundStartRequest{3}, "18;3;"},
    {TTransferRequest{3, 7}, "19;3;7;"},
    {TStateConnectedAnswer{true, "ping"}, "20;1;ping;"},
    {TServerInfoAnswer{false}, "21;0;"},
    {TRedirectRequest{4, "A;B", "p42", 1, "srv", "10.0.0.2", 1920, 1080, "1,25", "Linux", "6.1", 64, "1.30",
                      "7.1", "cc", "pl", "gui"},
     "22;4;A$r^e%p#l&a-c=e@B;p42;1;srv;10.0.0.2;1920;1080;1,25;Linux;6.1;64;1.30;7.1;cc;pl;gui;"},
    {TRedirectAnswer{true}, "23;1;"},
};

TEST(ClientMessages, EveryRequestIsSpelledExactlyAndReadsBack) {
    for (const ClientCase &c : kClientCases) {
        EXPECT_EQ(BuildMessage(c.message).toStdString(), c.text);
        // The fields alone are what follows the subcode (a two-digit subcode too).
        const std::string text = c.text;
        EXPECT_EQ(BuildFields(c.message).toStdString(), text.substr(text.find(';') + 1));
        const auto parsed = ParseClientMessage(QString::fromUtf8(c.text));
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_TRUE(*parsed == c.message) << c.text << " read back as " << Show(parsed);
    }
}

TEST(ClientMessages, MalformedRequestsAreRefused) {
    const char *bad[] = {
        "",                  // no subcode
        "10",                // no ";" after the subcode
        "x;3;10;",           // subcode not a number
        "10;3;",             // card missing
        "10;3;10",           // last field without ";"
        "10;3;1x;",          // not a number
        "10; 3;10;",         // blanks are not part of a number
        "10;+3;10;",         // nor is a plus sign
        "10;3;10;9;",        // a field too many
        "3;1;0;2;",          // a flag is 0 or 1
        "4;12;",             // the exit request has no ";" after the table
        "5;",                // nor has the entry request, and it needs a table
        "8;7;yes;",          // readiness is 1 or 0
        "14;3;12;",          // cover without the place
        "10;99999999999;1;", // beyond 32 bits
        "99;1;",             // unknown subcode
        "22;4;A;p42;",       // a short redirect
    };
    for (const char *text : bad)
        EXPECT_FALSE(ParseClientMessage(QString::fromUtf8(text))) << text;
}

TEST(ClientMessages, NegativeIdsRead) {
    EXPECT_EQ(Show(ParseClientMessage(u"4;-1")), "4;-1");
    EXPECT_EQ(Show(ParseClientMessage(u"10;-1;-2147483648;")), "10;-1;-2147483648;");
}

struct ServerCase {
    TServerMessage message;
    const char *text;
};

const ServerCase kServerCases[] = {
    {TVersionCheck{1, 5, "abc"}, "1;1;5;abc;"},
    {TTableList{0, 1, 0, 2, {{3, 2, false, false, false}}}, "2;1;0;1;0;2;3;2;0;0;0;"},
    {TTableList{2, 0, 5, 0, {{0, 3, true, true, false}, {1, 2, true, false, true}}},
     "2;2;2;0;5;0;0;3;1;1;0;1;2;1;0;1;"},
    {TTableList{}, "2;0;0;0;0;0;"},
    {TTableCreated{12}, "3;12"},
    {TTableCreated{-1}, "3;-1"},
    {TTableClosed{}, "4;"},
    {TEntryRefused{2}, "5;2;"},
    {TWaitingRoom{3, {{0, "Bob", true}, {1, "C;d", false}, {2, "Ann", false}}},
     "6;3;3;0;Bob;1;1;C$r^e%p#l&a-c=e@d;0;2;Ann;0;"},
    {TCountdown{10}, "7;10;"},
    {TCountdown{0}, "7;0;"},
    {TGameStart{30, {{0, "Ann"}, {1, "Bob"}}, 0, 4, 13, 24, {{7, 1, 5}, {8, 3, 11}}},
     "9;2;30;0;Ann;1;Bob;0;4;13;24;2;7;1;5;8;3;11;"},
    {TCardPlayed{0, 2, 3, 10, true}, "10;0;2;3;10;1;"},
    {TTaken{1, 2}, "11;1;2;"},
    {TPassed{1}, "12;1;"},
    {TBoutEnd{true, kNobody, 2, 16, {{0, 6}, {1, 6}, {2, 6}}, {{16, 3, 7}}},
     "13;1;255;2;16;3;0;6;1;6;2;6;1;16;3;7;"},
    {TBoutEnd{false, 1, 0, 0, {{0, 0}, {1, 9}}, {}}, "13;0;1;0;0;2;0;0;1;9;0;"},
    {TCovered{0, 2, 0, 0, false, 0, 0}, "14;0;2;0;0;"},
    {TCovered{2, 1, 1, 3, true, 4, 12}, "14;2;1;1;3;4;12;"},
    {TGameResult{1, 0}, "15;1;0;"},
    {TGameResult{3, 0}, "15;3;"},
    {TPlayerLeft{1, false, 0}, "16;1;0;0;"},
    {TPlayerLeft{2, true, kNobody}, "16;2;"},
    {TReachabilityCheck{"1"}, "20;1;"},
    {TServerInfo{"1.0", "a", "b", "1.30"}, "21;1.0;a;b;1.30;"},
    {TRedirectedInfo{{4, "A;B", "p42", 1, "srv", "10.0.0.2", 1920, 1080, "1,25", "Linux", "6.1", 64, "1.30",
                      "7.1", "cc", "pl", "gui"}},
     "22;4;A$r^e%p#l&a-c=e@B;p42;1;srv;10.0.0.2;1920;1080;1,25;Linux;6.1;64;1.30;7.1;cc;pl;gui;"},
};

TEST(ServerMessages, EveryReportIsSpelledExactlyAndReadsBack) {
    for (const ServerCase &c : kServerCases) {
        EXPECT_EQ(BuildMessage(c.message).toStdString(), c.text);
        const auto parsed = ParseServerMessage(QString::fromUtf8(c.text));
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_TRUE(*parsed == c.message) << c.text << " read back as " << Show(parsed);
    }
}

TEST(ServerMessages, MalformedReportsAreRefused) {
    const char *bad[] = {
        "3;12;",                             // the created table is one bare integer
        "6;3;-1;",                           // a negative count
        "6;3;5;0;Bob;1;",                    // a count the payload cannot hold
        "9;2;30;0;Ann;1;Bob;0;4;13;24;200;", // as many cards as a byte, none there
        "13;1;255;2;16;1;0;6;1;",            // a drawn card without its face
        "14;0;2;0;",                         // cover without its place
        "14;0;2;0;0;4;",                     // a face without its dignity
        "15;1;",                             // a result without ShowNow
        "16;1;0;",                           // another player's leaving without the next id
        "17;1;",                             // unknown subcode
    };
    for (const char *text : bad)
        EXPECT_FALSE(ParseServerMessage(QString::fromUtf8(text))) << text;
}

// Only the first fourteen fields of a redirected report are read by a client; older senders stop there.
TEST(ServerMessages, ARedirectedReportMayEndAfterTheChatVersion) {
    const auto m = ParseServerMessage(u"22;4;A;p42;1;srv;10.0.0.2;1920;1080;1,25;Linux;6.1;64;1.30;7.1;");
    ASSERT_TRUE(m);
    EXPECT_EQ(std::get<TRedirectedInfo>(*m).Info.ChatVersion, QStringLiteral("7.1"));
    EXPECT_TRUE(std::get<TRedirectedInfo>(*m).Info.MD5_GUI.isEmpty());
}

} // namespace
