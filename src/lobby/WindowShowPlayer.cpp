#include "WindowShowPlayer.h"

#include "common/Exceptions.h"
#include "kit/Round.h"

#include <iterator>
#include <string>

namespace trelvo {

namespace {

TText *AddHeader(TControl *parent, const QString &text, float left, float top) {
    auto *header = AddTo<TText>(parent);
    header->SetFontSize(12);
    header->SetBold(true);
    header->SetWordWrap(false);
    header->SetAutoSize(true);
    header->SetText(text);
    header->SetPosition(left, top);
    return header;
}

const TResBut kReadyPictures{QStringLiteral("Button_Ready_1"), QStringLiteral("Button_Ready_1"),
                             QStringLiteral("Button_Ready_2"), QStringLiteral("Button_Ready_3")};
const TResBut kNoReadyPictures{QStringLiteral("Button_NoReady_1"), QStringLiteral("Button_NoReady_1"),
                               QStringLiteral("Button_NoReady_2"), QStringLiteral("Button_NoReady_3")};

float Bottom(const TControl *c) {
    return c->Y() + c->Height();
}

} // namespace

// --- TListLine ------------------------------------------------------------------------------

TListLine::TListLine(TSceneObject *AOwner, bool type_line, float aStateLeft, float aStateWidth)
    : TLayout(AOwner), FStateLeft(aStateLeft), FStateWidth(aStateWidth) {
    if (type_line) {
        FImage = AddTo<TImageEx>(this);
        FImage->SetAlign(TAlignLayout::Client);
        FImage->SetWrapMode(TImageWrapMode::Stretch);
        FImage->SetHitTest(false);
        FImage->LoadFromResources(QStringLiteral("Background_TableList"));
    }
    auto label = [this](float left) {
        auto *text = AddTo<TText>(this);
        text->SetWordWrap(false);
        text->SetAutoSize(true);
        text->SetAlign(TAlignLayout::Vertical);
        text->SetX(left);
        return text;
    };
    FLabel_Name = label(30);
    FLabel_State = label(0);
    FLabel_Number = label(10);
}

void TListLine::SetState(bool value) {
    FState = value;
    if (!value) {
        FLabel_State->SetText(QString());
        return;
    }
    FLabel_State->SetText(QStringLiteral("Готов!"));
    const float left = (FStateWidth - FLabel_State->Width()) / 2 + FStateLeft;
    if (left != FLabel_State->X())
        FLabel_State->SetX(left);
}

void TListLine::SetNumber(uint8_t value) {
    FLabel_Number->SetText(QString::number(value) + QStringLiteral("."));
}

// --- TWindowShowPlayer ----------------------------------------------------------------------

TWindowShowPlayer::TWindowShowPlayer(TSceneObject *AOwner) : TWindow(AOwner) {
    FWinState_Image = AddTo<TImageEx>(this);
    FWinState_Image->SetWrapMode(TImageWrapMode::Stretch);
    FWinState_Image->SetHitTest(false);
    FWinState_Image->SetPosition(kBodyInset, kTitleHeight);
    FWinState_Image->SetHeight(40);
    FWinState_Image->SetVisible(false);

    const float headerTop = kTitleHeight + 40 + 10;
    FLabel_Number = AddHeader(this, QStringLiteral("№"), 40, headerTop);
    FLabel_Name =
        AddHeader(this, QStringLiteral("Имя"), FLabel_Number->X() + FLabel_Number->Width() + 15, headerTop);
    FLabel_State = AddHeader(this, QStringLiteral("Состояние"), FLabel_Name->X() + FLabel_Name->Width() + 250,
                             headerTop);

    FLine_Top = AddTo<TLine>(this);
    FLine_Top->SetHitTest(false);
    FLine_Top->SetBounds(10, Bottom(FLabel_Number) + 10, FLine_Top->Width(), 2);

    float top = FLine_Top->Y() + 10;
    for (int i = 0; i < 4; ++i) {
        // Lines 1 and 3 carry the grey background, so the seats read as stripes.
        auto *line = new TListLine(this, i % 2 == 0, FLabel_State->X() - 35, FLabel_State->Width());
        line->SetParent(this);
        line->SetBounds(35, top, 400, 20);
        line->SetNumber(static_cast<uint8_t>(i + 1));
        FListLine[static_cast<size_t>(i)] = line;
        top = Bottom(line);
    }

    FLine_Bottom = AddTo<TLine>(this);
    FLine_Bottom->SetHitTest(false);
    FLine_Bottom->SetBounds(10, Bottom(FListLine[3]) + 10, FLine_Bottom->Width(), 2);

    FText_Time = AddTo<TText>(this);
    FText_Time->SetAutoSize(true);
    FText_Time->SetWordWrap(false);
    FText_Time->SetFontSize(14);
    FText_Time->SetHitTest(false);
    FText_Time->SetPosition(40, FLine_Bottom->Y() + 25);
    FText_Time->SetVisible(false);
    FText_Time->SetText(QStringLiteral("20"));

    FAniIndicator = AddTo<TBusyIndicator>(FText_Time);
    FAniIndicator->SetSize(55, 55);
    FAniIndicator->SetAlign(TAlignLayout::Center);

    FText_Ready = AddTo<TText>(this);
    FText_Ready->SetAutoSize(true);
    FText_Ready->SetWordWrap(false);
    FText_Ready->SetFontSize(14);
    FText_Ready->SetHitTest(false);
    FText_Ready->SetText(QStringLiteral("Ожидание Вашей готовности"));
    // Right of the spinning indicator (which is centred on the countdown at 40), with a small gap so
    // that the message does not touch its dots.
    FText_Ready->SetPosition(FAniIndicator->Width() + FAniIndicator->X() + FText_Time->X() + kReadyTextGap,
                             FLine_Bottom->Y() + 25);

    FText_Time->SetText(QString());
    FText_Time->SetVisible(true);

    FButton_Ready = new TPicButton(this, kReadyPictures);
    FButton_Ready->SetParent(this);
    FButton_Ready->SetStretch(true);
    FButton_Ready->SetSize(100, 35);
    FButton_Ready->SetY(static_cast<float>(Round((FText_Ready->Height() - 35) / 2.0)) + FText_Ready->Y());
    FButton_Ready->OnPicClick = [this] { ToggleReady(); };

    FTimer_Invite = std::make_unique<TTimer>();
    FTimer_Invite->SetEnabled(false);
    FTimer_Invite->SetInterval(kTimerInviteMs);
    FTimer_Invite->OnTimer = [this](TTimer *) { TimerTick(); };
}

TWindowShowPlayer::~TWindowShowPlayer() {
    FTimer_Invite->SetEnabled(false);
}

void TWindowShowPlayer::SetWidth(float w) {
    TWindow::SetWidth(w);
    FLine_Bottom->SetWidth(w - 20);
    FLine_Top->SetWidth(w - 20);
    FWinState_Image->SetWidth(w - 2 * kBodyInset);
    FButton_Ready->SetX(w - FButton_Ready->Width() - 20);
}

void TWindowShowPlayer::SetPlayerList(const TPlayerList &PlayerList) {
    bool seated = false, allReady = true;
    for (size_t i = 0; i < FListLine.size(); ++i) {
        FListLine[i]->SetName(PlayerList[i].Playrname);
        FListLine[i]->SetState(PlayerList[i].PlayerState);
        if (!PlayerList[i].Playrname.isEmpty()) {
            seated = true;
            allReady = allReady && PlayerList[i].PlayerState;
        }
    }
    FAllSeatedReady = seated && allReady;
    ShowReadiness();
}

void TWindowShowPlayer::SetTableID(int value) {
    FTableID = value;
    SetTitle(QStringLiteral("Стол ") + QString::number(value));
}

void TWindowShowPlayer::SetPlayerWin(uint16_t value) {
    static const char *const pictures[] = {"Icon_Player_Lose", "Icon_Player_Win", "Icon_Player_Draw",
                                           "Icon_Player_New_Table"};
    // Any other value names no picture: it fails like a wrong picture name, keeping the banner.
    if (value >= std::size(pictures))
        throw EAssetNotFound("no result banner for " + std::to_string(value));
    FWinState_Image->LoadFromResources(QString::fromLatin1(pictures[value]));
    FWinState_Image->SetVisible(true);
}

void TWindowShowPlayer::ToggleReady() {
    FStateReady = !FStateReady;
    ShowReadiness();
    if (OnReady)
        OnReady(FStateReady);
}

void TWindowShowPlayer::SetInviteState(bool Ready, bool GameRuns) {
    FStateReady = Ready;
    FGameRuns = GameRuns;
    ShowReadiness();
}

void TWindowShowPlayer::ShowReadiness() {
    const TResBut &pictures = FStateReady ? kNoReadyPictures : kReadyPictures;
    if (FButton_Ready->ImgName().Waiting != pictures.Waiting)
        FButton_Ready->SetImgName(pictures);
    FButton_Ready->SetEnabled(!FFrozen && !FGameRuns);
    // Its disabled picture is its normal one: faded, it shows that it waits for the game's end.
    FButton_Ready->SetOpacity(FGameRuns ? kRestingOpacity : 1);
    QString text;
    if (FGameRuns)
        text = QStringLiteral("Соперники доигрывают партию");
    else if (!FStateReady)
        text = QStringLiteral("Ожидание Вашей готовности");
    else if (!(FCountdownRuns && FAllSeatedReady))
        text = QStringLiteral("Ожидание готовности соперников");
    // Everybody ready with the countdown running: the countdown alone says what comes.
    if (FText_Ready->Text() != text)
        FText_Ready->SetText(text);
}

void TWindowShowPlayer::Freeze(bool frozen) {
    FFrozen = frozen;
    SetCanClose(!frozen);
    ShowReadiness();
}

void TWindowShowPlayer::ShowTime() {
    FText_Time->SetText(QString::asprintf("%.2d", FTime_Invite));
}

void TWindowShowPlayer::StartTimerInvite(int Time) {
    if (FTimer_Invite->Enabled())
        FTimer_Invite->SetEnabled(false);
    FTime_Invite = Time;
    FCountdownRuns = true;
    Freeze(Time == kFreezeSeconds);
    ShowTime();
    FTimer_Invite->SetEnabled(true);
    FAniIndicator->SetEnabled(true);
}

void TWindowShowPlayer::StopTimerInvite() {
    FTimer_Invite->SetEnabled(false);
    FCountdownRuns = false;
    Freeze(false);
    FAniIndicator->SetEnabled(false);
    FText_Time->SetText(QString());
}

void TWindowShowPlayer::TimerTick() {
    if (FTime_Invite > 0) {
        --FTime_Invite;
        if (FTime_Invite == kFreezeSeconds) {
            Freeze(true);
            // Not ready when readiness freezes: the player leaves the table.
            if (!FStateReady) {
                FTimer_Invite->SetEnabled(false);
                CloseWindow();
                return;
            }
        }
    } else {
        FTimer_Invite->SetEnabled(false);
    }
    ShowTime();
}

} // namespace trelvo
