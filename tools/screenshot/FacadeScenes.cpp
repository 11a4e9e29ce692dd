#include "FacadeScenes.h"

#include "common/Clock.h"
#include "scene/Graphic.h"

#include <QSize>

namespace trelvo::demo {

namespace {

using scene::TGraphics;

void Settle(int ms) {
    if (auto *manual = dynamic_cast<TManualClock *>(&TClock::Current()))
        manual->Advance(ms);
}

// A facade sized by the "host" with every event bound (it raises them unchecked).
TGraphics *NewFacade(QSize Size) {
    auto *g = new TGraphics();
    g->OnCreateNewTable = [](const TCreateSetting &) {};
    g->OnCloseInvite = [] {};
    g->OnEnterTable = [](int) {};
    g->OnReady = [](bool) {};
    g->OnCardGo = [](uint8_t) {};
    g->OnCardCover = [](uint8_t, uint8_t) {};
    g->OnCardTransfer = [](uint8_t) {};
    g->OnPlayerTakeCard = [] {};
    g->OnPlayerBitoCard = [] {};
    g->OnGetTempCard = [](uint8_t, uint8_t) {};
    g->OnBitoEnd = [] {};
    g->OnRoundStart = [] {};
    g->OnChatResize(Size.height(), Size.width());
    return g;
}

void FillLobby(TGraphics &g) {
    g.ShowTableList();
    TArrTableInfo tables;
    TStatTable stat;
    for (int id = 0; id < 6; ++id) {
        const int players = id % 4;
        tables.push_back(TTableInfo{id, players, id % 2 == 0, false, id == 3});
        (id % 2 == 0 ? stat.CountTrTable : stat.CountNotTrTable) += 1;
        (id % 2 == 0 ? stat.CountTrPlayer : stat.CountNotTrPlayer) += players;
    }
    g.UpdateTableList(tables, stat);
}

void EnterWaitingRoom(TGraphics &g) {
    FillLobby(g);
    g.WindowStart()->OnClickEnterTable(3);
    const TPlayerList players{TPlayer{QStringLiteral("Анна"), true},
                              TPlayer{QStringLiteral("Иван Царевич"), false},
                              TPlayer{QStringLiteral("Вячеслав"), true}, TPlayer{}};
    g.UpdateInviteList(3, players);
    g.UpdateTimerNewTable(12);
    Settle(300);
}

// A player who went out first waits while the other three play on; all four are listed.
void WaitAfterGoingOut(TGraphics &g) {
    FillLobby(g);
    g.CreateNewTable(3, QStringLiteral("Анна"), 1);
    const TPlayerList players{
        TPlayer{QStringLiteral("Анна"), false}, TPlayer{QStringLiteral("Иван Царевич"), true},
        TPlayer{QStringLiteral("Вячеслав"), true}, TPlayer{QStringLiteral("Ольга"), true}};
    g.UpdateInviteList(3, players);
    g.UpdateInviteState(false, true);
    Settle(300);
}

// Every seat ready, the countdown running.
void CountDownAllReady(TGraphics &g) {
    FillLobby(g);
    g.WindowStart()->OnClickEnterTable(3);
    const TPlayerList players{TPlayer{QStringLiteral("Анна"), true},
                              TPlayer{QStringLiteral("Иван Царевич"), true},
                              TPlayer{QStringLiteral("Вячеслав"), true}, TPlayer{}};
    g.UpdateInviteList(3, players);
    g.UpdateInviteState(true, false);
    g.UpdateTimerNewTable(10);
    Settle(300);
}

void PlayOpening(TGraphics &g) {
    EnterWaitingRoom(g);
    g.StartGame(
        QStringLiteral("Иван Царевич"),
        {{QStringLiteral("Иван Царевич"), 1}, {QStringLiteral("Анна"), 2}, {QStringLiteral("Вячеслав"), 3}},
        {kSuitSpades, 7}, 17, 30, {{1, 2, 6}, {2, 1, 9}, {3, 4, 11}, {4, 3, 5}, {5, 1, 13}, {6, 4, 6}});
    // The host's window grows while the game runs; the table follows.
    g.OnChatResize(768, 1024);
    Settle(50);
    // Anna attacks the user, who is to cover.
    g.SetPlayerActive(2, 1);
    g.CoverCard(true);
    g.PlayerGo(2, kSuitClubs, 8);
    g.SetPlayerActive(1, 1);
    Settle(600);
}

TDemoScene Own(TGraphics *g, int shotAtMs) {
    TDemoScene scene;
    scene.form = {&g->Form(), [g](TForm *) { delete g; }};
    scene.shotAtMs = shotAtMs;
    return scene;
}

} // namespace

QStringList FacadeSceneNames() {
    return {QStringLiteral("facade-lobby"), QStringLiteral("facade-waiting"),
            QStringLiteral("facade-waiting-after-out"), QStringLiteral("facade-waiting-counting"),
            QStringLiteral("facade-game")};
}

TDemoScene BuildFacadeScene(const QString &sizedName) {
    // "NAME@WxH" renders at another size of the chat window than 800 x 600.
    const QString name = sizedName.section(u'@', 0, 0);
    const QStringList size = sizedName.section(u'@', 1).split(u'x');
    TGraphics *g = NewFacade(size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()) : QSize(800, 600));
    if (name == QLatin1String("facade-waiting-after-out")) {
        WaitAfterGoingOut(*g);
        return Own(g, 2000);
    }
    if (name == QLatin1String("facade-waiting-counting")) {
        CountDownAllReady(*g);
        return Own(g, 2000);
    }
    if (name == QLatin1String("facade-lobby")) {
        FillLobby(*g);
        return Own(g, 300);
    }
    if (name == QLatin1String("facade-waiting")) {
        EnterWaitingRoom(*g);
        return Own(g, 2000);
    }
    PlayOpening(*g);
    return Own(g, 250);
}

} // namespace trelvo::demo
