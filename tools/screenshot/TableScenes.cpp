#include "TableScenes.h"

#include "scene/Table.h"

#include "lobby/PicButton.h"

namespace trelvo::demo {

namespace {

using scene::TTable;

struct TSeatDeal {
    uint8_t seat;
    const char *name;
    int backs;
};

// A form with the table cloth and a table dealt as the facade deals a game.
TTable *DealTable(TDemoScene &out, float w, float h, const std::vector<TCardID> &own,
                  const std::vector<TSeatDeal> &others, uint8_t deck) {
    out.form = std::make_unique<TForm>();
    TForm *form = out.form.get();
    form->SetSize(w, h);
    auto *cloth = new TImageEx(form);
    cloth->SetParent(form);
    cloth->SetAlign(TAlignLayout::Client);
    cloth->SetWrapMode(TImageWrapMode::Stretch);
    cloth->LoadFromResources(QStringLiteral("Background_Table"));
    auto *table = new TTable(form);
    table->SetParent(form);
    table->SetPlayerName(QStringLiteral("Иван Царевич"));
    table->SetTrump(kSuitHearts, 9);
    table->SetDeck(deck);
    table->SetTimeGo(30);
    for (const TCardID &card : own)
        table->AddPlayerCard(kOwnSeat, card.ID, card.Suit, card.Dignity);
    for (const TSeatDeal &seat : others) {
        table->AddPlayer(seat.seat, QString::fromUtf8(seat.name));
        for (int i = 0; i < seat.backs; ++i)
            table->AddPlayerCard(seat.seat, 0, 0, 0);
    }
    table->Repaint();
    return table;
}

const std::vector<TSeatDeal> kFour = {
    {2, "Лиса Патрикеевна", 6}, {3, "Михаил Потапыч", 5}, {4, "Серый Волк", 7}};

// Trump hearts. 7 and jack of diamonds, 9 and king of clubs, queen and 10 of spades, 6 and ace of hearts.
const std::vector<TCardID> kOwnHand = {{1, 2, 6},  {2, 2, 10}, {3, 1, 8}, {4, 1, 12},
                                       {5, 4, 11}, {6, 4, 9},  {7, 3, 5}, {8, 3, 13}};

void Settle(TClock &clock, int ms) {
    // Builders run on the manual clock of the caller; flights land before the picture's moment.
    if (auto *manual = dynamic_cast<TManualClock *>(&clock))
        manual->Advance(ms);
}

// Mid-game: seat 2 attacked seat 3 with three cards, two are covered, seat 4 throws in a card that
// is still in the air, and the user may throw in too (the queen lights) or end with bito.
void BuildMidGame(TDemoScene &out, float w = 1024, float h = 768) {
    TTable *table = DealTable(out, w, h, kOwnHand, kFour, 14);
    table->PlayerActive(2, kNoSeat);
    table->PlayerGo(2, 1, 5);
    table->PlayerCover(3, 0, 1, 11);
    table->PlayerGo(2, 2, 5);
    table->PlayerCover(3, 1, 3, 6); // the seven of trumps
    table->PlayerGo(2, 4, 5);
    Settle(TClock::Current(), 3000);
    table->PlayerActive(4, 3);
    table->PlayerGo(4, 4, 7); // the eight of spades, still in the air
    table->PlayerActive(1, kNoSeat);
    table->ShowBitoButton();
    table->ShowCanGiveCard();
    out.shotAtMs = 250;
}

// The user defends against a 10 of clubs and may transfer it with the 10 of spades.
void BuildTransfer(TDemoScene &out) {
    TTable *table = DealTable(out, 1024, 768, kOwnHand, kFour, 14);
    table->PlayerActive(4, 1);
    table->SetTableState(TTable::kStateCover);
    table->SetTransfer(true);
    table->PlayerGo(4, 1, 9);
    table->PlayerActive(1, 1);
    out.shotAtMs = 700;
}

// The user takes the queen of hearts; seat 3 throws in the queen of diamonds meanwhile.
void BuildTake(TDemoScene &out) {
    TTable *table = DealTable(out, 1024, 768, kOwnHand, kFour, 6);
    table->PlayerActive(2, 1);
    table->SetTableState(TTable::kStateCover);
    table->PlayerGo(2, 3, 11);
    table->PlayerActive(1, 1);
    Settle(TClock::Current(), 1500);
    table->ShowPlayerTake(1);
    table->SetTableState(TTable::kStateTaking);
    table->PlayerActive(3, 1);
    table->PlayerGo(3, 2, 11);
    out.shotAtMs = 600;
}

// A round ended in a discard: the plate counts down over the covered cards.
void BuildRoundEnd(TDemoScene &out) {
    TTable *table = DealTable(out, 1024, 768, kOwnHand, kFour, 14);
    table->PlayerActive(3, kNoSeat);
    table->PlayerGo(3, 1, 7);
    table->PlayerCover(4, 0, 1, 10);
    table->PlayerGo(3, 2, 7);
    table->PlayerCover(4, 1, 3, 7); // the eight of trumps
    Settle(TClock::Current(), 1000);
    table->PlayerTake(kNoSeat, 4);
    out.shotAtMs = 1200;
}

// The user leads: every card lit and the your-turn cue at its brightest.
void BuildYourTurn(TDemoScene &out) {
    TTable *table = DealTable(out, 1024, 768, kOwnHand, kFour, 14);
    table->PlayerActive(1, kNoSeat);
    table->ShowCanGiveCard();
    out.shotAtMs = 600;
}

// Late in a game every opponent refilled to seven cards (the counts set without a layout of the
// table, as the refill after a bout sets them), all marks shown: the plates and pointers beside the hands.
void BuildSevenCards(TDemoScene &out, float w, float h) {
    TTable *table = DealTable(
        out, w, h, kOwnHand, {{2, "Лиса Патрикеевна", 1}, {3, "Михаил Потапыч", 1}, {4, "Серый Волк", 1}}, 6);
    for (uint8_t seat = 2; seat <= 4; ++seat)
        table->SetPlayerCountCard(seat, 7);
    table->PlayerActive(3, kNoSeat);
    table->ShowPlayerTake(2);
    out.shotAtMs = 600;
}

TTable *TableOf(const TDemoScene &scene) {
    for (TSceneObject *child : scene.form->Children())
        if (auto *table = dynamic_cast<TTable *>(child))
            return table;
    return nullptr;
}

} // namespace

QStringList TableSceneNames() {
    return {QStringLiteral("table"),
            QStringLiteral("table-800x600"),
            QStringLiteral("table-transfer"),
            QStringLiteral("table-take"),
            QStringLiteral("table-round-end"),
            QStringLiteral("table-your-turn"),
            QStringLiteral("table-seven-800x600"),
            QStringLiteral("table-seven-1600x1200")};
}

bool BuildTableScene(const QString &name, TDemoScene &scene) {
    if (name == QLatin1String("table"))
        BuildMidGame(scene);
    else if (name == QLatin1String("table-800x600"))
        BuildMidGame(scene, 800, 600);
    else if (name == QLatin1String("table-transfer"))
        BuildTransfer(scene);
    else if (name == QLatin1String("table-take"))
        BuildTake(scene);
    else if (name == QLatin1String("table-round-end"))
        BuildRoundEnd(scene);
    else if (name == QLatin1String("table-your-turn"))
        BuildYourTurn(scene);
    else if (name == QLatin1String("table-seven-800x600"))
        BuildSevenCards(scene, 800, 600);
    else if (name == QLatin1String("table-seven-1600x1200"))
        BuildSevenCards(scene, 1600, 1200);
    else
        return false;
    return true;
}

TDemoScene BuildTableInFlight() {
    TDemoScene scene;
    TTable *table = DealTable(scene, 1280, 1024, kOwnHand, kFour, 14);
    table->PlayerActive(2, kNoSeat);
    RestartTableFlights(scene);
    return scene;
}

void RestartTableFlights(TDemoScene &scene) {
    TTable *table = TableOf(scene);
    if (!table)
        return;
    scene::TPlayingPlace *place = table->PlayingPlace();
    place->MoveBito(1);
    for (uint8_t i = 0; i < scene::TPlayingPlace::kSlots; ++i) {
        place->MoveCard(static_cast<uint8_t>(2 + i % 3), static_cast<uint8_t>(1 + i % 4),
                        static_cast<uint8_t>(1 + i), true, i);
        place->MoveCard(1, static_cast<uint8_t>(1 + (i + 1) % 4), static_cast<uint8_t>(7 + i), false, i);
    }
}

} // namespace trelvo::demo
