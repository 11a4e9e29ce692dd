#pragma once

#include "lobby/LobbyTimings.h"

#include "HintImage.h"
#include "PicButton.h"

#include "game/api/CardModel.h"
#include "kit/Shapes.h"
#include "kit/StdControls.h"
#include "kit/Text.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace trelvo {

using TOnClick = std::function<void(int ID)>;

// "1 игрок", "2 игрока" .. "4 игрока", otherwise "игроков".
QString PlayerCountText(int count);

// One row of the table list: the table's number, its three rule marks and four seat marks on a
// picture button. A click anywhere on it, its marks included, raises OnPicClick with the table's ID.
class TPicButtonServer : public TPicButton {
public:
    static constexpr double kIconFadeSeconds = LobbyTimings::kTableIconFadeSeconds;

    // The row's own click event; it stands for the argument-less one of TPicButton.
    TOnClick OnPicClick;

    // player_count_left: the left edge of the seat marks.
    TPicButtonServer(TSceneObject *AOwner, const TResBut &aImg, float player_count_left);

    uint8_t CountPlayer() const { return FCountPlayer; }
    // Seat k shows free exactly when k > n; only the seats that change fade.
    void SetCountPlayer(uint8_t value);
    int Number() const { return FNumber; }
    // Shows the table as ID + 1.
    void SetNumber(int value);
    void SetTransfer(bool value);
    void SetFNTR(bool value);
    void SetMaxF(bool value);

    void DoPicClick() override;
    // Shows another table at once, without fades: the row is reused for it.
    void ShowTable(const TTableInfo &table);

    TIcon *Seat(int k) const { return FImage.at(static_cast<size_t>(k - 1)); }
    TText *NumberText() const { return FNumberText; }
    TIcon *Transfer_Img() const { return FTransfer_Img; }
    TIcon *Max_Five_Img() const { return FMax_Five_Img; }
    TIcon *First_Not_TR_Img() const { return FFirst_Not_TR_Img; }

private:
    TIcon *AddIcon(float x, const QString &off, const QString &on, TImageWrapMode mode);
    // Hands an icon's presses and releases to the row, so that a click on a mark is a click on the row.
    void ForwardPointer(TIcon *icon);
    // Animate: fade to the new picture; otherwise show it at once.
    void SwitchIcon(TIcon *icon, bool value, bool animate);
    void ApplyCountPlayer(uint8_t value, bool animate);
    void ApplyTransfer(bool value, bool animate);
    void ApplyFNTR(bool value, bool animate);
    void ApplyMaxF(bool value, bool animate);
    void UpdateFirstRoundHint();

    std::array<TIcon *, 4> FImage{};
    uint8_t FCountPlayer = 0;
    int FNumber = 0;
    TText *FNumberText;
    TIcon *FTransfer_Img;
    TIcon *FMax_Five_Img;
    TIcon *FFirst_Not_TR_Img;
};

// The scroll box of the table list: tells when what it shows may have changed (wheel, thumb, size).
class TRowScrollBox : public TScrollBox {
public:
    std::function<void()> OnScroll;

    explicit TRowScrollBox(TSceneObject *owner = nullptr) : TScrollBox(owner) {}
    // Scrolls to y (clamped) and tells.
    void ScrollTo(float y);

    bool MouseWheel(TShiftState shift, int delta) override;
    void MouseMove(TShiftState shift, float x, float y) override;

protected:
    void Resized() override;

private:
    void Scrolled(float before);
};

// The framed list of open tables: headers, one scrolling row per table (32 apart, never
// re-sorted) and a strip of counts at the bottom. The rows are kept as data; only the rows in view
// have widgets, reused as the list scrolls, so that a list of thousands costs little more than an
// empty one.
class TTableList : public TLayout {
public:
    static constexpr float kHeaderTop = 4;
    static constexpr float kListTop = 25;
    static constexpr float kBottomHeight = 40;
    static constexpr float kRowPitch = 32;
    static constexpr float kRowHeight = 30;

    TOnClick OnEnterClick;

    explicit TTableList(TSceneObject *AOwner);
    ~TTableList() override;

    // w: the list, the scroll box, the background and both lines.
    void SetWidth(float w) override;
    // h: the scroll area; the list is 25 + h + 40 high.
    void SetHeight(float h) override;

    // A table listed twice keeps its first entry.
    void UpdateTableList(const TArrTableInfo &aList);

    // Wide, so that a total of two counts near the top of the range is shown whole.
    void SetCountTable(qint64 value);
    void SetCountTrTable(qint64 value);
    void SetCountNotTrTable(qint64 value);
    void SetCountPlayer(qint64 value);
    void SetCountTrPlayer(qint64 value);
    void SetCountNotTrPlayer(qint64 value);

    int RowCount() const { return static_cast<int>(FRows.size()); }
    // The table of row i, whether in view or not.
    const TTableInfo &RowTable(int i) const { return FRows.at(static_cast<size_t>(i)); }
    // The widget of row i, or nullptr while the row is out of view.
    TPicButtonServer *Row(int i) const;
    TRowScrollBox *ScrollBox() const { return FScrollBox; }
    TText *CountPlayer_Text() const { return FCountPlayer_Text; }
    TLine *Line_Top() const { return FLine_Top; }
    TLine *Line_Bottom() const { return FLine_Bottom; }
    TLayout *Layout_Bottom() const { return FLayout_Bottom; }
    TLayout *Layout_Text_Bottom() const { return FLayout_Text_Bottom; }
    // The bottom strip: group 0 tables, 1 players; line 0 total, 1 transfer, 2 throw-in; part 1 the
    // label, 2 the value.
    TText *StatText(int group, int line, int part) const;

private:
    struct TStatLine {
        TText *Label;
        TText *Value;
    };
    // One reusable row widget and the row it shows (-1: none).
    struct TView {
        TPicButtonServer *Widget = nullptr;
        int Row = -1;
    };
    TPicButtonServer *NewRow();
    // Gives the rows in view their widgets (and only them) and the scroll box the height of all rows.
    void ShowRowsInView();
    void LayoutBottom();
    void SetStat(int group, int line, qint64 value);

    TRowScrollBox *FScrollBox;
    TLayout *FExtent; // as tall as all rows, so that the scroll box scrolls over rows without widgets
    TImageEx *FImage_Background;
    std::vector<TTableInfo> FRows;
    // Row r is shown by FViews[r % size]: a row keeps its widget while it stays in view.
    std::vector<TView> FViews;
    TText *FNumberTable_Text;
    TText *FCountPlayer_Text;
    TText *FOption_Text;
    TLine *FLine_Top;
    TLine *FLine_Bottom;
    TLayout *FLayout_Bottom;
    TLayout *FLayout_Text_Bottom;
    std::array<std::array<TStatLine, 3>, 2> FStat{};
};

} // namespace trelvo
