#pragma once

#include "HintImage.h"
#include "PicButton.h"
#include "Window.h"

#include "game/api/CardModel.h"
#include "kit/StdControls.h"

#include <functional>

namespace trelvo {

// "Открыть новый стол": three rule switches for a new table, each with a mark that follows it, and
// an OK button that hands the choice on. The first-round switch is usable only in the transfer game.
class TWindowSettingTable : public TWindow {
public:
    using TOnCreateTable = std::function<void(TCreateSetting Setting)>;

    static constexpr float kWidth = 275;
    static constexpr float kHeight = 170;

    // Raised by OK; the window neither closes nor disables itself (its owner frees it).
    TOnCreateTable OnCreate;

    explicit TWindowSettingTable(TSceneObject *AOwner);

    // The choice as OK would send it.
    TCreateSetting Setting() const;

    TGroupBox *GroupBox_Setting() const { return FGroupBox_Setting; }
    TCheckBox *CheckBoxTransfer() const { return FCheckBoxTransfer; }
    TCheckBox *CheckBoxFNTR() const { return FCheckBoxFNTR; }
    TCheckBox *CheckBoxMaxF() const { return FCheckBoxMaxF; }
    TPicButton *Button_Create() const { return FButton_Create; }
    TIcon *Transfer_Img() const { return FTransfer_Img; }
    TIcon *Max_Five_Img() const { return FMax_Five_Img; }
    TIcon *First_Not_TR_Img() const { return FFirst_Not_TR_Img; }

private:
    // One row of the group box: a mark and its switch at `top`.
    void AddRow(float top, TIcon *&icon, TCheckBox *&box, const QString &off, const QString &on,
                const QString &text, TImageWrapMode mode);

    TGroupBox *FGroupBox_Setting;
    TCheckBox *FCheckBoxTransfer = nullptr;
    TCheckBox *FCheckBoxFNTR = nullptr;
    TCheckBox *FCheckBoxMaxF = nullptr;
    TPicButton *FButton_Create;
    TIcon *FTransfer_Img = nullptr;
    TIcon *FMax_Five_Img = nullptr;
    TIcon *FFirst_Not_TR_Img = nullptr;
};

} // namespace trelvo
