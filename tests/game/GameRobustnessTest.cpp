#include "GameFixture.h"

#include "common/Exceptions.h"

#include <algorithm>
#include <random>

using namespace trelvo;
using namespace trelvo::test;

class GameRobustness : public GameFixture {};

// Whatever the server sends, in whatever state, mixed with the user's actions and the passing of
// time: the controller neither crashes nor leaves its states. Only the two documented errors (a
// negative table count, a bad float in a redirected record) may escape to the dispatcher.
TEST_F(GameRobustness, RandomMessagesInEveryState) {
    const char *fields[] = {"",
                            "0",
                            "1",
                            "2",
                            "3",
                            "4",
                            "5",
                            "6",
                            "-1",
                            "255",
                            "256",
                            "128",
                            "13",
                            "2147483647",
                            "-2147483648",
                            "99999999999",
                            "x",
                            "+",
                            " 7",
                            "Ann",
                            "Bob",
                            "$r^e%p#l&a-c=e@",
                            "1,25",
                            "1.25"};
    const int subs[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16, 20, 21, 22};
    std::mt19937 random(20261210);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int game = 0; game < 150; ++game) {
        Drive(pick(7));
        for (int i = 0; i < 300; ++i) {
            switch (pick(4)) {
            case 0: {
                const int n = pick(40);
                QString payload;
                for (int f = 0; f < n; ++f)
                    payload += QString::fromUtf8(fields[pick(std::size(fields))]) + QLatin1Char(';');
                if (pick(3) == 0 && !payload.isEmpty())
                    payload.chop(1);
                // A game server's text never raises into the user's face.
                EXPECT_NO_THROW(Server(subs[pick(std::size(subs))], payload)) << payload.toStdString();
                break;
            }
            case 1:
                switch (pick(8)) {
                case 0:
                    Gfx->OnCardGo(static_cast<uint8_t>(pick(256)));
                    break;
                case 1:
                    Gfx->OnCardCover(static_cast<uint8_t>(pick(256)), static_cast<uint8_t>(pick(6)));
                    break;
                case 2:
                    Gfx->OnPlayerTakeCard();
                    break;
                case 3:
                    Gfx->OnGetTempCard(static_cast<uint8_t>(pick(5)), static_cast<uint8_t>(pick(14)));
                    break;
                case 4:
                    Gfx->OnBitoEnd();
                    break;
                case 5:
                    Gfx->OnReady(pick(2) == 1);
                    break;
                case 6:
                    Gfx->OnEnterTable(pick(20));
                    break;
                default:
                    Gfx->OnCloseInvite();
                    break;
                }
                break;
            case 2:
                Clock.Advance(pick(3000));
                break;
            default:
                Server(pick(2) ? 9 : 13, pick(2) ? "4;30;0;Ann;1;Bob;2;Cid;3;Dan;0;4;13;20;2;1;1;5;2;2;6;"
                                                 : "0;1;0;10;3;0;6;1;6;2;6;2;3;3;7;4;4;8;");
                break;
            }
            ASSERT_GE(Game->State(), 0);
            ASSERT_LE(Game->State(), 6);
        }
    }
}
