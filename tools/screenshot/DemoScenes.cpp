#include "DemoScenes.h"
#include "FacadeScenes.h"
#include "LobbyScenes.h"
#include "TableScenes.h"

#include "kit/Animation.h"
#include "kit/AssetLoader.h"
#include "kit/Effects.h"
#include "kit/Image.h"
#include "kit/Round.h"
#include "kit/Shapes.h"
#include "kit/StdControls.h"
#include "kit/Text.h"
#include "lobby/HintImage.h"
#include "lobby/PicButton.h"

#include <QPainter>

#include <map>

namespace trelvo::demo {

namespace {

// Pictures drawn in code for a build without the asset library: the catalogue's sizes, a plain
// look, the name written on them.
QImage StandIn(const QString &name) {
    static const std::map<QString, QSize> sizes = {
        {"background_table", {1280, 1024}}, {"window_background", {1134, 1134}},
        {"window_frame", {894, 72}},        {"window_top", {1280, 98}},
        {"player_bar", {393, 95}},          {"nick_bar_active", {560, 164}},
        {"nick_bar_noactive", {560, 164}},  {"panel_deck", {78, 32}},
        {"round_end", {103, 29}},           {"card_lights", {180, 239}},
        {"button_ok_1", {70, 20}},          {"button_ok_2", {70, 20}},
        {"button_ok_3", {70, 20}},          {"icon_close_1", {102, 98}},
        {"icon_close_2", {102, 98}},        {"icon_close_3", {102, 98}},
        {"icon_your_turn", {179, 72}},
    };
    const QString key = name.toLower();
    auto it = sizes.find(key);
    QSize size = it != sizes.end() ? it->second : QSize(71, 96);
    if (key.startsWith("button_serverlist"))
        size = QSize(510, 30);
    else if (key.startsWith("icon_"))
        size = QSize(40, 40);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    if (key == "background_table") {
        p.fillRect(image.rect(), QColor(0x1F, 0x5E, 0x34));
    } else if (key.startsWith("card_1_0_0")) {
        p.fillRect(image.rect(), QColor(0x8B, 0x1A, 0x1A));
    } else if (key == "card_lights") {
        image.fill(QColor(0xFB, 0xF6, 0x2C, 87));
    } else {
        p.fillRect(image.rect(),
                   key.startsWith("window") ? QColor(0xC8, 0xA0, 0x70) : QColor(0xF4, 0xF0, 0xE6));
        p.setPen(Qt::black);
        p.drawRect(image.rect().adjusted(0, 0, -1, -1));
        p.drawText(image.rect(), Qt::AlignCenter | Qt::TextWordWrap, name);
    }
    return image;
}

void UseStandInsIfNeeded() {
    if (!HaveBuiltInAssets())
        SetAssetLoader(StandIn);
}

template <class T> T *Add(TSceneObject *parent) {
    auto *object = new T(parent);
    object->SetParent(parent);
    return object;
}

TImageEx *Picture(TControl *parent, const QString &name, float x, float y, float w = -1, float h = -1,
                  TImageWrapMode mode = TImageWrapMode::Stretch) {
    auto *image = Add<TImageEx>(parent);
    image->LoadFromResources(name);
    image->SetWrapMode(mode);
    image->SetBounds(x, y, w < 0 ? image->BitmapWidth() : w, h < 0 ? image->BitmapHeight() : h);
    image->SetHitTest(false);
    return image;
}

TText *Label(TControl *parent, const QString &text, float x, float y, float size, uint32_t colour,
             bool bold) {
    auto *label = Add<TText>(parent);
    label->SetWordWrap(false);
    label->SetFontSize(size);
    label->SetBold(bold);
    label->SetColor(colour);
    label->SetText(text);
    label->SetAutoSize(true);
    label->SetPosition(x, y);
    label->SetHitTest(false);
    return label;
}

QString CardName(int suit, int dignity) {
    return QStringLiteral("Card_1_%1_%2").arg(suit).arg(dignity);
}

TImageEx *Card(TControl *parent, int suit, int dignity, float x, float y, bool across = false) {
    TImageEx *card = Picture(parent, CardName(suit, dignity), x, y, 71, 96, TImageWrapMode::Original);
    card->SetHitTest(true);
    if (across) {
        card->SetRotationCenter(0, 0);
        card->SetRotationAngle(90);
    }
    return card;
}

TShadowEffect *Shadow(TControl *control, float direction, float distance, float opacity, float softness) {
    auto *shadow = Add<TShadowEffect>(control);
    shadow->SetDirection(direction);
    shadow->SetDistance(distance);
    shadow->SetOpacity(opacity);
    shadow->SetSoftness(softness);
    return shadow;
}

// A framed window as the lobby's windows are built: frame and title bar pictures with shadows, a
// close button, the pale body and a white title; centred in its parent.
TLayout *FramedWindow(TControl *parent, float w, float h, const QString &title) {
    auto *window = Add<TLayout>(parent);
    window->SetSize(w, h);
    window->SetAlign(TAlignLayout::Center);
    TImageEx *frame = Picture(window, "Window_Frame", 0, 0);
    frame->SetAlign(TAlignLayout::Client);
    Shadow(frame, 90, 2, 0.8f, 0.4f);
    TImageEx *top = Picture(window, "Window_Top", 0, 0, w, 20);
    top->SetAlign(TAlignLayout::Top);
    Shadow(top, 90, 2, 0.8f, 0.4f);
    auto *close = new TPicButton(window, TResBut{"", "Icon_Close_1", "Icon_Close_2", "Icon_Close_3"});
    close->SetParent(window);
    close->SetStretch(true);
    close->SetBounds(w - 20, 2, 15, 15);
    Picture(window, "Window_Background", 5, 20, w - 10, h - 30);
    Label(window, title, 8, 2, 12, 0xFFFFFFFF, true);
    return window;
}

} // namespace

QStringList SceneNames() {
    return TableSceneNames() << QStringLiteral("widgets") << LobbySceneNames() << FacadeSceneNames();
}

namespace {

TDemoScene BuildWidgets() {
    UseStandInsIfNeeded();
    TDemoScene scene;
    scene.form = std::make_unique<TForm>();
    TForm *form = scene.form.get();
    form->SetSize(1024, 700);
    TImageEx *cloth = Picture(form, "Background_Table", 0, 0);
    cloth->SetAlign(TAlignLayout::Client);

    // The lobby's list: rows of picture buttons with icons in a scroll box, the counts below.
    auto *list = Add<TLayout>(form);
    list->SetBounds(30, 30, 545, 365);
    Picture(list, "Background_TableList", 0, 0, 545, 365);
    Label(list, QStringLiteral("№ стола"), 30, 4, 12, 0xFF000000, true);
    Label(list, QStringLiteral("Опции стола"), 250, 4, 12, 0xFF000000, true);
    Label(list, QStringLiteral("Кол-во игроков"), 400, 4, 12, 0xFF000000, true);
    auto *lineTop = Add<TLine>(list);
    lineTop->SetBounds(0, 22, 545, 1);
    auto *scroll = Add<TScrollBox>(list);
    scroll->SetBounds(0, 25, 545, 300);
    for (int i = 0; i < 11; ++i) {
        auto *row = new TPicButton(
            scroll, TResBut{"", "Button_ServerList_1", "Button_ServerList_2", "Button_ServerList_3"});
        row->SetParent(scroll);
        row->SetStretch(true);
        row->SetBounds(10, 32.0f * i, 510, 30);
        Label(row, QString::number(i + 1), 40, 8, 12, 0xFF000000, true);
        const char *rules[3][2] = {{"Icon_Transfer_Off", "Icon_Transfer_On"},
                                   {"Icon_FNTR_Off", "Icon_FNTR_On"},
                                   {"Icon_Max_Five_Off", "Icon_Max_Five_On"}};
        for (int k = 0; k < 3; ++k) {
            auto *icon = Add<TIcon>(row);
            icon->LoadFromResources(rules[k][(i + k) % 2]);
            icon->SetWrapMode(TImageWrapMode::Stretch);
            icon->SetBounds(250 + 22.0f * k, 5, 20, 20);
        }
        for (int k = 0; k < 4; ++k) {
            auto *seat = Add<TIcon>(row);
            seat->LoadFromResources(k < (i % 5) ? "Icon_Player_1" : "Icon_Player_2");
            seat->SetWrapMode(TImageWrapMode::Stretch);
            seat->SetBounds(403 + 15.0f * k, 5, 20, 20);
        }
    }
    scroll->SetViewportY(40);
    auto *lineBottom = Add<TLine>(list);
    lineBottom->SetBounds(0, 324, 545, 1);
    Label(list, QStringLiteral("Столов:"), 120, 337, 12, 0xFF000000, true);
    Label(list, QStringLiteral("11"), 180, 337, 12, 0xFF000000, false);
    auto *open = new TPicButton(form, TResBut{"Button_Open_Table_1", "Button_Open_Table_1",
                                              "Button_Open_Table_2", "Button_Open_Table_3"});
    open->SetParent(form);
    open->SetAutoSize(true);
    open->SetPosition(202, 405);

    // Settings-like window: a group box with check boxes and their marks.
    TLayout *settings = FramedWindow(form, 275, 170, QStringLiteral("Открыть новый стол"));
    settings->SetAlign(TAlignLayout::None);
    settings->SetPosition(640, 30);
    auto *group = Add<TGroupBox>(settings);
    group->SetText(QStringLiteral("Настройки"));
    group->SetBounds(15, 30, 245, 97);
    const char *texts[3] = {"Переводной дурак", "Первый кон не переводится", "Первый кон не более 5 карт"};
    const char *marks[3] = {"Icon_Transfer_On", "Icon_FNTR_Off", "Icon_Max_Five_On"};
    for (int i = 0; i < 3; ++i) {
        auto *mark = Add<TIcon>(group);
        mark->LoadFromResources(marks[i]);
        mark->SetWrapMode(TImageWrapMode::Stretch);
        mark->SetBounds(20, 20 + 19.0f * i, 20, 20);
        auto *check = Add<TCheckBox>(group);
        check->SetBounds(40, 20 + 19.0f * i, 190, 19);
        check->SetText(QString::fromUtf8(texts[i]));
        check->SetIsChecked(i != 1);
        check->SetEnabled(i != 1);
    }
    auto *okButton = new TPicButton(settings, TResBut{"", "Button_OK_1", "Button_OK_2", "Button_OK_3"});
    okButton->SetParent(settings);
    okButton->SetStretch(true);
    okButton->SetBounds(195, 135, 70, 20);

    // Callouts with the pointer on each side, text trimming, a busy indicator.
    struct Tip {
        TCalloutPosition side;
        float x, y;
        const char *text;
    };
    const Tip tips[2] = {{TCalloutPosition::Top, 640, 230,
                          "Время на ход (если дважды подряд Вы не успеете сделать ход, игра закончится)."},
                         {TCalloutPosition::Bottom, 640, 330, "Имя моего соперника"}};
    for (const Tip &tip : tips) {
        auto *rect = Add<TCalloutRectangle>(form);
        rect->SetBounds(tip.x, tip.y, 300, 80);
        rect->SetFill(0xFFF5F5F5);
        rect->SetXRadius(5);
        rect->SetYRadius(5);
        rect->SetCalloutPosition(tip.side);
        auto *text = Add<TText>(rect);
        text->SetFontSize(15);
        text->SetTrimming(TTextTrimming::Word);
        text->SetText(QString::fromUtf8(tip.text));
        text->SetBounds(20, tip.side == TCalloutPosition::Top ? 20 : 9, 260, 51);
    }
    auto *busy = Add<TBusyIndicator>(form);
    busy->SetBounds(960, 230, 40, 40);
    busy->SetEnabled(true);
    auto *trimmed = Add<TText>(form);
    trimmed->SetBounds(640, 440, 330, 20);
    trimmed->SetWordWrap(false);
    trimmed->SetTrimming(TTextTrimming::Character);
    trimmed->SetColor(0xFFFFFFFF);
    trimmed->SetHorzTextAlign(TTextAlign::Leading);
    trimmed->SetText(QStringLiteral("Обрезка по символам: очень длинная строка, которая не помещается"));

    // A reflected title and rotated cards with a shadow.
    TText *title = Label(form, QStringLiteral("Trelvo"), 60, 480, 40, 0xFFFFFFFF, true);
    auto *reflection = Add<TReflectionEffect>(title);
    reflection->SetOpacity(0.6f);
    reflection->SetOffset(-5);
    reflection->SetLength(0.45f);
    for (int i = 0; i < 5; ++i) {
        TImageEx *card = Card(form, 1 + i % 4, 9 + i, 380 + 40.0f * i, 500);
        card->SetRotationCenter(0.5f, 1.0f);
        card->SetRotationAngle(-20.0f + 10.0f * i);
        Shadow(card, 45, 3, 0.6f, 0.3f);
    }

    // The player bar's clock with its hint, the pointer resting on it: the callout shows after
    // 500 ms and has faded in 300 ms later.
    auto *bar = Add<TLayout>(form);
    bar->SetBounds(600, 560, 393, 95);
    Picture(bar, "Player_Bar", 0, 0)->SetAlign(TAlignLayout::Client);
    auto *clockMark = Add<TImageHint>(bar);
    clockMark->LoadFromResources("Player_Bar_Clock");
    clockMark->SetAutoSize(true);
    clockMark->SetPosition(200, 50);
    clockMark->SetShowHint(true);
    clockMark->SetHint(
        QStringLiteral("Время на ход (если дважды подряд Вы не успеете сделать ход в течение этого "
                       "времени, игра закончится и Вас оштрафуют)."));
    Label(bar, QStringLiteral("27"), 225, 52, 14, 0xFFFFFFFF, true);
    form->PointerMove(clockMark->LocalToAbsolute(QPointF(10, 10)));
    scene.shotAtMs = 900;
    return scene;
}

} // namespace

TDemoScene Build(const QString &name) {
    TDemoScene scene;
    if (BuildTableScene(name, scene))
        return scene;
    if (name == QLatin1String("widgets"))
        return BuildWidgets();
    if (LobbySceneNames().contains(name))
        return BuildLobbyScene(name);
    if (FacadeSceneNames().contains(name.section(u'@', 0, 0)))
        return BuildFacadeScene(name);
    scene.form = std::make_unique<TForm>();
    return scene;
}

} // namespace trelvo::demo
