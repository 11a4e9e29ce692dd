#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <iconv.h>
#include <string>
#include <vector>

using namespace trelvo;

namespace {

struct Read {
    QString field;
    int pos;
};

std::vector<Read> ReadAll(void (*reader)(QString &, const QString &, int &), const QString &text, int start,
                          int count) {
    std::vector<Read> out;
    int pos = start;
    for (int i = 0; i < count; ++i) {
        QString field = QStringLiteral("junk");
        reader(field, text, pos);
        out.push_back({field, pos});
    }
    return out;
}

bool operator==(const Read &a, const Read &b) {
    return a.field == b.field && a.pos == b.pos;
}
void PrintTo(const Read &r, std::ostream *os) {
    *os << "{'" << r.field.toStdString() << "', " << r.pos << "}";
}

} // namespace

TEST(GetField, ReadsTerminatedAndUnterminatedFieldsThenEmptyPastTheEnd) {
    struct Case {
        const char *text;
        std::vector<Read> reads;
    };
    const Case cases[] = {
        {"1;600;", {{"1", 3}, {"600", 7}, {"", 7}}},
        {"1;600", {{"1", 3}, {"600", 6}, {"", 6}}},
        {"", {{"", 1}, {"", 1}}},
        {";;", {{"", 2}, {"", 3}, {"", 3}}},
        {"7", {{"7", 2}, {"", 2}}},
        {"Имя;x", {{"Имя", 5}, {"x", 6}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadAll(GetField, QString::fromUtf8(c.text), 1, int(c.reads.size())), c.reads) << c.text;
}

TEST(NextServerField, UnterminatedFieldReadsEmptyAndPositionReturnsToOne) {
    struct Case {
        const char *text;
        std::vector<Read> reads;
    };
    const Case cases[] = {
        {"1;5;abc;", {{"1", 3}, {"5", 5}, {"abc", 9}, {"", 1}, {"1", 3}}},
        {"12", {{"", 1}, {"", 1}}},
        {"12;5", {{"12", 4}, {"", 1}, {"12", 4}}},
        {"", {{"", 1}}},
        {";", {{"", 2}, {"", 1}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadAll(NextServerField, QString::fromUtf8(c.text), 1, int(c.reads.size())), c.reads)
            << c.text;
}

TEST(NextServerField, PositionPastTheEndReadsEmptyAndRestarts) {
    QString field;
    int pos = 42;
    NextServerField(field, QStringLiteral("1;2;"), pos);
    EXPECT_EQ(field, QString());
    EXPECT_EQ(pos, 1);
}

TEST(IntegerConversion, StrictRuleTable) {
    struct Case {
        const char *text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {"-1", true, -1},
        {"+7", true, 7},
        {"  12", true, 12},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"-", false, 0},
        {"12 ", false, 0},
        {"1 2", false, 0},
        {"x", false, 0},
        {"12;", false, 0},
        {"1.5", false, 0},
        {"١٢", false, 0}, // Arabic-Indic digits are not decimal text here
        {"пять", false, 0},
    };
    for (const auto &c : cases) {
        int value = 123;
        EXPECT_EQ(TryStrToInt(QString::fromUtf8(c.text), value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        if (c.ok) {
            EXPECT_EQ(StrToInt(QString::fromUtf8(c.text)), c.value);
        } else {
            try {
                StrToInt(QString::fromUtf8(c.text));
                ADD_FAILURE() << "no error for " << c.text;
            } catch (const EConvertError &e) {
                EXPECT_STREQ(e.ClassName(), "EConvertError");
                EXPECT_EQ(e.Message(), std::string("'") + c.text + "' is not a valid integer value");
            }
        }
    }
}

TEST(ByteSemantics, LowEightBitsCountAndIdsCompareSigned) {
    EXPECT_EQ(LowByte(-1), 255);
    EXPECT_EQ(LowByte(255), 255);
    EXPECT_EQ(LowByte(256), 0);
    EXPECT_EQ(LowByte(258), 2);
    EXPECT_EQ(SignedByte(255), -1);
    EXPECT_EQ(SignedByte(-1), -1);
    EXPECT_EQ(SignedByte(127), 127);
    EXPECT_FALSE(Flag(0));
    EXPECT_FALSE(Flag(256));
    EXPECT_TRUE(Flag(1));
    EXPECT_TRUE(Flag(-1));
    EXPECT_EQ(BoolText(true), "1");
    EXPECT_EQ(BoolText(false), "0");
}

TEST(Escape, TokenMatchesInAnyLetterCaseAndIsNotItselfEscaped) {
    EXPECT_EQ(UnescapeSemicolon(QStringLiteral("A$r^e%p#l&a-c=e@B")), "A;B");
    EXPECT_EQ(UnescapeSemicolon(QStringLiteral("A$R^E%P#L&A-C=E@B")), "A;B");
    EXPECT_EQ(UnescapeSemicolon(QStringLiteral("$r^E%p#L&a-C=e@$r^e%p#l&a-c=e@")), ";;");
    EXPECT_EQ(EscapeSemicolon(QStringLiteral("a;b;")), "a$r^e%p#l&a-c=e@b$r^e%p#l&a-c=e@");
    EXPECT_EQ(UnescapeSemicolon(EscapeSemicolon(QStringLiteral("Вася;Петя"))), "Вася;Петя");
    // The token itself does not survive a round trip: it comes back as ";".
    EXPECT_EQ(UnescapeSemicolon(EscapeSemicolon(kSemicolonToken)), ";");
    EXPECT_EQ(EscapeSemicolon(QString()), QString());
}

TEST(Float, UsesTheSystemLocaleSeparatorAndRejectsJunk) {
    const QString sep = QLocale::system().decimalPoint();
    EXPECT_EQ(FloatToText(1.25), "1" + sep + "25");
    EXPECT_EQ(FloatToText(2), "2");
    EXPECT_DOUBLE_EQ(TextToFloat("1" + sep + "25"), 1.25);
    for (const char *bad : {"", "abc", "1x", "--1"}) {
        try {
            TextToFloat(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid floating point value");
        }
    }
}

TEST(CodePage, EveryByteDecodesAsTheSystemCodecDoesAndEncodesBack) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    ASSERT_NE(cd, iconv_t(-1));
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char16_t out = 0;
        char *inp = &in, *outp = reinterpret_cast<char *>(&out);
        size_t inleft = 1, outleft = 2;
        const bool known = iconv(cd, &inp, &inleft, &outp, &outleft) != size_t(-1);
        const QString decoded = DecodeAnsi(QByteArray(1, char(b)));
        ASSERT_EQ(decoded.size(), 1);
        if (known) {
            EXPECT_EQ(decoded[0].unicode(), out) << b;
            EXPECT_EQ(EncodeAnsi(decoded), QByteArray(1, char(b))) << b;
        } else {
            EXPECT_EQ(decoded, "?") << b;
        }
    }
    iconv_close(cd);
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(EncodeAnsi(QStringLiteral("Привет;Ёё")), QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2;\xA8\xB8"));
    EXPECT_EQ(EncodeAnsi(QStringLiteral("日本")), QByteArray("??"));
    EXPECT_EQ(EncodeAnsi(QString::fromUtf8("a\xF0\x9F\x82\xA1"
                                           "b")),
              QByteArray("a?b")); // a playing card emoji
    EXPECT_EQ(EncodeAnsi(QString()), QByteArray());
    EXPECT_EQ(DecodeAnsi(QByteArray("7;1;1;5;abc;")), "7;1;1;5;abc;");
}

TEST(Builders, HostAndServerEnvelopes) {
    EXPECT_EQ(BuildHostMessage(HostOut::kCheckVersionResult, "5"), "11;5");
    EXPECT_EQ(BuildHostMessage(HostOut::kStopPlugin, "1;"), "22;1;");
    EXPECT_EQ(BuildHostMessage(HostOut::kError, "0"), "23;0");
    EXPECT_EQ(BuildServerMessage(ServerOut::kCreateNewTable, "1;0;0;"), "7;3;1;0;0;");
    EXPECT_EQ(BuildServerMessage(ServerOut::kPlayerReady, "7;1;"), "7;8;7;1;");
    EXPECT_EQ(BuildServerMessage(ServerOut::kTableList, ""), "7;2;");
}
