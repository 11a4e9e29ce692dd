#include "assets/Assets.h"
#include "common/Exceptions.h"

#include <QColor>
#include <QSet>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace trelvo;

namespace {

enum class Fmt { Png, Jpeg };

struct CatalogueEntry {
    QString Name;
    Fmt Format;
    int W, H;
};

// The catalogue as the game's screens were laid out for it, written out by hand.
std::vector<CatalogueEntry> Catalogue() {
    std::vector<CatalogueEntry> c = {
        {"Window_Background", Fmt::Jpeg, 1134, 1134},
        {"Window_Frame", Fmt::Jpeg, 894, 72},
        {"Window_Top", Fmt::Jpeg, 1280, 98},
        {"Background_TableList", Fmt::Png, 300, 300},
        {"Icon_Player_1", Fmt::Png, 40, 40},
        {"Icon_Player_2", Fmt::Png, 40, 40},
        {"Icon_Transfer_Off", Fmt::Png, 20, 20},
        {"Icon_Transfer_On", Fmt::Png, 20, 20},
        {"Icon_FNTR_Off", Fmt::Png, 40, 40},
        {"Icon_FNTR_On", Fmt::Png, 40, 40},
        {"Icon_Max_Five_Off", Fmt::Png, 40, 40},
        {"Icon_Max_Five_On", Fmt::Png, 40, 40},
        {"Icon_Player_Win", Fmt::Jpeg, 460, 40},
        {"Icon_Player_Lose", Fmt::Jpeg, 460, 40},
        {"Icon_Player_Draw", Fmt::Jpeg, 460, 40},
        {"Icon_Player_New_Table", Fmt::Jpeg, 460, 40},
        {"Background_Table", Fmt::Jpeg, 1280, 1024},
        {"Card_Lights", Fmt::Png, 180, 239},
        {"Transparency", Fmt::Png, 180, 239},
        {"Take_Card_1", Fmt::Png, 88, 36},
        {"Take_Card_2", Fmt::Png, 88, 36},
        {"Pointer_Beat", Fmt::Png, 193, 152},
        {"Player_Bar", Fmt::Png, 393, 95},
        {"Player_Bar_Clock", Fmt::Png, 19, 21},
        {"Nick_Bar_Active", Fmt::Jpeg, 560, 164},
        {"Nick_Bar_NoActive", Fmt::Jpeg, 560, 164},
        {"Panel_Deck", Fmt::Png, 78, 32},
        {"Panel_Deck_Clubs", Fmt::Png, 20, 19},
        {"Panel_Deck_Diamonds", Fmt::Png, 20, 20},
        {"Panel_Deck_Hearts", Fmt::Png, 21, 18},
        {"Panel_Deck_Spades", Fmt::Png, 21, 19},
        {"Round_End", Fmt::Png, 103, 29},
        {"Icon_Your_Turn", Fmt::Png, 179, 72},
        {"CARD_1_0_0", Fmt::Png, 71, 96},
    };
    struct Family {
        const char *Prefix;
        int Count;
        Fmt Format;
        int W, H;
    };
    const Family families[] = {
        {"Icon_Close_", 3, Fmt::Png, 102, 98},
        {"Button_OK_", 3, Fmt::Jpeg, 70, 20},
        {"Button_Open_Table_", 3, Fmt::Jpeg, 200, 50},
        {"Button_ServerList_", 3, Fmt::Jpeg, 510, 30},
        {"Button_Ready_", 3, Fmt::Jpeg, 100, 35},
        {"Button_NoReady_", 3, Fmt::Jpeg, 100, 35},
        {"Player_Bar_Button_Take_", 4, Fmt::Png, 34, 34},
        {"Player_Bar_Button_Bito_", 4, Fmt::Png, 34, 34},
        {"Place_Lights_", 3, Fmt::Png, 71, 96},
        {"Button_PickUp_", 3, Fmt::Png, 53, 76},
        {"Button_Bito_", 3, Fmt::Png, 53, 76},
    };
    for (const Family &f : families)
        for (int i = 1; i <= f.Count; ++i)
            c.push_back({QString::fromLatin1(f.Prefix) + QString::number(i), f.Format, f.W, f.H});
    for (int suit = 1; suit <= 4; ++suit)
        for (int dignity = 1; dignity <= 13; ++dignity)
            c.push_back({QStringLiteral("Card_1_%1_%2").arg(suit).arg(dignity), Fmt::Png, 71, 96});
    return c;
}

Fmt FormatByMagic(const QByteArray &bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return Fmt::Png;
    EXPECT_TRUE(bytes.startsWith("\xff\xd8\xff")) << "neither PNG nor JPEG";
    return Fmt::Jpeg;
}

TEST(AssetCatalogue, EveryNameHasItsSizeAndFormat) {
    const auto catalogue = Catalogue();
    EXPECT_EQ(catalogue.size(), 121u);
    for (const CatalogueEntry &e : catalogue) {
        SCOPED_TRACE(e.Name.toStdString());
        ASSERT_TRUE(HasAsset(e.Name));
        const QImage img = LoadAsset(e.Name);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.width(), e.W);
        EXPECT_EQ(img.height(), e.H);
        EXPECT_EQ(FormatByMagic(LoadAssetData(e.Name)), e.Format);
        // PNGs carry alpha; JPEGs are opaque.
        EXPECT_EQ(img.hasAlphaChannel(), e.Format == Fmt::Png);
    }
}

TEST(AssetCatalogue, NamesAreUniqueAndCoverTheCatalogue) {
    const QStringList names = AssetNames();
    QSet<QString> lower;
    for (const QString &n : names)
        lower.insert(n.toLower());
    EXPECT_EQ(lower.size(), names.size()) << "two assets differ only in letter case";
    for (const CatalogueEntry &e : Catalogue())
        EXPECT_TRUE(names.contains(e.Name)) << "stored under another spelling: " << e.Name.toStdString();
}

TEST(AssetLookup, IgnoresLetterCase) {
    struct Case {
        const char *Asked;
        const char *Stored;
    };
    const Case cases[] = {
        {"window_frame", "Window_Frame"}, {"WINDOW_FRAME", "Window_Frame"}, {"card_1_0_0", "CARD_1_0_0"},
        {"Card_1_0_0", "CARD_1_0_0"},     {"CARD_1_4_12", "Card_1_4_12"},   {"icon_fntr_on", "Icon_FNTR_On"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Asked);
        ASSERT_TRUE(HasAsset(c.Asked));
        EXPECT_EQ(LoadAsset(c.Asked), LoadAsset(c.Stored));
        EXPECT_EQ(LoadAssetData(c.Asked), LoadAssetData(c.Stored));
    }
}

TEST(AssetLookup, UnknownNameRaisesAssetNotFound) {
    const char *const missing[] = {"",
                                   "Card_1_0_1",
                                   "Card_1_5_1",
                                   "Card_1_1_14",
                                   "Card_1_01_1",
                                   "Button_OK_4",
                                   "Window_Frame.jpg",
                                   " Window_Frame",
                                   "Player_Bar_Button_Take_5"};
    for (const char *name : missing) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(HasAsset(name));
        try {
            LoadAsset(name);
            ADD_FAILURE() << "no error";
        } catch (const EAssetNotFound &e) {
            EXPECT_STREQ(e.ClassName(), "EAssetNotFound");
            EXPECT_NE(e.Message().find(std::string("\"") + name + "\""), std::string::npos) << e.Message();
        }
        EXPECT_THROW(LoadAssetData(name), EAssetNotFound);
    }
}

TEST(AssetPixels, HighlightIsUniformYellowAtAlpha87) {
    const QImage lights = LoadAsset("Card_Lights");
    const QImage clear = LoadAsset("Transparency");
    for (int y = 0; y < lights.height(); ++y)
        for (int x = 0; x < lights.width(); ++x) {
            ASSERT_EQ(lights.pixelColor(x, y), QColor(0xfb, 0xf6, 0x2c, 87)) << x << "," << y;
            ASSERT_EQ(qAlpha(clear.pixel(x, y)), 0) << x << "," << y;
        }
}

TEST(AssetPixels, DropPlacesHaveWhiteOutlineAndTheirVeil) {
    enum class Veil { None, White, Yellow };
    struct Case {
        const char *Name;
        Veil Inside;
    };
    const Case cases[] = {
        {"Place_Lights_1", Veil::None}, {"Place_Lights_2", Veil::White}, {"Place_Lights_3", Veil::Yellow}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const QImage img = LoadAsset(c.Name);
        const QColor edge = img.pixelColor(35, 1);
        EXPECT_GE(edge.alpha(), 180);
        EXPECT_GE(std::min({edge.red(), edge.green(), edge.blue()}), 250);
        const QColor mid = img.pixelColor(35, 48);
        switch (c.Inside) {
        case Veil::None:
            EXPECT_EQ(mid.alpha(), 0);
            break;
        case Veil::White:
            EXPECT_GT(mid.alpha(), 20);
            EXPECT_LT(mid.alpha(), 200);
            EXPECT_GE(std::min({mid.red(), mid.green(), mid.blue()}), 250);
            break;
        case Veil::Yellow:
            EXPECT_GT(mid.alpha(), 20);
            EXPECT_LT(mid.alpha(), 200);
            EXPECT_GE(std::min(mid.red(), mid.green()), 240);
            EXPECT_LT(mid.blue(), 80);
            break;
        }
    }
}

TEST(AssetPixels, FreeSeatIsTheTakenSeatAtHalfOpacity) {
    const QImage taken = LoadAsset("Icon_Player_1");
    const QImage free = LoadAsset("Icon_Player_2");
    int solid = 0;
    for (int y = 0; y < taken.height(); ++y)
        for (int x = 0; x < taken.width(); ++x) {
            const QRgb t = taken.pixel(x, y), f = free.pixel(x, y);
            if (qAlpha(t) == 255) {
                ++solid;
                EXPECT_NEAR(qAlpha(f), 128, 1) << x << "," << y;
                EXPECT_NEAR(qRed(f), qRed(t), 2) << x << "," << y;
            }
        }
    EXPECT_GT(solid, 300) << "the person mark is missing";
}

TEST(AssetPixels, CardsAreDistinctWithTransparentRoundedCorners) {
    QSet<QByteArray> seen;
    for (int suit = 0; suit <= 4; ++suit)
        for (int dignity = suit == 0 ? 0 : 1; dignity <= (suit == 0 ? 0 : 13); ++dignity) {
            const QString name = QStringLiteral("Card_1_%1_%2").arg(suit).arg(dignity);
            SCOPED_TRACE(name.toStdString());
            const QImage card = LoadAsset(name);
            EXPECT_EQ(qAlpha(card.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(card.pixel(70, 95)), 0);
            EXPECT_EQ(qAlpha(card.pixel(35, 48)), 255);
            seen.insert(LoadAssetData(name));
        }
    EXPECT_EQ(seen.size(), 53);
}

TEST(AssetGallery, SheetShowsEveryAsset) {
    const QImage sheet = RenderGallerySheet();
    ASSERT_FALSE(sheet.isNull());
    EXPECT_GE(sheet.width(), 1000);
    // Every asset needs at least a caption's worth of room.
    EXPECT_GT(qint64(sheet.width()) * sheet.height(), qint64(AssetNames().size()) * 150 * 30);
    EXPECT_TRUE(sheet.save(QStringLiteral(TRELVO_GALLERY_PNG)));
}

} // namespace
