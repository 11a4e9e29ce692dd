// trelvo-server stopped in the middle of a game, as `systemctl restart` stops it (SIGTERM): the game ends
// without a result, so nobody is rated or recorded as its loser, and every player's connection is closed
// as "going away" with the reason in words.
#include "ServerProcess.h"

#include "netserver/Store.h"

#include <QTemporaryDir>
#include <QWebSocketProtocol>

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::net;
using namespace trelvo::net::test;
using trelvo::test::SpinUntil;

namespace {

TEST(ServerStop, ARestartMidGameRatesNothingAndTellsThePlayersTheServerStopped) {
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store.sqlite"));
    TServerProcess server(QStringLiteral(TRELVO_SERVER_BINARY),
                          {QStringLiteral("--db"), store, QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    ASSERT_TRUE(server.WaitListening()) << server.Log().toStdString();
    TWsPeer ann(server.Port()), bob(server.Port());
    ASSERT_TRUE(SitDownAndPlay(ann, bob)) << server.Log().toStdString();

    server.Process.Terminate();
    ASSERT_TRUE(SpinUntil([&] { return ann.Closed && bob.Closed; }, kProcessDeadlineMs));
    for (TWsPeer *peer : {&ann, &bob}) {
        EXPECT_EQ(peer->Socket.closeCode(), QWebSocketProtocol::CloseCodeGoingAway);
        EXPECT_EQ(peer->Socket.closeReason().toStdString(), kServerStoppedReason.toStdString());
        // Neither a result nor a removal: the game simply ends with the server.
        EXPECT_TRUE(FrameStarting(*peer, QStringLiteral("15;")).isEmpty()) << peer->Got.join(' ').toStdString();
        EXPECT_TRUE(FrameStarting(*peer, QStringLiteral("16;")).isEmpty()) << peer->Got.join(' ').toStdString();
    }
    ASSERT_TRUE(server.Process.WaitForFinished(kProcessDeadlineMs));
    EXPECT_EQ(server.Process.ExitCode(), 0) << server.Log().toStdString();

    TStoreDb db(store);
    QString error;
    ASSERT_TRUE(db.Open(error)) << error.toStdString();
    EXPECT_TRUE(db.Games().empty());
    EXPECT_TRUE(db.LoadRatings().empty());
}

} // namespace
