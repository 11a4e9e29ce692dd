#include "stats/Encryption.h"

#include "StatServiceStub.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace trelvo {
namespace {

QString Units(std::initializer_list<char16_t> Units) {
    QString text;
    for (char16_t unit : Units)
        text += QChar(unit);
    return text;
}

TEST(Encryption, KeyIsTheAnswerFollowedByTheDecimalCodeOfEachUnit) {
    EXPECT_EQ(DeriveKey(QStringLiteral("127.0.0.1")), QStringLiteral("127.0.0.1495055464846484649"));
    EXPECT_EQ(DeriveKey(QStringLiteral("Я")), QStringLiteral("Я1071"));
    EXPECT_EQ(DeriveKey(QString()), QString());
}

TEST(Encryption, ScramblingKnownVectors) {
    struct Case {
        const char *why;
        QString text;
        QString key;
        QString scrambled;
    };
    const Case cases[] = {
        // One-character key: each unit moves by twice the key's code minus its position, then reversal.
        {"one-character key", QStringLiteral("aaa"), QStringLiteral("A"), Units({0xE0, 0xE1, 0xE2})},
        {"the key cycles", QStringLiteral("xyzw"), QStringLiteral("AB"), Units({0x138, 0x13B, 0x13C, 0x13B})},
        {"results in the surrogate range stay single units", Units({0x01, 0x03}), Units({0x6C00}),
         Units({0xD801, 0xD800})},
        {"wraps modulo 65536", QStringLiteral("a"), Units({0xFFFF}), QStringLiteral("^")},
        {"empty text", QString(), QStringLiteral("A"), QString()},
        {"empty key", QStringLiteral("abc"), QString(), QString()},
    };
    for (const Case &c : cases) {
        const QString got = ScrambleField(c.text, c.key);
        EXPECT_EQ(got, c.scrambled) << c.why;
        EXPECT_EQ(got.size(), c.key.isEmpty() ? 0 : c.text.size()) << c.why;
    }
}

TEST(Encryption, ScramblingIsUndoneWithTheSameKey) {
    const QString key = DeriveKey(QStringLiteral("203.0.113.250"));
    const QString text = QStringLiteral("Вася;Пупкин 😀 1.30");
    EXPECT_EQ(UnscrambleField(ScrambleField(text, key), key), text);
    EXPECT_EQ(ScrambleField(text, key), ScrambleField(text, key));
}

TEST(Encryption, ReverseTextReversesCodeUnits) {
    EXPECT_EQ(ReverseText(QStringLiteral("abc")), QStringLiteral("cba"));
    EXPECT_EQ(ReverseText(Units({0xD83D, 0xDE00})), Units({0xDE00, 0xD83D}));
    EXPECT_EQ(ReverseText(QString()), QString());
}

TEST(Encryption, FileHashIsLowerCaseHexOrEmptyForAMissingFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString abc = dir.filePath(QStringLiteral("abc"));
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QFile a(abc), e(empty);
    ASSERT_TRUE(a.open(QIODevice::WriteOnly) && e.open(QIODevice::WriteOnly));
    a.write("abc");
    a.close();
    e.close();
    EXPECT_EQ(FileMD5Text(abc), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(FileMD5Text(empty), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(FileMD5Text(dir.filePath(QStringLiteral("missing"))), QString());
}

} // namespace
} // namespace trelvo
