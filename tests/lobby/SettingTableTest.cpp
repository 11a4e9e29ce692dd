#include "LobbyFixture.h"

#include "lobby/WindowSettingTable.h"

#include <vector>

namespace trelvo {
namespace {

struct SettingFixture : test::LobbyFixture {
    TWindowSettingTable *window = nullptr;
    std::vector<TCreateSetting> sent;

    void SetUp() override {
        test::LobbyFixture::SetUp();
        if (IsSkipped())
            return;
        window = new TWindowSettingTable(&form);
        window->SetParent(&form);
        window->OnCreate = [this](TCreateSetting Setting) { sent.push_back(Setting); };
        window->Show();
        Settle();
    }
    // Clicks the switches named by the letters: t transfer, f first round, m five cards.
    void Toggle(const char *switches) {
        for (const char *s = switches; *s; ++s)
            Click(*s == 't'   ? window->CheckBoxTransfer()
                  : *s == 'f' ? window->CheckBoxFNTR()
                              : window->CheckBoxMaxF());
    }
    TCreateSetting Ok() {
        Click(window->Button_Create());
        return sent.empty() ? TCreateSetting{} : sent.back();
    }
};

TEST_F(SettingFixture, Layout) {
    EXPECT_EQ(window->Title(), "Открыть новый стол");
    EXPECT_EQ(window->Width(), 275);
    EXPECT_EQ(window->Height(), 170);
    EXPECT_EQ(window->GroupBox_Setting()->Text(), "Настройки");
    EXPECT_EQ(window->GroupBox_Setting()->Position(), QPointF(15, 30));
    EXPECT_EQ(window->GroupBox_Setting()->Width(), 245);
    EXPECT_EQ(window->CheckBoxTransfer()->Position(), QPointF(40, 20));
    EXPECT_EQ(window->Transfer_Img()->Position(), QPointF(20, 20));
    const float row2 = window->CheckBoxTransfer()->Y() + window->CheckBoxTransfer()->Height();
    EXPECT_EQ(window->First_Not_TR_Img()->Y(), row2);
    EXPECT_EQ(window->CheckBoxFNTR()->Y(), row2);
    const float row3 = row2 + window->CheckBoxFNTR()->Height();
    EXPECT_EQ(window->CheckBoxMaxF()->Y(), row3);
    EXPECT_EQ(window->GroupBox_Setting()->Height(), row3 + window->CheckBoxMaxF()->Height() + 20);
    EXPECT_EQ(window->Button_Create()->Position(), QPointF(195, 135));
    EXPECT_EQ(window->CheckBoxMaxF()->Text(), "Первый кон не более 5 карт");
    EXPECT_EQ(window->CheckBoxFNTR()->Text(), "Первый кон не переводится");
    EXPECT_EQ(window->CheckBoxTransfer()->Text(), "Переводной дурак");
    EXPECT_FALSE(window->CheckBoxFNTR()->Enabled());
}

TEST_F(SettingFixture, OkSendsTheSwitchesAndTheFirstRoundRuleNeedsTransfer) {
    struct Case {
        const char *clicks;
        TCreateSetting expected;
        bool firstRoundEnabled;
    };
    const Case cases[] = {
        {"", {false, false, false}, false},
        {"f", {false, false, false}, false}, // disabled without transfer
        {"tf", {true, true, false}, true},
        {"tft", {false, false, false}, false}, // transfer off unchecks and disables it
        {"tftm", {false, false, true}, false},
        {"tftmt", {true, false, true}, true},
        {"mm", {false, false, false}, false},
    };
    for (const Case &c : cases) {
        SetUp();
        Toggle(c.clicks);
        Settle();
        EXPECT_EQ(Ok(), c.expected) << c.clicks;
        EXPECT_EQ(window->CheckBoxFNTR()->Enabled(), c.firstRoundEnabled) << c.clicks;
        // Each mark ends showing its switch.
        EXPECT_EQ(window->Transfer_Img()->Active(), c.expected.Transfer) << c.clicks;
        EXPECT_EQ(window->First_Not_TR_Img()->Active(), c.expected.First_Not_TR) << c.clicks;
        EXPECT_EQ(window->Max_Five_Img()->Active(), c.expected.Max_Five) << c.clicks;
        EXPECT_FALSE(window->Closing()) << "OK neither closes nor disables the window";
        delete window;
    }
}

TEST_F(SettingFixture, TransferOffFadesTheFirstRoundMarkBack) {
    Toggle("tf");
    Settle();
    Toggle("t");
    EXPECT_TRUE(window->First_Not_TR_Img()->Animation()->Running());
    EXPECT_TRUE(window->Transfer_Img()->Animation()->Running());
    Settle();
    EXPECT_FALSE(window->First_Not_TR_Img()->Active());
}

} // namespace
} // namespace trelvo
