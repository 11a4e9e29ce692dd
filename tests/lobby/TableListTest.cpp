#include "LobbyFixture.h"

#include "lobby/WindowStart.h"

#include <string>
#include <vector>

namespace trelvo {
namespace {

TTableInfo Table(int id, int players = 1, bool transfer = false, bool fntr = false, bool maxf = false) {
    return TTableInfo{id, players, transfer, fntr, maxf};
}

struct TableListFixture : test::LobbyFixture {
    TWindowStart *lobby = nullptr;
    std::vector<int> entered;
    int created = 0;

    void SetUp() override {
        test::LobbyFixture::SetUp();
        if (IsSkipped())
            return;
        lobby = new TWindowStart(&form);
        lobby->SetParent(&form);
        lobby->OnClickEnterTable = [this](int ID) { entered.push_back(ID); };
        lobby->OnClickCreateTable = [this] { ++created; };
        lobby->Show();
        lobby->Repaint();
    }
    TTableList *List() const { return lobby->TableList(); }
    // The table IDs of the rows in row order, each row in view checked to stand at its slot and to show
    // its table.
    std::vector<int> Rows() const {
        std::vector<int> ids;
        for (int i = 0; i < List()->RowCount(); ++i) {
            ids.push_back(List()->RowTable(i).ID);
            if (TPicButtonServer *row = List()->Row(i)) {
                EXPECT_FLOAT_EQ(row->Y(), 32.0f * i) << "row " << i;
                EXPECT_EQ(row->Number(), ids.back()) << "row " << i;
            }
        }
        return ids;
    }
    // Row widgets in the scroll box.
    int RowWidgets() const {
        int count = 0;
        for (TSceneObject *child : List()->ScrollBox()->Content()->Children())
            count += dynamic_cast<TPicButtonServer *>(child) ? 1 : 0;
        return count;
    }
    void Update(const TArrTableInfo &tables, TStatTable stat = {}) { lobby->UpdateTableList(tables, stat); }
};

TEST_F(TableListFixture, LobbyBlockIsCentredWithTheButtonBelowTheList) {
    EXPECT_EQ(List()->Width(), 545);
    EXPECT_EQ(List()->Height(), 365) << "300 of rows, 25 of headers, 40 of counts";
    EXPECT_EQ(List()->ScrollBox()->Height(), 300);
    EXPECT_EQ(List()->ScrollBox()->Y(), 25);
    EXPECT_EQ(lobby->Button_OpenTable()->Width(), 200) << "the picture's size";
    EXPECT_EQ(lobby->Button_OpenTable()->Height(), 50);
    // (800 - 545) / 2 = 127.5 and (600 - 365 - 50 - 10) / 2 = 87.5 go to the even neighbours.
    EXPECT_EQ(List()->Position(), QPointF(128, 88));
    EXPECT_EQ(lobby->Button_OpenTable()->Position(), QPointF(300, 88 + 365 + 10));
    EXPECT_EQ(List()->Line_Bottom()->Y(), 325);
    EXPECT_EQ(List()->Layout_Bottom()->Y(), 325);
    EXPECT_EQ(List()->Layout_Bottom()->Height(), 40);
    form.SetSize(1280, 1024);
    lobby->Repaint();
    EXPECT_EQ(List()->Position(), QPointF(368, 300));
}

TEST_F(TableListFixture, RowsAreReconciledWithoutReordering) {
    struct Step {
        const char *what;
        TArrTableInfo tables;
        std::vector<int> rows;
    };
    const Step steps[] = {
        {"three tables", {Table(10), Table(11), Table(12)}, {10, 11, 12}},
        {"the first gone: the last fills its slot", {Table(12), Table(11)}, {12, 11}},
        {"a new table goes to the bottom", {Table(13), Table(11), Table(12)}, {12, 11, 13}},
        {"the middle gone and one added", {Table(14), Table(12), Table(13)}, {12, 13, 14}},
        {"the first two gone: the moved row is visited too", {Table(14)}, {14}},
        {"an empty list removes every row", {}, {}},
        {"rows come back in the order received", {Table(3), Table(1), Table(2)}, {3, 1, 2}},
    };
    for (const Step &step : steps) {
        Update(step.tables);
        EXPECT_EQ(Rows(), step.rows) << step.what;
        EXPECT_EQ(RowWidgets(), static_cast<int>(step.rows.size())) << step.what;
    }
}

TEST_F(TableListFixture, ARowShowsTheTableAndOnlyChangedSeatsFade) {
    Update({Table(4, 2, true, true, false)});
    TPicButtonServer *row = List()->Row(0);
    EXPECT_EQ(row->NumberText()->Text(), "5") << "tables are shown as ID + 1";
    EXPECT_EQ(row->Position(), QPointF(10, 0));
    EXPECT_EQ(row->Width(), 510);
    EXPECT_EQ(row->Height(), 30);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(row->Seat(k)->Active(), k > 2) << "seat " << k << " free";
        EXPECT_FLOAT_EQ(row->Seat(k)->X(), 400 + 3 + 15 * (k - 1));
    }
    EXPECT_EQ(row->Transfer_Img()->X(), 250);
    EXPECT_EQ(row->First_Not_TR_Img()->X(), 272);
    EXPECT_EQ(row->Max_Five_Img()->X(), 294);
    clock.Advance(500);

    Update({Table(4, 3, true, true, false)});
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(row->Seat(k)->Animation()->Running(), k == 3) << "only seat 3 changes, seat " << k;
        EXPECT_EQ(row->Seat(k)->Hint(), "3 игрока");
        EXPECT_TRUE(row->Seat(k)->ShowHint());
    }
    clock.Advance(500);
    EXPECT_FALSE(row->Seat(3)->Active());
    EXPECT_EQ(List()->Row(0), row) << "the same row, updated in place";
}

TEST_F(TableListFixture, SeatsOfATableWithoutPlayersShowFree) {
    Update({Table(1, 0), Table(2, 4)});
    clock.Advance(500);
    auto shows = [](const TIcon *seat, const char *name) {
        const auto argb = [](const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32); };
        return argb(seat->Bitmap()) == argb(LoadBitmap(QString::fromLatin1(name)));
    };
    for (int k = 1; k <= 4; ++k) {
        EXPECT_TRUE(List()->Row(0)->Seat(k)->Active()) << k;
        EXPECT_TRUE(shows(List()->Row(0)->Seat(k), "Icon_Player_2")) << "free, seat " << k;
        EXPECT_EQ(List()->Row(0)->Seat(k)->Hint(), "игроков");
        EXPECT_TRUE(shows(List()->Row(1)->Seat(k), "Icon_Player_1")) << "taken, seat " << k;
    }
    Update({Table(1, 0), Table(2, 0)});
    clock.Advance(500);
    for (int k = 1; k <= 4; ++k)
        EXPECT_TRUE(shows(List()->Row(1)->Seat(k), "Icon_Player_2")) << "emptied again, seat " << k;
}

TEST(PlayerCountTextTest, RussianPlurals) {
    const std::pair<int, const char *> cases[] = {{0, "игроков"},  {1, "1 игрок"},  {2, "2 игрока"},
                                                  {3, "3 игрока"}, {4, "4 игрока"}, {5, "игроков"}};
    for (const auto &[count, text] : cases)
        EXPECT_EQ(PlayerCountText(count), QString::fromUtf8(text)) << count;
}

// The hint of each rule mark names the rule in the state the mark shows; the first-round mark of a
// throw-in table, where nothing is transferred, names the variant.
TEST_F(TableListFixture, RuleMarksAndTheirHints) {
    struct Case {
        bool transfer, fntr, maxf;
        const char *transferHint, *firstRoundHint, *maxFiveHint;
    };
    const Case cases[] = {
        {false, false, false, "Подкидной", "Подкидной", "Первый кон не более 6 карт"},
        {true, false, false, "Переводной", "Первый кон с переводом", "Первый кон не более 6 карт"},
        {true, true, true, "Переводной", "Первый кон не переводится", "Первый кон не более 5 карт"},
        {false, false, true, "Подкидной", "Подкидной", "Первый кон не более 5 карт"},
    };
    for (const Case &c : cases) {
        for (bool viaUpdate : {false, true}) {
            if (viaUpdate)
                Update({Table(1, 1, !c.transfer, !c.fntr && !c.transfer, !c.maxf)});
            else
                Update({});
            Update({Table(1, 1, c.transfer, c.fntr, c.maxf)});
            TPicButtonServer *row = List()->Row(0);
            const std::string what =
                std::string(c.firstRoundHint) + (viaUpdate ? " (changed)" : " (new row)");
            EXPECT_EQ(row->Transfer_Img()->Active(), c.transfer) << what;
            EXPECT_EQ(row->First_Not_TR_Img()->Active(), c.fntr) << what;
            EXPECT_EQ(row->Max_Five_Img()->Active(), c.maxf) << what;
            EXPECT_EQ(row->Transfer_Img()->Hint(), QString::fromUtf8(c.transferHint)) << what;
            EXPECT_EQ(row->First_Not_TR_Img()->Hint(), QString::fromUtf8(c.firstRoundHint)) << what;
            EXPECT_EQ(row->Max_Five_Img()->Hint(), QString::fromUtf8(c.maxFiveHint)) << what;
            clock.Advance(500);
        }
    }
}

TEST_F(TableListFixture, ClickingARowItsMarksOrTheButton) {
    Update({Table(0), Table(7, 4, true), Table(2)});
    Click(List()->Row(1));
    Click(List()->Row(0)->Transfer_Img());
    Click(List()->Row(2)->Seat(4));
    Click(List()->Row(1)->NumberText());
    EXPECT_EQ(entered, (std::vector<int>{7, 0, 2, 7})) << "a full table too: the server decides";
    EXPECT_EQ(List()->Row(0)->NumberText()->Text(), "1") << "table 0 has its number";
    Click(lobby->Button_OpenTable());
    EXPECT_EQ(created, 1);
    EXPECT_EQ(entered.size(), 4u);

    // Pressed on a mark and released outside the row: no click.
    const QPointF mark = List()->Row(0)->Max_Five_Img()->LocalToAbsolute({5, 5});
    form.PointerMove(mark);
    form.PointerDown(TMouseButton::Left, mark);
    form.PointerUp(TMouseButton::Left, mark + QPointF(0, 200));
    EXPECT_EQ(entered.size(), 4u);
}

TEST_F(TableListFixture, TwelveTablesScrollAndTheLastRowCanBeEntered) {
    TArrTableInfo tables;
    for (int id = 0; id < 12; ++id)
        tables.push_back(Table(id, id % 5, id % 2 == 0));
    Update(tables);
    ASSERT_EQ(List()->RowCount(), 12);
    TScrollBox *box = List()->ScrollBox();
    EXPECT_GT(box->ContentHeight(), box->Height()) << "more than nine rows exceed the 300 of the box";
    EXPECT_EQ(List()->Row(11), nullptr) << "below the visible part: no widget yet";
    const QPointF inside = box->LocalToAbsolute({100, 150});
    form.PointerWheel(-120 * 4, inside);
    EXPECT_GT(box->ViewportY(), 0);
    TPicButtonServer *last = List()->Row(11);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->NumberText()->Text(), "12");
    EXPECT_LE(last->AbsoluteRect().bottom(), box->AbsoluteRect().bottom() + 0.5);
    EXPECT_EQ(List()->Row(0), nullptr) << "scrolled out of view";
    Click(last);
    EXPECT_EQ(entered, std::vector<int>{11});
    Rows();
}

// A game server may list thousands of tables: only the rows in view have widgets, and a short list
// that replaces a long one leaves no widgets of the long one behind.
TEST_F(TableListFixture, OnlyTheRowsInViewHaveWidgets) {
    TArrTableInfo tables;
    for (int id = 0; id < 1000; ++id)
        tables.push_back(Table(id, id % 5, id % 2 == 0));
    Update(tables);
    EXPECT_EQ(List()->RowCount(), 1000);
    EXPECT_LE(RowWidgets(), 11) << "300 of height shows ten rows at most, eleven while scrolled";
    EXPECT_GT(List()->ScrollBox()->ContentHeight(), 32 * 999) << "the scroll box spans every row";
    // Scrolled to the end, the last rows have the widgets, each showing its own table.
    List()->ScrollBox()->ScrollTo(1e6f);
    ASSERT_NE(List()->Row(999), nullptr);
    EXPECT_EQ(List()->Row(999)->NumberText()->Text(), "1000");
    EXPECT_EQ(List()->Row(999)->CountPlayer(), 999 % 5);
    EXPECT_TRUE(List()->Row(998)->Transfer_Img()->Active());
    EXPECT_EQ(List()->Row(0), nullptr);
    EXPECT_LE(RowWidgets(), 11);
    Click(List()->Row(995));
    EXPECT_EQ(entered, std::vector<int>{995});
    Rows();
    Update({Table(5000, 2)});
    EXPECT_EQ(List()->RowCount(), 1);
    EXPECT_EQ(RowWidgets(), 1);
    EXPECT_EQ(List()->Row(0)->Number(), 5000);
    EXPECT_FLOAT_EQ(List()->ScrollBox()->ContentHeight(), 30);
}

TEST_F(TableListFixture, CountsStripIsLaidOutFromItsTextWidths) {
    auto *list = List();
    auto right = [](const TText *t) { return t->X() + t->Width(); };
    auto check = [&](const char *what) {
        for (int g = 0; g < 2; ++g) {
            TText *total = list->StatText(g, 0, 1), *totalValue = list->StatText(g, 0, 2);
            TText *tr = list->StatText(g, 1, 1), *trValue = list->StatText(g, 1, 2);
            TText *notTr = list->StatText(g, 2, 1), *notTrValue = list->StatText(g, 2, 2);
            EXPECT_FLOAT_EQ(totalValue->X(), right(total) + 3) << what << g;
            EXPECT_FLOAT_EQ(tr->X(), right(totalValue) + 10) << what << g;
            EXPECT_FLOAT_EQ(trValue->X(), right(tr) + 3) << what << g;
            EXPECT_FLOAT_EQ(notTr->X(), tr->X()) << what << g;
            EXPECT_FLOAT_EQ(notTrValue->X(), trValue->X()) << what << g;
            EXPECT_EQ(tr->Y(), 5);
            EXPECT_EQ(notTr->Y(), 17);
        }
        EXPECT_FLOAT_EQ(list->StatText(1, 0, 1)->X(), right(list->StatText(0, 2, 2)) + 20) << what;
        EXPECT_FLOAT_EQ(list->Layout_Text_Bottom()->Width(), right(list->StatText(1, 1, 2))) << what;
        EXPECT_NEAR(list->Layout_Text_Bottom()->X() + list->Layout_Text_Bottom()->Width() / 2, 545 / 2.0, 0.5)
            << what << ": centred";
    };
    check("at creation");
    EXPECT_EQ(list->StatText(0, 0, 1)->Text(), "Столов:");
    EXPECT_EQ(list->StatText(1, 2, 1)->Text(), "Подкидные:");
    const float playersLeft = list->StatText(1, 0, 1)->X();

    Update({Table(1)}, TStatTable{7, 5, 3, 1});
    EXPECT_EQ(list->StatText(0, 0, 2)->Text(), "12");
    EXPECT_EQ(list->StatText(0, 1, 2)->Text(), "7");
    EXPECT_EQ(list->StatText(0, 2, 2)->Text(), "5");
    EXPECT_EQ(list->StatText(1, 0, 2)->Text(), "4");
    EXPECT_EQ(list->StatText(1, 1, 2)->Text(), "3");
    EXPECT_EQ(list->StatText(1, 2, 2)->Text(), "1");
    EXPECT_GT(list->StatText(1, 0, 1)->X(), playersLeft) << "a two-digit total pushes what follows";
    check("after the counts");

    Update({});
    EXPECT_EQ(list->RowCount(), 0);
    EXPECT_EQ(list->StatText(0, 0, 2)->Text(), "0");
}

// Numbers near the top of the integer range come from a game server like any other: the table shown
// as ID + 1 and the totals of the counts are written without wrapping round.
TEST_F(TableListFixture, NumbersAtTheEdgeOfTheRangeAreShownWhole) {
    Update({Table(2147483647, 1, true)}, TStatTable{2147483646, 2, 0, 0});
    EXPECT_EQ(List()->Row(0)->NumberText()->Text(), "2147483648");
    EXPECT_EQ(List()->StatText(0, 0, 2)->Text(), "2147483648") << "tables: 2147483646 + 2";
    Update({}, TStatTable{0, 0, 2147483646, 2});
    EXPECT_EQ(List()->StatText(1, 0, 2)->Text(), "2147483648") << "players: 2147483646 + 2";
    Update({}, TStatTable{-2147483647 - 1, -1, 0, 0});
    EXPECT_EQ(List()->StatText(0, 0, 2)->Text(), "-2147483649");
}

TEST_F(TableListFixture, UpdatesWhileClosedAreIgnoredAndAReopenedLobbyStartsEmpty) {
    Update({Table(1), Table(2)}, TStatTable{1, 1, 2, 2});
    lobby->Close();
    EXPECT_FALSE(lobby->Valid());
    EXPECT_EQ(lobby->TableList(), nullptr);
    Update({Table(3)});
    lobby->Repaint();
    lobby->Show();
    lobby->Show(); // a second Show builds nothing more
    EXPECT_EQ(lobby->Children().size(), 2u);
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_EQ(List()->StatText(0, 0, 2)->Text(), "0");
    Update({Table(3)});
    Click(List()->Row(0));
    EXPECT_EQ(entered, std::vector<int>{3}) << "the handlers are bound again";
}

} // namespace
} // namespace trelvo
