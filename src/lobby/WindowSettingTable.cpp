#include "WindowSettingTable.h"

namespace trelvo {

namespace {
// The mark shows the switch's state, faded over the icon's own duration.
void Follow(TIcon *icon, bool checked) {
    icon->SetActive(checked);
    icon->StartAnim();
}
} // namespace

TWindowSettingTable::TWindowSettingTable(TSceneObject *AOwner) : TWindow(AOwner) {
    SetWidth(kWidth);
    SetHeight(kHeight);
    SetTitle(QStringLiteral("Открыть новый стол"));

    FGroupBox_Setting = new TGroupBox(this);
    FGroupBox_Setting->SetParent(this);
    FGroupBox_Setting->SetText(QStringLiteral("Настройки"));
    FGroupBox_Setting->SetPosition(15, 30);
    FGroupBox_Setting->SetWidth(kWidth - 20 - 10);

    AddRow(20, FTransfer_Img, FCheckBoxTransfer, QStringLiteral("Icon_Transfer_Off"),
           QStringLiteral("Icon_Transfer_On"), QStringLiteral("Переводной дурак"), TImageWrapMode::Original);
    AddRow(FCheckBoxTransfer->Y() + FCheckBoxTransfer->Height(), FFirst_Not_TR_Img, FCheckBoxFNTR,
           QStringLiteral("Icon_FNTR_Off"), QStringLiteral("Icon_FNTR_On"),
           QStringLiteral("Первый кон не переводится"), TImageWrapMode::Stretch);
    FCheckBoxFNTR->SetEnabled(false);
    AddRow(FCheckBoxFNTR->Y() + FCheckBoxFNTR->Height(), FMax_Five_Img, FCheckBoxMaxF,
           QStringLiteral("Icon_Max_Five_Off"), QStringLiteral("Icon_Max_Five_On"),
           QStringLiteral("Первый кон не более 5 карт"), TImageWrapMode::Stretch);

    FCheckBoxTransfer->OnChange = [this](TControl *) {
        const bool on = FCheckBoxTransfer->IsChecked();
        FCheckBoxFNTR->SetEnabled(on);
        // Without transfers there is no first-round transfer rule.
        if (!on)
            FCheckBoxFNTR->SetIsChecked(false);
        Follow(FTransfer_Img, on);
    };
    FCheckBoxFNTR->OnChange = [this](TControl *) { Follow(FFirst_Not_TR_Img, FCheckBoxFNTR->IsChecked()); };
    FCheckBoxMaxF->OnChange = [this](TControl *) { Follow(FMax_Five_Img, FCheckBoxMaxF->IsChecked()); };

    FButton_Create =
        new TPicButton(this, TResBut{QString(), QStringLiteral("Button_OK_1"), QStringLiteral("Button_OK_2"),
                                     QStringLiteral("Button_OK_3")});
    FButton_Create->SetParent(this);
    FButton_Create->SetStretch(true);
    FButton_Create->SetBounds(kWidth - 70 - 10, kHeight - 20 - 15, 70, 20);
    FButton_Create->OnPicClick = [this] {
        if (OnCreate)
            OnCreate(Setting());
    };

    FGroupBox_Setting->SetHeight(FCheckBoxMaxF->Y() + FCheckBoxMaxF->Height() + 20);
}

void TWindowSettingTable::AddRow(float top, TIcon *&icon, TCheckBox *&box, const QString &off,
                                 const QString &on, const QString &text, TImageWrapMode mode) {
    icon = new TIcon(FGroupBox_Setting);
    icon->SetParent(FGroupBox_Setting);
    icon->SetBounds(20, top, 20, 20);
    icon->SetWrapMode(mode);
    icon->LoadFromResources(off);
    icon->SetActiveImg(on);
    icon->SetNoActiveImg(off);

    box = new TCheckBox(FGroupBox_Setting);
    box->SetParent(FGroupBox_Setting);
    box->SetWidth(180);
    box->SetText(text);
    box->SetPosition(icon->X() + icon->Width(), top);
}

TCreateSetting TWindowSettingTable::Setting() const {
    TCreateSetting setting;
    setting.Transfer = FCheckBoxTransfer->IsChecked();
    setting.First_Not_TR = FCheckBoxFNTR->IsChecked();
    setting.Max_Five = FCheckBoxMaxF->IsChecked();
    return setting;
}

} // namespace trelvo
