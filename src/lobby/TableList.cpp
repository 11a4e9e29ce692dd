#include "TableList.h"

#include "kit/Round.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

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

void TPicButtonServer::SwitchIcon(TIcon *icon, bool value, bool animate) {
    if (!animate) {
        icon->SetActiveNow(value);
        return;
    }
    icon->SetActive(value);
    icon->StartAnim();
}

void TPicButtonServer::SetCountPlayer(uint8_t value) {
    ApplyCountPlayer(value, true);
}

void TPicButtonServer::ApplyCountPlayer(uint8_t value, bool animate) {
    if (value == FCountPlayer)
        return;
    FCountPlayer = value;
    const QString hint = PlayerCountText(value);
    for (int k = 1; k <= 4; ++k) {
        TIcon *seat = Seat(k);
        const bool free = k > value;
        if (seat->Active() != free)
            SwitchIcon(seat, free, animate);
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
    ApplyTransfer(value, true);
}

void TPicButtonServer::ApplyTransfer(bool value, bool animate) {
    if (value == FTransfer_Img->Active())
        return;
    SwitchIcon(FTransfer_Img, value, animate);
    FTransfer_Img->SetHint(QString::fromUtf8(value ? kHintTransferOn : kHintTransferOff));
    UpdateFirstRoundHint();
}

void TPicButtonServer::SetFNTR(bool value) {
    ApplyFNTR(value, true);
}

void TPicButtonServer::ApplyFNTR(bool value, bool animate) {
    if (value == FFirst_Not_TR_Img->Active())
        return;
    SwitchIcon(FFirst_Not_TR_Img, value, animate);
    UpdateFirstRoundHint();
}

void TPicButtonServer::SetMaxF(bool value) {
    ApplyMaxF(value, true);
}

void TPicButtonServer::ApplyMaxF(bool value, bool animate) {
    if (value == FMax_Five_Img->Active())
        return;
    SwitchIcon(FMax_Five_Img, value, animate);
    FMax_Five_Img->SetHint(QString::fromUtf8(value ? kHintMaxFiveOn : kHintMaxSixOff));
}

void TPicButtonServer::ShowTable(const TTableInfo &table) {
    // A fade of the table shown before ends first, so that every mark then shows its state.
    for (TIcon *icon : {Seat(1), Seat(2), Seat(3), Seat(4), FTransfer_Img, FFirst_Not_TR_Img, FMax_Five_Img})
        icon->StopAnim();
    SetNumber(table.ID);
    ApplyCountPlayer(static_cast<uint8_t>(table.PlayerCount), false);
    ApplyTransfer(table.Transfer, false);
    ApplyFNTR(table.FNTR, false);
    ApplyMaxF(table.MaxF, false);
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

    FScrollBox = AddTo<TRowScrollBox>(this);
    FScrollBox->SetY(kListTop);
    FExtent = new TLayout(FScrollBox);
    FExtent->SetParent(FScrollBox);
    FExtent->SetHitTest(false);
    FExtent->SetBounds(10, 0, 510, 0);
    FScrollBox->OnScroll = [this] { ShowRowsInView(); };

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

TTableList::~TTableList() {
    // The rows go with the scroll box; it must not call back into a list being destroyed.
    FScrollBox->OnScroll = nullptr;
}

TPicButtonServer *TTableList::Row(int i) const {
    for (const TView &view : FViews)
        if (view.Row == i)
            return view.Widget;
    return nullptr;
}

TPicButtonServer *TTableList::NewRow() {
    const TResBut pictures{QString(), QStringLiteral("Button_ServerList_1"),
                           QStringLiteral("Button_ServerList_2"), QStringLiteral("Button_ServerList_3")};
    auto *row = new TPicButtonServer(FScrollBox, pictures, FCountPlayer_Text->X());
    row->SetParent(FScrollBox);
    row->SetStretch(true);
    row->SetBounds(10, 0, 510, kRowHeight);
    row->OnPicClick = [this](int ID) {
        if (OnEnterClick)
            OnEnterClick(ID);
    };
    return row;
}

void TTableList::ShowRowsInView() {
    const int count = RowCount();
    FExtent->SetHeight(count > 0 ? kRowPitch * static_cast<float>(count - 1) + kRowHeight : 0);
    // Re-clamped: a shorter list may end above the old scroll position.
    FScrollBox->SetViewportY(FScrollBox->ViewportY());

    const float height = FScrollBox->Height();
    const size_t viewCount = static_cast<size_t>(std::max(1.0f, std::ceil(height / kRowPitch) + 1));
    if (viewCount != FViews.size()) {
        for (TView &view : FViews)
            delete view.Widget;
        FViews.assign(viewCount, TView{});
    }
    const float top = std::min(FScrollBox->ViewportY(), std::max(0.0f, FExtent->Height() - height));
    const int first = static_cast<int>(std::floor(top / kRowPitch));
    const int last = std::min(count - 1, static_cast<int>(std::ceil((top + height) / kRowPitch)) - 1);

    std::vector<int> wanted(viewCount, -1);
    for (int row = first; row <= last; ++row)
        wanted[static_cast<size_t>(row) % viewCount] = row;
    for (size_t slot = 0; slot < viewCount; ++slot) {
        TView &view = FViews[slot];
        const int row = wanted[slot];
        if (row < 0) {
            delete view.Widget;
            view = TView{};
            continue;
        }
        const TTableInfo &table = FRows[static_cast<size_t>(row)];
        if (!view.Widget) {
            view.Widget = NewRow();
            view.Widget->ShowTable(table);
        } else if (view.Row != row || view.Widget->Number() != table.ID) {
            view.Widget->ShowTable(table);
        } else {
            // The same table in the same place: what changed fades.
            view.Widget->SetCountPlayer(static_cast<uint8_t>(table.PlayerCount));
            view.Widget->SetTransfer(table.Transfer);
            view.Widget->SetFNTR(table.FNTR);
            view.Widget->SetMaxF(table.MaxF);
        }
        view.Row = row;
        view.Widget->SetY(kRowPitch * static_cast<float>(row));
    }
}

void TTableList::UpdateTableList(const TArrTableInfo &aList) {
    const bool sameTables = aList.size() == FRows.size() &&
                            std::equal(aList.begin(), aList.end(), FRows.begin(),
                                       [](const TTableInfo &a, const TTableInfo &b) { return a.ID == b.ID; });
    if (sameTables) {
        // The usual poll: the same tables in the same order, some of them changed.
        std::copy(aList.begin(), aList.end(), FRows.begin());
    } else {
        // The private copy, and where each of its tables is in it.
        std::vector<TTableInfo> rest;
        rest.reserve(aList.size());
        std::unordered_map<int, size_t> restAt;
        restAt.reserve(aList.size());
        for (const TTableInfo &table : aList)
            if (restAt.emplace(table.ID, rest.size()).second)
                rest.push_back(table);
        size_t i = 0;
        while (i < FRows.size()) {
            const auto found = restAt.find(FRows[i].ID);
            if (found == restAt.end()) {
                // Gone: the last row fills the gap and is visited in its turn.
                FRows[i] = FRows.back();
                FRows.pop_back();
                continue;
            }
            // Still listed: the row takes the table's values, and the table leaves the copy, whose
            // last entry fills its place.
            const size_t at = found->second;
            FRows[i] = rest[at];
            restAt.erase(found);
            if (at + 1 != rest.size()) {
                rest[at] = rest.back();
                restAt[rest[at].ID] = at;
            }
            rest.pop_back();
            ++i;
        }
        FRows.insert(FRows.end(), rest.begin(), rest.end());
        // A long list replaced by a short one gives its memory back.
        if (FRows.capacity() > 64 && FRows.size() < FRows.capacity() / 4)
            FRows.shrink_to_fit();
    }
    ShowRowsInView();
}

// --- TRowScrollBox --------------------------------------------------------------------------

void TRowScrollBox::ScrollTo(float y) {
    const float before = ViewportY();
    SetViewportY(y);
    Scrolled(before);
}

bool TRowScrollBox::MouseWheel(TShiftState shift, int delta) {
    const float before = ViewportY();
    const bool used = TScrollBox::MouseWheel(shift, delta);
    Scrolled(before);
    return used;
}

void TRowScrollBox::MouseMove(TShiftState shift, float x, float y) {
    const float before = ViewportY();
    TScrollBox::MouseMove(shift, x, y);
    Scrolled(before);
}

void TRowScrollBox::Resized() {
    TScrollBox::Resized();
    if (OnScroll)
        OnScroll();
}

void TRowScrollBox::Scrolled(float before) {
    if (ViewportY() != before && OnScroll)
        OnScroll();
}

} // namespace trelvo
