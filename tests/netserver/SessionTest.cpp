// The session exchange of trelvo-server, as both ends read and write it.
#include "protocol/Session.h"

#include <gtest/gtest.h>

using namespace trelvo::net;

TEST(Session, HelloAndAnswersSurviveTheirOwnReading) {
    const auto hello = ParseHello(BuildHello({1, QStringLiteral("Ann;Bob")}));
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->Version, 1);
    EXPECT_EQ(hello->Name, QStringLiteral("Ann;Bob"));
    EXPECT_EQ(BuildHello({1, QStringLiteral("Ann;Bob")}), QStringLiteral("hello;1;Ann$r^e%p#l&a-c=e@Bob;"));

    const auto welcome = ParseAnswer(BuildAnswer({true, 17, TRefusal::Malformed}));
    ASSERT_TRUE(welcome);
    EXPECT_TRUE(welcome->Accepted);
    EXPECT_EQ(welcome->Conn, 17);
    for (TRefusal reason :
         {TRefusal::Version, TRefusal::NameTaken, TRefusal::Full, TRefusal::BadName, TRefusal::Malformed}) {
        const auto refused = ParseAnswer(BuildAnswer({false, 0, reason}));
        ASSERT_TRUE(refused) << RefusalWord(reason).toStdString();
        EXPECT_FALSE(refused->Accepted);
        EXPECT_EQ(refused->Reason, reason);
        EXPECT_FALSE(RefusalText(reason).isEmpty());
    }
}

TEST(Session, FramesThatAreNoHelloOrAnswerAreNotRead) {
    for (const char *frame : {"", "hello;1;Ann", "hello;x;Ann;", "hello;1;Ann;x;", "hi;1;Ann;",
                              "hello; 1;Ann;", "7;hello;1;Ann;"})
        EXPECT_FALSE(ParseHello(QString::fromUtf8(frame))) << frame;
    for (const char *frame : {"", "welcome;", "welcome;x;", "refused;why;", "refused;full", "welcome;1;2;"})
        EXPECT_FALSE(ParseAnswer(QString::fromUtf8(frame))) << frame;
}

TEST(Session, NamesAreOneToThirtyTwoPrintableCharactersWithoutSemicolons) {
    const struct {
        QString Name;
        bool Valid;
    } cases[] = {
        {QStringLiteral("Ann"), true},
        {QStringLiteral("Аня Петрова"), true},
        {QString(32, u'x'), true},
        {QString(33, u'x'), false},
        {QString(), false},
        {QStringLiteral("   "), false},
        {QStringLiteral("Ann;Bob"), false},
        {QStringLiteral("Ann\nBob"), false},
        {QStringLiteral("Ann") + QChar(0x7F), false},
        {QStringLiteral("Ann") + QChar(0x202E) + QStringLiteral("boB"), false}, // right-to-left override
        {QStringLiteral("Ann") + QChar(0x2028), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ValidName(c.Name), c.Valid) << c.Name.toStdString();
}
