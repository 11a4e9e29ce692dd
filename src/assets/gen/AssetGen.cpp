// trelvo_assetgen OUTDIR: draws every picture of the asset catalogue into OUTDIR, with a manifest
// (name, file, format in catalogue order) and the .qrc that compiles them into trelvo_assets.
// trelvo_assetgen --icons OUTDIR: the program's desktop icon in the usual sizes.

#include "Art.h"
#include "Pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <stdexcept>

using namespace trelvo::art;

namespace {

enum class TFormat { Png, Jpeg };

struct TAsset {
    QString Name;
    TFormat Format;
    int W, H;
    std::function<QImage()> Draw;
};

QList<TAsset> Catalogue() {
    QList<TAsset> list;
    auto add = [&list](const QString &name, TFormat f, int w, int h, std::function<QImage()> draw) {
        list.append(TAsset{name, f, w, h, std::move(draw)});
    };
    const auto png = TFormat::Png, jpeg = TFormat::Jpeg;
    auto n = [](const char *base, int i) { return QString::fromLatin1(base) + QString::number(i); };

    add("Window_Background", jpeg, 1134, 1134, [] { return WindowBackground(1134, 1134); });
    add("Window_Frame", jpeg, 894, 72, [] { return WindowFrame(894, 72); });
    add("Window_Top", jpeg, 1280, 98, [] { return WindowTop(1280, 98); });
    for (int s = 1; s <= 3; ++s)
        add(n("Icon_Close_", s), png, 102, 98, [s] { return CloseIcon(s); });
    for (int s = 1; s <= 3; ++s)
        add(n("Button_OK_", s), jpeg, 70, 20, [s] { return GreenButton(70, 20, "OK", 0, s); });
    for (int s = 1; s <= 3; ++s)
        add(n("Button_Open_Table_", s), jpeg, 200, 50,
            [s] { return GreenButton(200, 50, QString::fromUtf8("Открыть новый стол"), 0, s); });
    for (int s = 1; s <= 3; ++s)
        add(n("Button_ServerList_", s), jpeg, 510, 30, [s] { return ServerListRow(s); });
    add("Background_TableList", png, 300, 300, [] { return TableListBackground(); });
    add("Icon_Player_1", png, 40, 40, [] { return PlayerIcon(true); });
    add("Icon_Player_2", png, 40, 40, [] { return PlayerIcon(false); });
    add("Icon_Transfer_Off", png, 20, 20, [] { return TransferIcon(false); });
    add("Icon_Transfer_On", png, 20, 20, [] { return TransferIcon(true); });
    add("Icon_FNTR_Off", png, 40, 40, [] { return FirstNotTransferredIcon(false); });
    add("Icon_FNTR_On", png, 40, 40, [] { return FirstNotTransferredIcon(true); });
    add("Icon_Max_Five_Off", png, 40, 40, [] { return MaxFiveIcon(false); });
    add("Icon_Max_Five_On", png, 40, 40, [] { return MaxFiveIcon(true); });
    for (int s = 1; s <= 3; ++s)
        add(n("Button_Ready_", s), jpeg, 100, 35,
            [s] { return GreenButton(100, 35, QString::fromUtf8("Готов?"), 1, s); });
    for (int s = 1; s <= 3; ++s)
        add(n("Button_NoReady_", s), jpeg, 100, 35,
            [s] { return GreenButton(100, 35, QString::fromUtf8("Готов!"), 2, s); });
    add("Icon_Player_Win", jpeg, 460, 40, [] { return ResultBanner(0); });
    add("Icon_Player_Lose", jpeg, 460, 40, [] { return ResultBanner(1); });
    add("Icon_Player_Draw", jpeg, 460, 40, [] { return ResultBanner(2); });
    add("Icon_Player_New_Table", jpeg, 460, 40, [] { return ResultBanner(3); });
    add("Background_Table", jpeg, 1280, 1024, [] { return TableCloth(1280, 1024); });
    for (int suit = 1; suit <= 4; ++suit)
        for (int dignity = 1; dignity <= 13; ++dignity)
            add(QStringLiteral("Card_1_%1_%2").arg(suit).arg(dignity), png, 71, 96,
                [suit, dignity] { return CardFace(suit, dignity); });
    add("CARD_1_0_0", png, 71, 96, [] { return CardBack(); });
    add("Card_Lights", png, 180, 239, [] { return CardLights(180, 239); });
    add("Transparency", png, 180, 239, [] { return Transparent(180, 239); });
    add("Take_Card_1", png, 88, 36, [] { return TakeMark(1); });
    add("Take_Card_2", png, 88, 36, [] { return TakeMark(2); });
    add("Pointer_Beat", png, 193, 152, [] { return PointerBeat(); });
    add("Player_Bar", png, 393, 95, [] { return PlayerBar(); });
    add("Player_Bar_Clock", png, 19, 21, [] { return PlayerBarClock(); });
    for (int s = 1; s <= 4; ++s)
        add(n("Player_Bar_Button_Take_", s), png, 34, 34, [s] { return PlayerBarButton(true, s); });
    for (int s = 1; s <= 4; ++s)
        add(n("Player_Bar_Button_Bito_", s), png, 34, 34, [s] { return PlayerBarButton(false, s); });
    add("Nick_Bar_Active", jpeg, 560, 164, [] { return NickBar(true); });
    add("Nick_Bar_NoActive", jpeg, 560, 164, [] { return NickBar(false); });
    for (int s = 1; s <= 3; ++s)
        add(n("Place_Lights_", s), png, 71, 96, [s] { return PlaceLights(s); });
    for (int s = 1; s <= 3; ++s)
        add(n("Button_PickUp_", s), png, 53, 76, [s] { return TableButton(true, s); });
    for (int s = 1; s <= 3; ++s)
        add(n("Button_Bito_", s), png, 53, 76, [s] { return TableButton(false, s); });
    add("Panel_Deck", png, 78, 32, [] { return PanelDeck(); });
    add("Panel_Deck_Clubs", png, 20, 19, [] { return SuitMark(1, 20, 19); });
    add("Panel_Deck_Diamonds", png, 20, 20, [] { return SuitMark(2, 20, 20); });
    add("Panel_Deck_Hearts", png, 21, 18, [] { return SuitMark(3, 21, 18); });
    add("Panel_Deck_Spades", png, 21, 19, [] { return SuitMark(4, 21, 19); });
    add("Round_End", png, 103, 29, [] { return RoundEnd(); });
    add("Icon_Your_Turn", png, 179, 72, [] { return YourTurn(); });
    // Not in the game's catalogue: the program's icon for the About window and the window manager.
    add("App_Icon", png, 128, 128, [] { return AppIcon(); });
    return list;
}

void WriteText(const QString &path, const QByteArray &text) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit())
        throw std::runtime_error("cannot write " + path.toStdString());
}

int Run(const QString &outDir) {
    LoadFonts();
    if (!QDir().mkpath(outDir))
        throw std::runtime_error("cannot create " + outDir.toStdString());
    QByteArray manifest, qrc;
    qrc += "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/trelvo_assets\">\n";
    for (const TAsset &a : Catalogue()) {
        const QImage img = a.Draw();
        if (img.width() != a.W || img.height() != a.H)
            throw std::runtime_error("drawn at the wrong size: " + a.Name.toStdString());
        const bool png = a.Format == TFormat::Png;
        const QString file = a.Name + (png ? ".png" : ".jpg");
        const bool saved =
            png ? img.convertToFormat(QImage::Format_ARGB32).save(outDir + "/" + file, "PNG")
                : img.convertToFormat(QImage::Format_RGB32).save(outDir + "/" + file, "JPEG", 92);
        if (!saved)
            throw std::runtime_error("cannot write " + file.toStdString());
        manifest += (a.Name + "\t" + file + "\t" + (png ? "PNG" : "JPEG") + "\n").toUtf8();
        qrc += ("<file>" + file + "</file>\n").toUtf8();
    }
    qrc += "<file>manifest.txt</file>\n</qresource>\n</RCC>\n";
    WriteText(outDir + "/manifest.txt", manifest);
    WriteText(outDir + "/trelvo_assets.qrc", qrc);
    return 0;
}

// The program's icon for the desktop, in the sizes of the hicolor theme: DIR/NxN/apps/trelvo.png.
int RunIcons(const QString &outDir) {
    LoadFonts();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!QDir().mkpath(dir))
            throw std::runtime_error("cannot create " + dir.toStdString());
        if (!AppIcon(size).convertToFormat(QImage::Format_ARGB32).save(dir + "/trelvo.png", "PNG"))
            throw std::runtime_error("cannot write the icon in " + dir.toStdString());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const bool icons = argc == 3 && QByteArray(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: trelvo_assetgen OUTDIR\n       trelvo_assetgen --icons OUTDIR\n");
        return 2;
    }
    try {
        if (icons)
            return RunIcons(QString::fromLocal8Bit(argv[2]));
        return Run(QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "trelvo_assetgen: %s\n", e.what());
        return 1;
    }
}
