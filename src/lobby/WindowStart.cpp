#include "WindowStart.h"

#include "kit/Round.h"

namespace trelvo {

TWindowStart::TWindowStart(TSceneObject *AOwner) : TLayout(AOwner) {
    SetAlign(TAlignLayout::Client);
}

void TWindowStart::Show() {
    if (FValid)
        return;
    FButton_OpenTable = new TPicButton(
        this, TResBut{QStringLiteral("Button_Open_Table_1"), QStringLiteral("Button_Open_Table_1"),
                      QStringLiteral("Button_Open_Table_2"), QStringLiteral("Button_Open_Table_3")});
    FButton_OpenTable->SetParent(this);
    FButton_OpenTable->SetAutoSize(true);
    FButton_OpenTable->OnPicClick = OnClickCreateTable;

    FTableList = new TTableList(this);
    FTableList->SetParent(this);
    FTableList->SetHeight(kListScrollHeight);
    FTableList->SetWidth(kListWidth);
    FTableList->OnEnterClick = OnClickEnterTable;

    FValid = true;
    SetVisible(true);
}

void TWindowStart::Repaint() {
    if (!FValid)
        return;
    const double W = Width(), H = Height();
    TTableList *list = FTableList;
    TPicButton *button = FButton_OpenTable;
    list->SetPosition(static_cast<float>(Round((W - list->Width()) / 2)),
                      static_cast<float>(Round((H - list->Height() - button->Height() - kGap) / 2)));
    button->SetPosition(static_cast<float>(Round((W - button->Width()) / 2)),
                        list->Y() + list->Height() + kGap);
}

void TWindowStart::Close() {
    FValid = false;
    delete FButton_OpenTable;
    FButton_OpenTable = nullptr;
    delete FTableList;
    FTableList = nullptr;
}

void TWindowStart::UpdateTableList(const TArrTableInfo &AList, const TStatTable &AStatTable) {
    if (!FValid)
        return;
    FTableList->UpdateTableList(AList);
    FTableList->SetCountTrTable(AStatTable.CountTrTable);
    FTableList->SetCountNotTrTable(AStatTable.CountNotTrTable);
    FTableList->SetCountTable(qint64{AStatTable.CountTrTable} + AStatTable.CountNotTrTable);
    FTableList->SetCountTrPlayer(AStatTable.CountTrPlayer);
    FTableList->SetCountNotTrPlayer(AStatTable.CountNotTrPlayer);
    FTableList->SetCountPlayer(qint64{AStatTable.CountTrPlayer} + AStatTable.CountNotTrPlayer);
}

} // namespace trelvo
