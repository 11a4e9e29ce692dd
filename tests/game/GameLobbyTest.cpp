#include "GameFixture.h"

#include "protocol/Protocol.h"

#include <algorithm>

using namespace trelvo;
using namespace trelvo::test;

namespace {

const std::string kPluginOutdated =
    "ShowMessage(Версия игры,Ваша версия 1.30 плагина не актуальна. Обратитесь к "
    "администратору с целью получения актуальной версии.)";
const std::string kSameComputer =
    "ShowMessage(Стол,Вход невозможен. Одновременная игра с одного компьютера запрещена.)";

int CountOf(const Lines &lines, const std::string &line) {
    return int(std::count(lines.begin(), lines.end(), line));
}

} // namespace

class GameLobby : public GameFixture {};

TEST_F(GameLobby, VersionCheck) {
    struct Case {
        const char *payload;
        Lines out;
        int state;
    };
    const Case cases[] = {
        {"1;5;abc;",
         {"Stats.SetPlayerID(abc)", "ShowTableList()", "Stats.Send()", "CheckVersionResult(5)"},
         1},
        {"0;", {kPluginOutdated, "CheckVersionResult(-1)"}, 0},
        // A broken status reads as 0: the error first, then the outdated-plug-in message.
        {"x;", {"OnError(0)", kPluginOutdated, "CheckVersionResult(-1)"}, 0},
        {"2;",
         {"ShowMessage(Версия чата,Ваша версия клиентской части чата \"7.1\" устарела. Обновите чат и "
          "повторите попытку.)",
          "CheckVersionResult(-1)"},
         0},
        {"7;", {"CheckVersionResult(-1)"}, 0},
        // A bad echo is answered with 0.
        {"1;e;abc;",
         {"OnError(0)", "Stats.SetPlayerID(abc)", "ShowTableList()", "Stats.Send()", "CheckVersionResult(0)"},
         1},
    };
    for (const Case &c : cases) {
        MakeGame();
        Game->SetCCVersion(QStringLiteral("7.1"));
        Log.Clear();
        Server(1, c.payload);
        EXPECT_EQ(Take(), c.out) << c.payload;
        EXPECT_EQ(Game->State(), c.state) << c.payload;
    }
}

TEST_F(GameLobby, RefusedVersionKeepsTheStateAndStartsNoPolling) {
    Drive(2);
    Server(1, "0;");
    EXPECT_EQ(Game->State(), 2);
    Take();
    Clock.Advance(20000);
    EXPECT_TRUE(Log.Empty());
}

TEST_F(GameLobby, PollsTheTableListAfter500MsThenEvery5000Ms) {
    Server(1, "1;5;abc;");
    Take();
    std::vector<int64_t> polls;
    Game->OnTableList = [&] { polls.push_back(Clock.Now()); };
    Clock.Advance(20600);
    EXPECT_EQ(polls, (std::vector<int64_t>{500, 5500, 10500, 15500, 20500}));
}

TEST_F(GameLobby, VersionAcceptedAgainRestartsTheLobbyTimers) {
    Server(1, "1;5;abc;");
    std::vector<int64_t> polls;
    Game->OnTableList = [&] { polls.push_back(Clock.Now()); };
    Clock.Advance(3000);
    Server(1, "1;5;abc;");
    Clock.Advance(10000);
    // Never two polls within 5000 ms: the old timer is gone.
    EXPECT_EQ(polls, (std::vector<int64_t>{500, 3500, 8500}));
}

TEST_F(GameLobby, IdleLobbySendsStopPluginOnceAndStopsPolling) {
    Server(1, "1;5;abc;");
    Take();
    // Moving around inside the lobby does not restart the idle timer.
    Clock.Advance(300000);
    Game->OnResponseTableList("0;0;0;0;0;");
    Clock.Advance(300000);
    Lines out = Take();
    EXPECT_EQ(CountOf(out, "OnStopPlugin()"), 1);
    EXPECT_EQ(out.back(), "OnStopPlugin()");
    // Polls at 500, 5500, ... 595500.
    EXPECT_EQ(CountOf(out, "OnTableList()"), 120);
    Clock.Advance(10000000);
    EXPECT_TRUE(Log.Empty());
    EXPECT_EQ(Game->State(), 1);
}

TEST_F(GameLobby, TableListOnlyInTheLobby) {
    struct Case {
        const char *payload;
        Lines out;
    };
    const Case cases[] = {
        {"0;1;2;3;4;", {"UpdateTableList([],{1,2,3,4})"}},
        {"2;1;0;5;3;3;1;0;0;0;7;4;256;257;-1;",
         {"UpdateTableList([3:1:0:0:0,7:4:0:1:1],{1,0,5,3})"}}, // flags count by their low byte
        {"1;0;0;0;0;x;2;1;0;0;", {"OnError(0)", "UpdateTableList([0:2:1:0:0],{0,0,0,0})"}},
        // The table list is not terminated: the reader returns to the first field.
        {"1;9;9;9;9;4;2", {"OnError(0)", "UpdateTableList([4:0:1:1:1],{9,9,9,9})"}},
    };
    for (const Case &c : cases) {
        Drive(1);
        Game->OnResponseTableList(c.payload);
        EXPECT_EQ(Take(), c.out) << c.payload;
    }
}

TEST_F(GameLobby, NegativeTableCountIsRefusedWithoutABoxAndUpdatesNothing) {
    // A game server's value out of range must not reach the user as an error box: the box would hold
    // the pipe's worker and the client would stop answering its host.
    Drive(1);
    EXPECT_NO_THROW(Game->OnResponseTableList("-1;0;0;0;0;"));
    EXPECT_TRUE(Log.Empty());
}

TEST_F(GameLobby, HugeCountsAreCutAtThePayload) {
    // A count of two billion must neither allocate nor loop that often.
    Drive(1);
    Game->OnResponseTableList("2000000000;0;0;0;0;1;2;0;0;0;");
    Lines out = Take();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back().rfind("UpdateTableList([1:2:0:0:0,", 0), 0u);
    // Entries of bad fields: no more answers than the payload has fields (five fields an entry).
    QString bad = QStringLiteral("999;0;0;0;0;");
    for (int i = 0; i < 50; ++i)
        bad += QStringLiteral("x;");
    Game->OnResponseTableList(bad);
    out = Take();
    EXPECT_LE(CountOf(out, "OnError(0)"), 55) << "one answer at most for each field";
    EXPECT_EQ(std::count(out.back().begin(), out.back().end(), ':') / 4, 11) << "55 fields hold 11 entries";
    Drive(2);
    Game->ChangeTable("12;2000000000;0;Ann;1;");
    out = Take();
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[out.size() - 2].rfind("UpdateInviteList(", 0), 0u);
    EXPECT_EQ(out.back(), "UpdateInviteState(1,0)");
}

TEST_F(GameLobby, CreatingATable) {
    Drive(1);
    Gfx->OnCreateNewTable(TCreateSetting{true, false, false});
    EXPECT_EQ(Take(), Lines({"OnCreateNewTable(1;0;0;)"}));
    EXPECT_EQ(Game->State(), 2);
    Clock.Advance(1000000);
    EXPECT_TRUE(Log.Empty()) << "the lobby timers must be stopped";

    Gfx->OnCreateNewTable(TCreateSetting{false, true, true});
    EXPECT_EQ(Take(), Lines({"OnCreateNewTable(0;1;1;)"}));

    Server(3, "12");
    EXPECT_EQ(Take(), Lines({"CreateNewTable(12,Ann,3)"}));
    EXPECT_EQ(Game->TableID(), 12);
}

TEST_F(GameLobby, CreatedTableIdWithTerminatorIsAnError) {
    Drive(2);
    Server(3, "12;");
    EXPECT_EQ(Take(), Lines({"OnError(0)", "CreateNewTable(0,Ann,3)"}));
    EXPECT_EQ(Game->TableID(), 0);
}

TEST_F(GameLobby, RefusedCreationKeepsStateTwoWithoutPolling) {
    Drive(1);
    Gfx->OnCreateNewTable(TCreateSetting{});
    Take();
    Server(3, "-1");
    EXPECT_EQ(Take(), Lines({"CloseSettingCreateTable(-1)", kSameComputer}));
    EXPECT_EQ(Game->State(), 2);
    EXPECT_EQ(Game->TableID(), -1);
    Clock.Advance(1000000);
    EXPECT_TRUE(Log.Empty());
    // The player enters a table from the list: that request goes, still no polling.
    Gfx->OnEnterTable(4);
    EXPECT_EQ(Take(), Lines({"OnEnterTable(4)"}));
}

TEST_F(GameLobby, EnteringATableStopsPolling) {
    Drive(1);
    Gfx->OnEnterTable(7);
    EXPECT_EQ(Take(), Lines({"OnEnterTable(7)"}));
    EXPECT_EQ(Game->State(), 2);
    Clock.Advance(1000000);
    EXPECT_TRUE(Log.Empty());
    // The table number comes with the first waiting-room update.
    Server(6, "7;1;0;Ann;0;");
    EXPECT_EQ(Game->TableID(), 7);
}

TEST_F(GameLobby, RefusedEntryReturnsToThePollingLobby) {
    struct Case {
        const char *payload;
        Lines out;
    };
    const Case cases[] = {
        {"1;",
         {"ShowMessage(Стол,Вход невозможен. Набор в данный стол уже был закрыт.)",
          "SetEnableEnterTable(1)"}},
        {"2;",
         {"ShowMessage(Стол,Вход невозможен. Данный стол уже полность заполнен игроками.)",
          "SetEnableEnterTable(1)"}},
        {"3;", {kSameComputer, "SetEnableEnterTable(1)"}},
        {"4;", {"SetEnableEnterTable(1)"}},
        {"x;", {"OnError(0)", "SetEnableEnterTable(1)"}},
    };
    for (const Case &c : cases) {
        Drive(1);
        Gfx->OnEnterTable(7);
        Clock.Advance(10000);
        Take();
        Server(5, c.payload);
        EXPECT_EQ(Take(), c.out) << c.payload;
        EXPECT_EQ(Game->State(), 1);
        Clock.Advance(500);
        EXPECT_EQ(Take(), Lines({"OnTableList()"})) << c.payload;
    }
}

TEST_F(GameLobby, WaitingRoomSeats) {
    struct Case {
        const char *payload;
        std::string out;
        std::string own; // this player's readiness as the button shows it
    };
    const Case cases[] = {
        {"12;2;0;Ann;1;2;Bob;0;", "UpdateInviteList(12,[Ann+,-,Bob-,-])", "UpdateInviteState(1,0)"},
        // Names are unescaped in any letter case; a slot outside 0..3 is skipped.
        {"3;3;1;A$r^e%p#l&a-c=e@B;5;0;Ann;0;4;Cid;1;", "UpdateInviteList(3,[Ann-,A;B+,-,-])",
         "UpdateInviteState(0,0)"},
        {"3;1;3;A$R^E%P#L&A-C=E@B;0;", "UpdateInviteList(3,[-,-,-,A;B-])", "UpdateInviteState(0,0)"},
        // A seat without a name is never ready.
        {"5;1;2;;1;", "UpdateInviteList(5,[-,-,-,-])", "UpdateInviteState(0,0)"},
        {"5;0;", "UpdateInviteList(5,[-,-,-,-])", "UpdateInviteState(0,0)"},
        {"5;-3;", "UpdateInviteList(5,[-,-,-,-])", "UpdateInviteState(0,0)"},
    };
    for (const Case &c : cases) {
        Drive(2);
        Server(6, c.payload);
        EXPECT_EQ(Take(), Lines({c.out, c.own})) << c.payload;
    }
}

TEST_F(GameLobby, WaitingRoomTimerAndReadiness) {
    Drive(2);
    Server(7, "30;");
    Server(7, "0;");
    Gfx->OnReady(true);
    Gfx->OnReady(false);
    EXPECT_EQ(Take(), Lines({"UpdateTimerNewTable(30)", "UpdateTimerNewTable(0)", "OnPlayerReady(12,1)",
                             "OnPlayerReady(12,0)"}));
    // The countdown is passed on in every state.
    Drive(0);
    Server(7, "9;");
    EXPECT_EQ(Take(), Lines({"UpdateTimerNewTable(9)"}));
}

TEST_F(GameLobby, LeavingTheWaitingRoom) {
    Drive(2);
    Gfx->OnCloseInvite();
    EXPECT_EQ(Take(), Lines({"OnExitInvite(12)"}));
    EXPECT_EQ(Game->State(), 1);
    EXPECT_EQ(Game->TableID(), -1);
    Clock.Advance(500);
    EXPECT_EQ(Take(), Lines({"OnTableList()"}));
}

TEST_F(GameLobby, ClosedByTheServer) {
    for (int state : {0, 2, 3}) {
        Drive(state);
        Server(4, "");
        EXPECT_EQ(Take(),
                  Lines({"KickInvite()",
                         "ShowMessage(Стол,Стол был автоматически закрыт из-за бездействия игроков.)"}));
        EXPECT_EQ(Game->State(), 1);
        EXPECT_EQ(Game->TableID(), state >= 2 ? 12 : 0);
        Clock.Advance(500);
        EXPECT_EQ(Take(), Lines({"OnTableList()"}));
    }
}

TEST_F(GameLobby, ServerBot) {
    Drive(1);
    Game->ExitServerBot();
    EXPECT_EQ(Take(), Lines({"ShowMessage(Сервер,Серверный бот вышел из канала. Ожидаем его возвращение.)",
                             "StopGame()"}));
    EXPECT_EQ(Game->State(), 1);
    Clock.Advance(1000000);
    EXPECT_TRUE(Log.Empty());
    Game->ServerBotNotConnected();
    EXPECT_EQ(Take(), Lines({"ShowMessage(Сервер,Серверный бот отсутствует в чате. Ожидаем его вход.)"}));
    // Play resumes with the next version check.
    Server(1, "1;5;abc;");
    Take();
    Clock.Advance(500);
    EXPECT_EQ(Take(), Lines({"OnTableList()"}));
}

TEST_F(GameLobby, AboutWindowOpensOnceAtATime) {
    Game->ShowAboutForm();
    Game->ShowAboutForm();
    EXPECT_EQ(Take(), Lines({"About.Show()"}));
    EXPECT_EQ(TFakeAboutForm::LiveCount(), 1);
    LastAbout->Close();
    EXPECT_EQ(Take(), Lines({"About.Destroy()"}));
    Game->ShowAboutForm();
    EXPECT_EQ(Take(), Lines({"About.Show()"}));
    // The controller takes an open window with it.
    Game.reset();
    EXPECT_EQ(Take(), Lines({"About.Destroy()"}));
    EXPECT_EQ(TFakeAboutForm::LiveCount(), 0);
}

TEST_F(GameLobby, HostDataGoesToTheScreenAndTheStatistics) {
    Game->SetPlayerInfo(QStringLiteral("Ann"), QStringLiteral("10.0.0.2"), 257);
    Game->SetServerIP(QStringLiteral("srv"));
    Game->SetCCVersion(QStringLiteral("7.1"));
    Game->SetMD5_CC(QStringLiteral("cc"));
    Game->SetMD5_Plugin(QStringLiteral("pl"));
    Game->ShowGUI();
    Game->SetParentWindow(4711);
    Game->OnChatResize(480, 640);
    Game->HideGUI();
    EXPECT_EQ(Take(), Lines({"Stats.SetPlayerInfo(Ann,10.0.0.2,1)", "Stats.SetServerIP(srv)",
                             "Stats.SetChatVersion(7.1)", "Stats.SetMD5_CC(cc)", "Stats.SetMD5_Plugin(pl)",
                             "ShowGUI()", "SetParentWindow(4711)", "OnChatResize(480,640)", "HideGUI()"}));
}

TEST_F(GameLobby, EventPropertiesReachTheirServices) {
    Lines out;
    Game->SetOnTextError([&](const QString &e) { out.push_back("TextError(" + e.toStdString() + ")"); });
    Game->SetOnStateConnected(
        [&](bool &c, const QString &k) { out.push_back("Connected(" + N(c) + "," + k.toStdString() + ")"); });
    Game->SetOnSendSrvInfo([&](bool s) { out.push_back("SrvInfo(" + N(s) + ")"); });
    Game->SetOnRedirectPlayerInfo(
        [&](const QString &d) { out.push_back("Redirect(" + d.toStdString() + ")"); });
    Game->SetOnEndRedirectPlayerInfo([&](bool s) { out.push_back("EndRedirect(" + N(s) + ")"); });
    Gfx->OnTextError(QStringLiteral("boom"));
    bool connected = true;
    Stats->OnStateConnected(connected, QStringLiteral("k"));
    Stats->OnSendSrvInfo(false);
    Stats->OnRedirect(QStringLiteral("4;Ann;"));
    Stats->OnEndSendRedirect(true);
    EXPECT_EQ(out, Lines({"TextError(boom)", "Connected(1,k)", "SrvInfo(0)", "Redirect(4;Ann;)",
                          "EndRedirect(1)"}));
}

TEST_F(GameLobby, StatisticsRequests) {
    Server(20, "probe7;");
    Server(21, "2.0;aa;bb;1.30;");
    EXPECT_EQ(Take(),
              Lines({"Stats.CheckInternetConnected(probe7)", "Stats.SendServerInfo(2.0,aa,bb,1.30)"}));

    const QString scale = FloatToText(1.25);
    Server(22, QStringLiteral("3;A$R^E%P#L&A-C=E@B;p9;1;srv;10.0.0.9;1920;1080;") + scale +
                   QStringLiteral(";Linux;6.1.0;2;1.30;7.1;cc;pl;gui;"));
    EXPECT_EQ(Take(), Lines({"Stats.SendRedirect(A;B)"}));
    TStatInfo expected;
    expected.KindPost = 3;
    expected.Name = QStringLiteral("A;B");
    expected.ID = QStringLiteral("p9");
    expected.Gender = 1;
    expected.ServerIP = QStringLiteral("srv");
    expected.LocalUserIP = QStringLiteral("10.0.0.9");
    expected.ScreenSizeX = 1920;
    expected.ScreenSizeY = 1080;
    expected.Scale = 1.25f;
    expected.OS = QStringLiteral("Linux");
    expected.Kernel = QStringLiteral("6.1.0");
    expected.Architecture = 2;
    expected.PluginVersion = QStringLiteral("1.30");
    expected.ChatVersion = QStringLiteral("7.1");
    EXPECT_EQ(Stats->LastRedirect, expected);
}

TEST_F(GameLobby, RedirectWithABadScaleIsRefusedWithOneAnswerAndNeverForwarded) {
    // A report whose scale cannot be read is not sent on with a scale made up; nor does it open a box,
    // which would hold the pipe. The host hears of it once, although the gender is bad too.
    struct Case {
        const char *gender, *scale;
    };
    for (const Case c : {Case{"x", "wide"}, Case{"1", ""}, Case{"1", "1.2.3"}}) {
        const QString payload =
            QStringLiteral("3;Ann;p9;%1;srv;ip;1920;1080;%2;Linux;6.1;2;1.30;7.1;").arg(c.gender, c.scale);
        EXPECT_NO_THROW(Server(22, payload)) << c.scale;
        EXPECT_EQ(Take(), Lines({"OnError(0)"})) << c.scale;
    }
    // A good one after it goes on as ever.
    Server(22, "3;Ann;p9;1;srv;ip;1920;1080;1;Linux;6.1;2;1.30;7.1;");
    EXPECT_EQ(Take(), Lines({"Stats.SendRedirect(Ann)"}));
}

TEST_F(GameLobby, APollWhoseRequestEndsTheLobbyPollsNoMore) {
    Server(1, "1;5;abc;");
    // The request is handled synchronously; whatever it leads to may take the poll timer away.
    Game->OnTableList = [this] {
        Log.Add("OnTableList()");
        Gfx->OnEnterTable(4);
    };
    Clock.Advance(100000);
    EXPECT_EQ(Take(), Lines({"Stats.SetPlayerID(abc)", "ShowTableList()", "Stats.Send()",
                             "CheckVersionResult(5)", "OnTableList()", "OnEnterTable(4)"}));
}
