#include "LobbyScenes.h"

#include "game/api/CardModel.h"
#include "kit/Image.h"
#include "lobby/About.h"
#include "lobby/PicButton.h"
#include "lobby/Window.h"
#include "lobby/WindowSettingTable.h"
#include "lobby/WindowShowPlayer.h"
#include "lobby/WindowStart.h"

#include <functional>
#include <map>

namespace trelvo::demo {

namespace {

constexpr float kFormWidth = 800;
constexpr float kFormHeight = 600;

// The form with the table cloth under everything, as the scene facade lays it.
TDemoScene ClothScene() {
    TDemoScene scene;
    scene.form = std::make_unique<TForm>();
    scene.form->SetSize(kFormWidth, kFormHeight);
    auto *cloth = new TImageEx(scene.form.get());
    cloth->SetParent(scene.form.get());
    cloth->SetAlign(TAlignLayout::Client);
    cloth->SetWrapMode(TImageWrapMode::Stretch);
    cloth->SetHitTest(false);
    cloth->LoadFromResources(QStringLiteral("Background_Table"));
    return scene;
}

TDemoScene Lobby() {
    TDemoScene scene = ClothScene();
    TForm *form = scene.form.get();
    auto *lobby = new TWindowStart(form);
    lobby->SetParent(form);
    lobby->Show();
    lobby->Repaint();
    TArrTableInfo tables;
    TStatTable stat;
    for (int id = 0; id < 12; ++id) {
        const bool transfer = id % 3 != 1;
        const int players = (id * 7) % 5;
        tables.push_back(TTableInfo{id * 3 + 2, players, transfer, transfer && id % 4 == 0, id % 5 == 2});
        (transfer ? stat.CountTrTable : stat.CountNotTrTable) += 1;
        (transfer ? stat.CountTrPlayer : stat.CountNotTrPlayer) += players;
    }
    lobby->UpdateTableList(tables, stat);
    // The pointer rests on the first-round mark of the first row: its hint shows.
    TControl *mark = lobby->TableList()->Row(0)->First_Not_TR_Img();
    form->PointerMove(mark->LocalToAbsolute({10, 10}));
    scene.shotAtMs = 1200;
    return scene;
}

TDemoScene Settings() {
    TDemoScene scene = ClothScene();
    auto *window = new TWindowSettingTable(scene.form.get());
    window->SetParent(scene.form.get());
    window->Show();
    window->CheckBoxTransfer()->SetIsChecked(true);
    window->CheckBoxMaxF()->SetIsChecked(true);
    return scene;
}

TWindowShowPlayer *WaitingRoom(TDemoScene &scene, uint16_t banner, const TPlayerList &players) {
    auto *room = new TWindowShowPlayer(scene.form.get());
    room->SetParent(scene.form.get());
    room->SetWidth(470);
    room->SetHeight(270);
    room->SetPlayerWin(TWindowShowPlayer::kNewTable);
    room->Show();
    room->SetTableID(8);
    room->SetPlayerList(players);
    room->SetPlayerWin(banner);
    return room;
}

const TPlayerList kFourPlayers{
    TPlayer{QStringLiteral("Анна"), true}, TPlayer{QStringLiteral("Берёза_77"), false},
    TPlayer{QStringLiteral("Вячеслав"), true}, TPlayer{QStringLiteral("Галя"), false}};

TDemoScene Countdown() {
    TDemoScene scene = ClothScene();
    TWindowShowPlayer *room = WaitingRoom(scene, TWindowShowPlayer::kNewTable, kFourPlayers);
    // The own player (the first seat) has pressed "Готов?".
    room->Button_Ready()->DoPicClick();
    room->StartTimerInvite(15);
    scene.shotAtMs = 2500;
    return scene;
}

TDemoScene Result(uint16_t banner) {
    TDemoScene scene = ClothScene();
    const TPlayerList players{TPlayer{QStringLiteral("Анна"), false},
                              TPlayer{QStringLiteral("Вячеслав"), false}, TPlayer{}, TPlayer{}};
    WaitingRoom(scene, banner, players);
    return scene;
}

// Keeps the message service for as long as the form lives (the form owns it).
class TMessageHost : public TSceneObject {
public:
    explicit TMessageHost(TSceneObject *form) : TSceneObject(form), FPlace(form), Service(FPlace, FPlace) {}

private:
    TSceneObject *FPlace;

public:
    TWindowShowMessage Service;
};

TDemoScene Messages() {
    TDemoScene scene = ClothScene();
    TWindowShowMessage &messages = (new TMessageHost(scene.form.get()))->Service;
    messages.ShowMessage(QStringLiteral("Ошибка"),
                         QStringLiteral("Не удалось создать стол. Попробуйте ещё раз."));
    messages.ShowMessage(QStringLiteral("Внимание"), QStringLiteral("Игрок Берёза_77 покинул стол."));
    messages.ShowMessage(QStringLiteral("Сообщение"),
                         QStringLiteral("Стол уже заполнен: свободных мест нет."));
    // Dragged apart a little, as a player would, so that the stack shows.
    for (int i = 0; i < messages.Count(); ++i) {
        TWindowMessage *box = messages.Window(i);
        box->SetPosition(box->X() + 40 * static_cast<float>(i - 1),
                         box->Y() + 40 * static_cast<float>(i - 1));
    }
    return scene;
}

TDemoScene About() {
    TDemoScene scene;
    TForm_About about;
    about.Show();
    const QImage shot = about.grab().toImage();
    about.hide();
    scene.form = std::make_unique<TForm>();
    scene.form->SetSize(static_cast<float>(shot.width()), static_cast<float>(shot.height()));
    auto *picture = new TImage(scene.form.get());
    picture->SetParent(scene.form.get());
    picture->SetAlign(TAlignLayout::Client);
    picture->SetWrapMode(TImageWrapMode::Original);
    picture->SetBitmap(shot);
    return scene;
}

const std::map<QString, std::function<TDemoScene()>> &Builders() {
    static const std::map<QString, std::function<TDemoScene()>> builders = {
        {QStringLiteral("lobby"), Lobby},
        {QStringLiteral("settings"), Settings},
        {QStringLiteral("waiting_countdown"), Countdown},
        {QStringLiteral("messages"), Messages},
        {QStringLiteral("result_win"), [] { return Result(TWindowShowPlayer::kWin); }},
        {QStringLiteral("result_lose"), [] { return Result(TWindowShowPlayer::kLose); }},
        {QStringLiteral("result_draw"), [] { return Result(TWindowShowPlayer::kDraw); }},
        {QStringLiteral("result_new_table"), [] { return Result(TWindowShowPlayer::kNewTable); }},
        {QStringLiteral("about"), About},
    };
    return builders;
}

} // namespace

QStringList LobbySceneNames() {
    return {QStringLiteral("lobby"),
            QStringLiteral("settings"),
            QStringLiteral("waiting_countdown"),
            QStringLiteral("messages"),
            QStringLiteral("result_win"),
            QStringLiteral("result_lose"),
            QStringLiteral("result_draw"),
            QStringLiteral("result_new_table"),
            QStringLiteral("about")};
}

TDemoScene BuildLobbyScene(const QString &name) {
    auto it = Builders().find(name);
    if (it == Builders().end()) {
        TDemoScene scene;
        scene.form = std::make_unique<TForm>();
        return scene;
    }
    return it->second();
}

} // namespace trelvo::demo
