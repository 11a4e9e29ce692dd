// The WebSocket wire of the host's link: the server's answer to the upgrade and the frames it sends, read
// as they arrive and held to their bounds.
#include "host/WsFrames.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trelvo::host::ws;

namespace {

// The example of RFC 6455, 1.3.
TEST(WsFramesTest, TheAcceptValueIsTheOneOfTheStandardsExample) {
    EXPECT_EQ(AcceptFor("dGhlIHNhbXBsZSBub25jZQ=="), QByteArray("s3pPLMBiTxaQ9kYGzzhZRbK+xOo="));
    const QByteArray request = BuildUpgradeRequest(QUrl(QStringLiteral("ws://10.0.0.1:47017")), "k==");
    EXPECT_TRUE(request.startsWith("GET / HTTP/1.1\r\nHost: 10.0.0.1:47017\r\n")) << request.toStdString();
    EXPECT_TRUE(request.contains("\r\nSec-WebSocket-Key: k==\r\n"));
    EXPECT_TRUE(request.endsWith("\r\n\r\n"));
}

TEST(WsFramesTest, TheUpgradeAnswerMustSwitchWithTheAcceptOwedAndStayWithinItsBound) {
    const QByteArray key = "dGhlIHNhbXBsZSBub25jZQ==";
    const QByteArray good = BuildUpgradeAnswer(key);
    const QByteArray pad = "X-Pad: " + QByteArray(1000, 'x') + "\r\n";
    QByteArray longButWithin = "HTTP/1.1 101 Switching Protocols\r\n";
    while (longButWithin.size() + pad.size() + 200 < kMaxHandshakeBytes)
        longButWithin += pad;
    longButWithin += good.mid(good.indexOf("\r\n") + 2);
    struct Case {
        const char *name;
        QByteArray answer;
        bool done;
    };
    const std::vector<Case> cases = {
        {"the right answer", good, true},
        {"header names in any case", "HTTP/1.1 101 OK\r\nUPGRADE: WebSocket\r\nconnection: keep-alive, Upgrade\r\n"
                                     "sec-websocket-accept: " + AcceptFor(key) + "\r\n\r\n", true},
        {"just within the bound", longButWithin, true},
        {"another status", "HTTP/1.1 200 OK\r\n\r\n", false},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n", false},
        {"a wrong accept", BuildUpgradeAnswer("another key"), false},
        {"no upgrade", "HTTP/1.1 101 OK\r\nSec-WebSocket-Accept: " + AcceptFor(key) + "\r\n\r\n", false},
        {"an extension nobody asked for", good.left(good.size() - 2) + "Sec-WebSocket-Extensions: x\r\n\r\n", false},
        {"a header line without a name", good.left(good.size() - 2) + "garbage\r\n\r\n", false},
        {"header lines over the bound", "HTTP/1.1 101 OK\r\n" + pad.repeated(17) + "\r\n", false},
        {"a status line over the bound", "HTTP/1.1 101 " + QByteArray(20000, 'S') + "\r\n\r\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // In pieces as a socket delivers them, and the first frame right behind it.
        THandshakeReader reader(key);
        const QByteArray first = EncodeFrame(TOpcode::Text, "1;", std::nullopt);
        const QByteArray bytes = c.answer + first;
        for (qsizetype at = 0; at < bytes.size() && reader.State() == THandshakeReader::TState::More; at += 700)
            reader.Feed(bytes.mid(at, 700));
        EXPECT_EQ(reader.State(),
                  c.done ? THandshakeReader::TState::Done : THandshakeReader::TState::Failed)
            << reader.Error().toStdString();
        // What came behind the header in the last piece is the start of the first frame.
        if (c.done) {
            EXPECT_TRUE(first.startsWith(reader.TakeRest()));
        }
    }
}

// A silent header that never ends is refused once the bound is reached, whatever comes after.
TEST(WsFramesTest, AnEndlessHeaderIsRefusedAtTheBound) {
    THandshakeReader reader("k");
    qsizetype fed = 0;
    while (reader.Feed(QByteArray(1000, 'h')) == THandshakeReader::TState::More)
        fed += 1000;
    EXPECT_EQ(reader.State(), THandshakeReader::TState::Failed);
    EXPECT_LE(fed, kMaxHandshakeBytes);
}

TEST(WsFramesTest, FramesOfAServerAreReadWholeAndEveryBrokenRuleEndsTheStream) {
    const auto text = [](QByteArrayView Payload, bool Fin = true) {
        return EncodeFrame(TOpcode::Text, Payload, std::nullopt, Fin);
    };
    const auto more = [](QByteArrayView Payload, bool Fin = true) {
        return EncodeFrame(TOpcode::Continuation, Payload, std::nullopt, Fin);
    };
    const QByteArray ping = EncodeFrame(TOpcode::Ping, "p", std::nullopt);
    const QByteArray big(70000, '7');
    struct Case {
        const char *name;
        QByteArray bytes;
        std::vector<QString> texts; // the text messages read, in order
        int controls;               // control frames read
        std::uint16_t error;
    };
    const std::vector<Case> cases = {
        {"one text", text("3;12"), {QStringLiteral("3;12")}, 0, 0},
        {"UTF-8", text(QStringLiteral("6;0;1;0;Аня;1;").toUtf8()), {QStringLiteral("6;0;1;0;Аня;1;")}, 0, 0},
        {"a 16-bit length", text(big.left(300)), {QString::fromLatin1(big.left(300))}, 0, 0},
        {"a 64-bit length", text(big), {QString::fromLatin1(big)}, 0, 0},
        {"fragments with a ping between", text("2;", false) + ping + more("1;", false) + more("0;"),
         {QStringLiteral("2;1;0;")}, 1, 0},
        {"a close", EncodeFrame(TOpcode::Close, ClosePayload(1001), std::nullopt), {}, 1, 0},
        {"masked", EncodeFrame(TOpcode::Text, "3;12", 0x01020304u), {}, 0, kCloseProtocol},
        {"reserved bits", QByteArray("\xc1\x01x", 3), {}, 0, kCloseProtocol},
        {"an unknown opcode", QByteArray("\x83\x01x", 3), {}, 0, kCloseProtocol},
        {"a continuation without a start", more("x"), {}, 0, kCloseProtocol},
        {"a new message inside one", text("a", false) + text("b"), {}, 0, kCloseProtocol},
        {"a fragmented ping", EncodeFrame(TOpcode::Ping, "p", std::nullopt, false), {}, 0, kCloseProtocol},
        {"a long ping", EncodeFrame(TOpcode::Ping, QByteArray(126, 'p'), std::nullopt), {}, 0, kCloseProtocol},
        {"a close with half a code", EncodeFrame(TOpcode::Close, "\x03", std::nullopt), {}, 0, kCloseProtocol},
        {"not UTF-8", text("\xff\xfe"), {}, 0, kCloseBadData},
        {"over the bound at once", text(QByteArray(100001, 'x')), {}, 0, kCloseTooBig},
        {"over the bound in fragments", text(big, false) + more(big), {}, 0, kCloseTooBig},
        {"a length of 2^63", QByteArray("\x81\x7f\x80\x00\x00\x00\x00\x00\x00\x00", 10), {}, 0, kCloseTooBig},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TFrameReader reader(TFrameReader::TFrom::Server, 100000);
        std::vector<QString> texts;
        int controls = 0;
        // A byte at a time: every header and length is read across the piece boundaries.
        for (char byte : c.bytes) {
            reader.Feed(QByteArrayView(&byte, 1));
            while (auto message = reader.Next()) {
                if (message->Op == TOpcode::Text)
                    texts.push_back(message->Text);
                else
                    ++controls;
            }
        }
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(controls, c.controls);
        EXPECT_EQ(reader.ErrorCode(), c.error) << reader.Error().toStdString();
        EXPECT_LE(reader.Buffered(), 100000 + 14);
    }
}

// A client's frames are masked, and a server's reader takes them only so: the host's frames as the
// test servers read them.
TEST(WsFramesTest, AClientsFramesAreMaskedAndReadBackByAServer) {
    const QByteArray frame = EncodeFrame(TOpcode::Text, "hello;1;Ann;", 0xdeadbeefu);
    EXPECT_EQ(frame.indexOf("hello"), -1);
    TFrameReader server(TFrameReader::TFrom::Client, 1000);
    server.Feed(frame);
    const auto message = server.Next();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->Text, QStringLiteral("hello;1;Ann;"));
    TFrameReader strict(TFrameReader::TFrom::Client, 1000);
    strict.Feed(EncodeFrame(TOpcode::Text, "x", std::nullopt));
    EXPECT_FALSE(strict.Next());
    EXPECT_EQ(strict.ErrorCode(), kCloseProtocol);
}

} // namespace
