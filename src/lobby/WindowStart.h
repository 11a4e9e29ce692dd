#pragma once

#include "PicButton.h"
#include "TableList.h"

#include "game/api/CardModel.h"
#include "kit/Control.h"

#include <functional>

namespace trelvo {

// The lobby layer: the table list and the open-table button, centred together in the main window.
// Both exist only while the lobby is shown (Valid).
class TWindowStart : public TLayout {
public:
    using TOnPicClick = std::function<void()>;

    static constexpr float kListWidth = 545;
    static constexpr float kListScrollHeight = 300;
    static constexpr float kGap = 10;

    TOnPicClick OnClickCreateTable;
    TOnClick OnClickEnterTable;

    explicit TWindowStart(TSceneObject *AOwner);

    bool Valid() const { return FValid; }
    // Builds the button and an empty list, binding the current handlers.
    void Show();
    // Centres the list and the button as one block.
    void Repaint();
    // Destroys the button and the list; the layer stays, empty.
    void Close();
    void UpdateTableList(const TArrTableInfo &AList, const TStatTable &AStatTable);

    TPicButton *Button_OpenTable() const { return FButton_OpenTable; }
    TTableList *TableList() const { return FTableList; }

private:
    TPicButton *FButton_OpenTable = nullptr;
    TTableList *FTableList = nullptr;
    bool FValid = false;
};

} // namespace trelvo
