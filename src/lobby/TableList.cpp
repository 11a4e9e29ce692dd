#include "TableList.h"

#include "kit/Round.h"

#include <algorithm>

namespace trelvo {

namespace {

// Hints of the rule marks: the active text is the option's own name in the settings window.
const char *const kHintTransferOn = "Переводной";
const char *const kHintTransferOff = "Подкидной";
const char *const kHintFirstNotTrOn = "Первый кон не переводится";
const char *const kHintFirstTrOff = "Первый кон с переводом";
const char *const kHintMaxFiveOn = "Первый кон не более 5 карт";
const char *const kHintMaxSixOff = "Первый кон не более 6 карт";

TText *AddLabel(TControl *parent, const QString &text, bool bold) {
    auto *label = AddTo<TText>(parent);
    label->SetBold(bold);
    label->SetWordWrap(false);
    label->SetAutoSize(true);
    label->SetHitTest(false);
    label->SetText(text);
    return label;
}

} // namespace

QString PlayerCountText(int count) {
    if (count == 1)
        return QStringLiteral("1 игрок");
    if (count >= 2 && count <= 4)
        return QString::number(count) + QStringLiteral(" игрока");
    return QStringLiteral("игроков");
}

// --- TPicButtonServer -----------------------------------------------------------------------

TPicButtonServer::TPicButtonServer(TSceneObject *AOwner, const TResBut &aImg, float player_count_left)
    : TPicButton(AOwner, aImg) {
    for (int k = 1; k <= 4; ++k) {
        TIcon *seat = AddIcon(player_count_left + 3 + 15 * (k - 1), QStringLiteral("Icon_Player_1"),
                              QStringLiteral("Icon_Player_2"), TImageWrapMode::Stretch);
        // Inactive is a taken seat, active a free one; seats release the pointer like the row.
        seat->SetAutoCapture(false);
        // A new row has no players yet: every seat starts free, so that a table listed with no
        // players does not show four taken seats.
        seat->LoadFromResources(QStringLiteral("Icon_Player_2"));
        seat->SetActive(true);
        seat->SetHint(PlayerCountText(0));
        FImage[static_cast<size_t>(k - 1)] = seat;
    }

    FNumberText = AddTo<TText>(this);
    FNumberText->SetWordWrap(false);
    FNumberText->SetAutoSize(true);
    FNumberText->SetPosition(40, 8);
    FNumberText->SetBold(true);
    FNumberText->SetHitTest(false);

    FTransfer_Img = AddIcon(250, QStringLiteral("Icon_Transfer_Off"), QStringLiteral("Icon_Transfer_On"),
                            TImageWrapMode::Original);
    FTransfer_Img->SetHint(QString::fromUtf8(kHintTransferOff));
    FFirst_Not_TR_Img =
        AddIcon(FTransfer_Img->X() + FTransfer_Img->Width() + 2, QStringLiteral("Icon_FNTR_Off"),
                QStringLiteral("Icon_FNTR_On"), TImageWrapMode::Stretch);
    FMax_Five_Img =
        AddIcon(FFirst_Not_TR_Img->X() + FFirst_Not_TR_Img->Width() + 2, QStringLiteral("Icon_Max_Five_Off"),
                QStringLiteral("Icon_Max_Five_On"), TImageWrapMode::Stretch);
    FMax_Five_Img->SetHint(QString::fromUtf8(kHintMaxSixOff));
    UpdateFirstRoundHint();
}

TIcon *TPicButtonServer::AddIcon(float x, const QString &off, const QString &on, TImageWrapMode mode) {
    auto *icon = AddTo<TIcon>(this);
    icon->SetBounds(x, 5, 20, 20);
    icon->SetWrapMode(mode);
    icon->SetAutoCapture(true);
    icon->SetShowHint(true);
    icon->LoadFromResources(off);
    icon->SetActiveImg(on);
    icon->SetNoActiveImg(off);
    icon->SetDuration(kIconFadeSeconds);
    ForwardPointer(icon);
    return icon;
}

void TPicButtonServer::ForwardPointer(TIcon *icon) {
    icon->OnMouseDown = [this, icon](TControl *, TMouseButton button, TShiftState shift, float x, float y) {
        MouseDown(button, shift, x + icon->X(), y + icon->Y());
    };
    icon->OnMouseUp = [this, icon](TControl *, TMouseButton button, TShiftState shift, float x, float y) {
        MouseUp(button, shift, x + icon->X(), y + icon->Y());
    };
    // Leaving a mark straight out of the row is leaving the row: the row itself is not told.
    icon->OnMouseLeave = [this](TControl *) {
        if (MouseState() && !PointerInside())
            MouseLeave();
    };
}

void TPicButtonServer::SwitchIcon(TIcon *icon, bool value) {
    icon->SetActive(value);
    icon->StartAnim();
}

void TPicButtonServer::SetCountPlayer(uint8_t value) {
    if (value == FCountPlayer)
        return;
    FCountPlayer = value;
    const QString hint = PlayerCountText(value);
    for (int k = 1; k <= 4; ++k) {
        TIcon *seat = Seat(k);
        const bool free = k > value;
        if (seat->Active() != free)
            SwitchIcon(seat, free);
        seat->SetHint(hint);
    }
}

void TPicButtonServer::SetNumber(int value) {
    if (value == FNumber && !FNumberText->Text().isEmpty())
        return;
    FNumber = value;
    // Wide: a table numbered at the top of the range is shown, not wrapped round.
    FNumberText->SetText(QString::number(static_cast<qint64>(value) + 1));
}

void TPicButtonServer::SetTransfer(bool value) {
    if (value == FTransfer_Img->Active())
        return;
    SwitchIcon(FTransfer_Img, value);
    FTransfer_Img->SetHint(QString::fromUtf8(value ? kHintTransferOn : kHintTransferOff));
    UpdateFirstRoundHint();
}

void TPicButtonServer::SetFNTR(bool value) {
    if (value == FFirst_Not_TR_Img->Active())
        return;
    SwitchIcon(FFirst_Not_TR_Img, value);
    UpdateFirstRoundHint();
}

void TPicButtonServer::SetMaxF(bool value) {
    if (value == FMax_Five_Img->Active())
        return;
    SwitchIcon(FMax_Five_Img, value);
    FMax_Five_Img->SetHint(QString::fromUtf8(value ? kHintMaxFiveOn : kHintMaxSixOff));
}

void TPicButtonServer::UpdateFirstRoundHint() {
    // "With transfer" is only true of a transfer table; a throw-in table transfers nothing, so the
    // mark then names the variant instead.
    const char *hint = kHintFirstNotTrOn;
    if (!FFirst_Not_TR_Img->Active())
        hint = FTransfer_Img->Active() ? kHintFirstTrOff : kHintTransferOff;
    FFirst_Not_TR_Img->SetHint(QString::fromUtf8(hint));
}

void TPicButtonServer::DoPicClick() {
    if (OnPicClick)
        OnPicClick(FNumber);
}

// --- TTableList -----------------------------------------------------------------------------

TTableList::TTableList(TSceneObject *AOwner) : TLayout(AOwner) {
    FImage_Background = AddTo<TImageEx>(this);
    FImage_Background->SetWrapMode(TImageWrapMode::Stretch);
    FImage_Background->SetHitTest(false);
    FImage_Background->LoadFromResources(QStringLiteral("Background_TableList"));
    FImage_Background->SetPosition(0, 0);

    FScrollBox = AddTo<TScrollBox>(this);
    FScrollBox->SetY(kListTop);

    FNumberTable_Text = AddLabel(this, QStringLiteral("№ стола"), true);
    FNumberTable_Text->SetPosition(30, kHeaderTop);
    FCountPlayer_Text = AddLabel(this, QStringLiteral("Кол-во игроков"), true);
    FCountPlayer_Text->SetPosition(400, kHeaderTop);
    FOption_Text = AddLabel(this, QStringLiteral("Опции стола"), true);
    FOption_Text->SetPosition(250, kHeaderTop);

    FLine_Top = AddTo<TLine>(this);
    FLine_Top->SetHitTest(false);
    FLine_Top->SetBounds(0, kHeaderTop + FNumberTable_Text->Height() + 3, Width(), 1);
    FLine_Bottom = AddTo<TLine>(this);
    FLine_Bottom->SetHitTest(false);
    FLine_Bottom->SetHeight(1);

    FLayout_Bottom = AddTo<TLayout>(this);
    FLayout_Bottom->SetHeight(kBottomHeight);
    FLayout_Bottom->SetAlign(TAlignLayout::Bottom);
    FLayout_Text_Bottom = AddTo<TLayout>(FLayout_Bottom);
    FLayout_Text_Bottom->SetAlign(TAlignLayout::HorzCenter);

    const char *const labels[2][3] = {{"Столов:", "Переводные:", "Подкидные:"},
                                      {"Игроков:", "Переводные:", "Подкидные:"}};
    const float tops[3] = {0, 5, 17}; // the total's top is set with the height, centred
    for (int group = 0; group < 2; ++group)
        for (int line = 0; line < 3; ++line) {
            TStatLine &stat = FStat[static_cast<size_t>(group)][static_cast<size_t>(line)];
            stat.Label = AddLabel(FLayout_Text_Bottom, QString::fromUtf8(labels[group][line]), true);
            stat.Value = AddLabel(FLayout_Text_Bottom, QStringLiteral("0"), false);
            stat.Label->SetY(tops[line]);
            stat.Value->SetY(tops[line]);
        }
    LayoutBottom();
}

TText *TTableList::StatText(int group, int line, int part) const {
    const TStatLine &stat = FStat.at(static_cast<size_t>(group)).at(static_cast<size_t>(line));
    return part == 1 ? stat.Label : stat.Value;
}

void TTableList::SetWidth(float w) {
    TLayout::SetWidth(w);
    FScrollBox->SetWidth(w);
    FImage_Background->SetWidth(w);
    FLine_Top->SetWidth(w);
    FLine_Bottom->SetWidth(w);
}

void TTableList::SetHeight(float h) {
    const float total = h + kListTop + kBottomHeight;
    TLayout::SetHeight(total);
    FImage_Background->SetHeight(total);
    FScrollBox->SetHeight(h);
    const float bottom = FImage_Background->Height() - kBottomHeight;
    FLine_Bottom->SetY(bottom);
    FLayout_Bottom->SetHeight(kBottomHeight);
    FLayout_Bottom->SetY(bottom);
    const float top = static_cast<float>(Round((kBottomHeight - FStat[0][0].Label->Height()) / 2.0));
    FStat[0][0].Label->SetY(top);
    FStat[0][0].Value->SetY(top);
    FStat[1][0].Label->SetY(top);
    FStat[1][0].Value->SetY(top);
}

void TTableList::LayoutBottom() {
    auto right = [](const TText *t) { return t->X() + t->Width(); };
    float left = 0;
    for (auto &group : FStat) {
        TStatLine &total = group[0], &transfer = group[1], &throwIn = group[2];
        total.Label->SetX(left);
        total.Value->SetX(right(total.Label) + 3);
        transfer.Label->SetX(right(total.Value) + 10);
        transfer.Value->SetX(right(transfer.Label) + 3);
        // The throw-in line stands under the transfer line.
        throwIn.Label->SetX(transfer.Label->X());
        throwIn.Value->SetX(transfer.Value->X());
        left = right(throwIn.Value) + 20;
    }
    // The strip ends with the players' transfer value, so the whole strip is centred.
    FLayout_Text_Bottom->SetWidth(right(FStat[1][1].Value));
}

void TTableList::SetStat(int group, int line, qint64 value) {
    FStat[static_cast<size_t>(group)][static_cast<size_t>(line)].Value->SetText(QString::number(value));
    LayoutBottom();
}

void TTableList::SetCountTable(qint64 value) {
    SetStat(0, 0, value);
}
void TTableList::SetCountTrTable(qint64 value) {
    SetStat(0, 1, value);
}
void TTableList::SetCountNotTrTable(qint64 value) {
    SetStat(0, 2, value);
}
void TTableList::SetCountPlayer(qint64 value) {
    SetStat(1, 0, value);
}
void TTableList::SetCountTrPlayer(qint64 value) {
    SetStat(1, 1, value);
}
void TTableList::SetCountNotTrPlayer(qint64 value) {
    SetStat(1, 2, value);
}

void TTableList::AddRow(const TTableInfo &table) {
    const TResBut pictures{QString(), QStringLiteral("Button_ServerList_1"),
                           QStringLiteral("Button_ServerList_2"), QStringLiteral("Button_ServerList_3")};
    auto *row = new TPicButtonServer(FScrollBox, pictures, FCountPlayer_Text->X());
    row->SetParent(FScrollBox);
    row->SetStretch(true);
    row->SetBounds(10, kRowPitch * static_cast<float>(PicButtonServer.size()), 510, 30);
    row->SetCountPlayer(static_cast<uint8_t>(table.PlayerCount));
    row->SetNumber(table.ID);
    row->SetTransfer(table.Transfer);
    row->SetFNTR(table.FNTR);
    row->SetMaxF(table.MaxF);
    row->OnPicClick = [this](int ID) {
        if (OnEnterClick)
            OnEnterClick(ID);
    };
    PicButtonServer.push_back(row);
}

void TTableList::UpdateTableList(const TArrTableInfo &aList) {
    TArrTableInfo rest = aList;
    size_t i = 0;
    while (i < PicButtonServer.size()) {
        TPicButtonServer *row = PicButtonServer[i];
        auto it = std::find_if(rest.begin(), rest.end(),
                               [row](const TTableInfo &t) { return t.ID == row->Number(); });
        if (it == rest.end()) {
            // Gone: the last row fills the gap and is visited in its turn.
            delete row;
            PicButtonServer[i] = PicButtonServer.back();
            PicButtonServer.pop_back();
            if (i < PicButtonServer.size())
                PicButtonServer[i]->SetY(kRowPitch * static_cast<float>(i));
            continue;
        }
        row->SetCountPlayer(static_cast<uint8_t>(it->PlayerCount));
        row->SetTransfer(it->Transfer);
        row->SetFNTR(it->FNTR);
        row->SetMaxF(it->MaxF);
        *it = rest.back();
        rest.pop_back();
        ++i;
    }
    for (const TTableInfo &table : rest)
        AddRow(table);
}

} // namespace trelvo
