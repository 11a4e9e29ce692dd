#include "host/Autoplayer.h"

#include "host/X11Input.h"

#include "assets/Assets.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace trelvo::host {

namespace {

// The own hand lies in the lower part of the window.
constexpr double kHandTop = 0.55;
// A column belongs to a lit card when this many of its pixels are veiled.
constexpr int kMinVeiledPerColumn = 12;
// How far into a strip the click lands: inside the leftmost card's visible part.
constexpr int kClickInset = 10;

// A card's white face seen through the yellow veil: red and green stay near full, blue drops to about
// two thirds. Narrow on purpose: the gold and cream of the court cards' art must not pass for it.
bool Veiled(QRgb Pixel) {
    const int r = qRed(Pixel), g = qGreen(Pixel), b = qBlue(Pixel);
    return r >= 240 && g >= 236 && b >= 150 && b <= 192 && r - b >= 50;
}

} // namespace

std::vector<QPoint> FindLitCards(const QImage &Shot) {
    const QImage image = Shot.convertToFormat(QImage::Format_RGB32);
    const int top = static_cast<int>(image.height() * kHandTop);
    std::vector<int> count(image.width(), 0), sumY(image.width(), 0);
    for (int y = top; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (Veiled(row[x])) {
                ++count[x];
                sumY[x] += y;
            }
    }
    std::vector<QPoint> cards;
    for (int x = 0; x < image.width();) {
        if (count[x] < kMinVeiledPerColumn) {
            ++x;
            continue;
        }
        int end = x;
        while (end < image.width() && count[end] >= kMinVeiledPerColumn)
            ++end;
        const int clickX = x + std::min(kClickInset, (end - x) / 2);
        cards.emplace_back(clickX, sumY[clickX] / count[clickX]);
        x = end;
    }
    return cards;
}

namespace {

// A button as it rests and as it shows with the pointer over it (where the last click left it).
std::vector<QImage> ButtonPictures(const char *Name) {
    return {LoadAsset(QStringLiteral("%1_1").arg(QLatin1String(Name))),
            LoadAsset(QStringLiteral("%1_2").arg(QLatin1String(Name)))};
}

// A row of the table list, known by its stretch between the table's number and its rule marks: the
// number, the marks and the seat icons are drawn over the rest of the row.
std::vector<QImage> ListedTablePictures() {
    std::vector<QImage> pictures;
    for (const QImage &row : ButtonPictures("Button_ServerList"))
        pictures.push_back(row.copy(80, 0, 160, row.height()));
    return pictures;
}

} // namespace

TScreenReader::TScreenReader()
    : FOpenTable(ButtonPictures("Button_Open_Table")), FListedTable(ListedTablePictures()),
      FOk(ButtonPictures("Button_OK")), FReady(ButtonPictures("Button_Ready")),
      FNotReady(ButtonPictures("Button_NoReady")), FTake(ButtonPictures("Button_PickUp")),
      FBito(ButtonPictures("Button_Bito")) {}

TSight TScreenReader::Read(const QImage &Shot) const {
    const QImage image = Shot.convertToFormat(QImage::Format_RGB32);
    TSight sight;
    sight.OpenTable = FOpenTable.Find(image);
    // Only the lobby lists tables.
    if (sight.OpenTable)
        sight.ListedTable = FListedTable.Find(image);
    sight.Ok = FOk.Find(image);
    sight.Ready = FReady.Find(image);
    sight.NotReady = FNotReady.Find(image);
    sight.Take = FTake.Find(image);
    sight.Bito = FBito.Find(image);
    sight.LitCards = FindLitCards(image);
    return sight;
}

bool SameButtons(const TSight &A, const TSight &B) {
    return A.OpenTable.has_value() == B.OpenTable.has_value() &&
           A.ListedTable.has_value() == B.ListedTable.has_value() && A.Ok.has_value() == B.Ok.has_value() &&
           A.Ready.has_value() == B.Ready.has_value() && A.NotReady.has_value() == B.NotReady.has_value() &&
           A.Take.has_value() == B.Take.has_value() && A.Bito.has_value() == B.Bito.has_value() &&
           A.LitCards.size() == B.LitCards.size();
}

TAutoChoice ChooseMove(const TSight &Sight, int StillLooks, TAutoSeat Seat, std::mt19937_64 &Random) {
    // A dialog lies over whatever is behind it: answer it first.
    if (Sight.Ok)
        return {TAutoMove::Confirm, *Sight.Ok};
    if (Sight.Ready)
        return StillLooks >= TAutoplayer::kLooksBeforeReady ? TAutoChoice{TAutoMove::Ready, *Sight.Ready}
                                                            : TAutoChoice{};
    if (Sight.OpenTable) {
        if (Seat == TAutoSeat::OpenTable)
            return {TAutoMove::OpenTable, *Sight.OpenTable};
        return Sight.ListedTable ? TAutoChoice{TAutoMove::EnterTable, *Sight.ListedTable} : TAutoChoice{};
    }
    // The waiting room's cream looks much like a lit card: nothing to play until the game starts.
    if (Sight.NotReady)
        return {};
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    // A defender mostly covers and takes when nothing covers. With every card covered the take button
    // stays too, and the attacker is about to throw in or end the bout: only a table that stays so
    // for a look or two means there is nothing left to cover.
    if (Sight.Take) {
        if (Sight.LitCards.empty())
            return StillLooks >= TAutoplayer::kLooksBeforeTake ? TAutoChoice{TAutoMove::Take, *Sight.Take}
                                                               : TAutoChoice{};
        if (chance(Random) < 0.15)
            return {TAutoMove::Take, *Sight.Take};
    }
    // An attacker ends the bout about every other time it could throw in.
    if (Sight.Bito && (Sight.LitCards.empty() || chance(Random) < 0.5))
        return {TAutoMove::Bito, *Sight.Bito};
    if (Sight.LitCards.empty())
        return {};
    const std::size_t card = std::uniform_int_distribution<std::size_t>(0, Sight.LitCards.size() - 1)(Random);
    return {TAutoMove::PlayCard, Sight.LitCards[card]};
}

QString AutoMoveName(TAutoMove Move) {
    switch (Move) {
    case TAutoMove::None:
        return QStringLiteral("nothing");
    case TAutoMove::OpenTable:
        return QStringLiteral("opens a new table");
    case TAutoMove::EnterTable:
        return QStringLiteral("enters a listed table");
    case TAutoMove::Confirm:
        return QStringLiteral("confirms");
    case TAutoMove::Ready:
        return QStringLiteral("is ready");
    case TAutoMove::PlayCard:
        return QStringLiteral("plays a lit card");
    case TAutoMove::Take:
        return QStringLiteral("takes");
    case TAutoMove::Bito:
        return QStringLiteral("says bito");
    }
    return QString();
}

TAutoplayer::TAutoplayer(TClock &Clock, TX11Input &Input, std::function<std::uint32_t()> GameWindow,
                         std::uint64_t Seed, int LookEveryMs, TAutoSeat Seat)
    : FClock(Clock), FInput(Input), FGameWindow(std::move(GameWindow)), FRandom(Seed),
      FLookEveryMs(LookEveryMs), FSeat(Seat) {
    FTimer = FClock.Schedule(FLookEveryMs, [this] { Look(); });
}

TAutoplayer::~TAutoplayer() {
    FClock.Cancel(FTimer);
}

void TAutoplayer::Look() {
    FTimer = FClock.Schedule(FLookEveryMs, [this] { Look(); });
    const std::uint32_t window = FGameWindow();
    QScreen *screen = QGuiApplication::primaryScreen();
    int rootX = 0, rootY = 0;
    if (window == 0 || !screen || !FInput.RootPosition(window, rootX, rootY))
        return;
    const TSight sight = FReader.Read(screen->grabWindow(window).toImage());
    FStillLooks = FStillLooks > 0 && SameButtons(sight, FLastSight) ? FStillLooks + 1 : 1;
    FLastSight = sight;
    const TAutoChoice choice = ChooseMove(sight, FStillLooks, FSeat, FRandom);
    if (choice.Move == TAutoMove::None)
        return;
    const QPoint root(rootX + choice.At.x(), rootY + choice.At.y());
    // The pointer stays where it clicked: moved off at once, a press could be taken for a leave.
    FInput.Click(root.x(), root.y());
    ++FClicks;
    // What the click changes is a new sight.
    FStillLooks = 0;
    if (auto handler = OnClick)
        handler(choice.Move, root);
}

} // namespace trelvo::host
