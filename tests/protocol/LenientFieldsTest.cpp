#include "protocol/LenientFields.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::msg;

namespace {

// What a reader read, one word per field, and how often it reported a bad field.
struct TRead {
    std::vector<std::string> values;
    int reported = 0;
    int bad = 0;
};

// Reads Payload by Kinds: i integer, b byte, d id, f flag, t text, n name.
TRead ReadAs(const char *Payload, const char *Kinds) {
    TRead read;
    const QString payload = QString::fromUtf8(Payload);
    TLenientReader in(payload, [&read] { ++read.reported; });
    for (const char *k = Kinds; *k; ++k) {
        switch (*k) {
        case 'i':
            read.values.push_back(std::to_string(in.Int()));
            break;
        case 'b':
            read.values.push_back(std::to_string(in.Byte()));
            break;
        case 'd':
            read.values.push_back(std::to_string(in.Id()));
            break;
        case 'f':
            read.values.push_back(in.Flag() ? "true" : "false");
            break;
        case 't':
            read.values.push_back(in.Text().toStdString());
            break;
        case 'n':
            read.values.push_back(in.Name().toStdString());
            break;
        }
    }
    read.bad = in.BadFields();
    return read;
}

} // namespace

TEST(LenientReader, ReadsFieldsAsTheClientDoes) {
    struct Case {
        const char *payload, *kinds;
        std::vector<std::string> values;
        int bad;
    };
    const Case cases[] = {
        {"12;-3;abc;", "iit", {"12", "-3", "abc"}, 0},
        {" 7;+8;", "ii", {"7", "8"}, 0}, // leading blanks and a plus sign convert
        {"x;5;", "ii", {"0", "5"}, 1},   // a bad field reads 0 and the reading goes on
        {";;", "ii", {"0", "0"}, 2},
        {"2147483648;-2147483648;", "ii", {"0", "-2147483648"}, 1},
        // A field without its ";" reads as empty, and the next read starts at the first field again.
        {"4;2", "iii", {"4", "0", "4"}, 1},
        {"", "t", {""}, 0},
        // Bytes keep the low 8 bits; ids compare as signed bytes, so 255 and 128 on are nobody.
        {"-1;256;257;", "bbb", {"255", "0", "1"}, 0},
        {"255;128;127;-1;", "dddd", {"-1", "-128", "127", "-1"}, 0},
        {"256;0;", "ff", {"false", "false"}, 0},
        {"257;", "f", {"true"}, 0},
        {"A$R^E%P#L&A-C=E@B;", "n", {"A;B"}, 0},
    };
    for (const Case &c : cases) {
        const TRead read = ReadAs(c.payload, c.kinds);
        EXPECT_EQ(read.values, c.values) << c.payload;
        EXPECT_EQ(read.bad, c.bad) << c.payload;
        // Reported once, at the first bad field, however many follow.
        EXPECT_EQ(read.reported, c.bad > 0 ? 1 : 0) << c.payload;
    }
}

TEST(LenientReader, APayloadIsReportedOnceAtItsFirstBadField) {
    std::string payload = "1;x;";
    for (int i = 0; i < 100000; ++i)
        payload += "y;";
    const QString text = QString::fromStdString(payload);
    std::vector<std::string> trail;
    TLenientReader in(text, [&] { trail.push_back("reported"); });
    trail.push_back(std::to_string(in.Int()));
    trail.push_back(std::to_string(in.Int()));
    trail.push_back("read on");
    for (int i = 0; i < 100000; ++i)
        in.Int();
    EXPECT_EQ(trail, (std::vector<std::string>{"1", "reported", "0", "read on"}));
    EXPECT_EQ(in.BadFields(), 100001);
}

TEST(LenientReader, ATextFieldPastTheLimitIsReadAsEmpty) {
    // Longer than any name, id or challenge: never copied on. One at the limit still counts.
    for (const qsizetype length : {kMaxTextField, kMaxTextField + 1}) {
        const std::string field(static_cast<std::size_t>(length), 'i');
        const TRead read = ReadAs((field + ";7;").c_str(), "ti");
        EXPECT_EQ(read.values[0], length == kMaxTextField ? field : std::string()) << length;
        EXPECT_EQ(read.values[1], "7") << length;
    }
}

TEST(LenientReader, WholePayloadAndLaterConversion) {
    int reported = 0;
    const QString bare = QStringLiteral("12"), terminated = QStringLiteral("12;");
    EXPECT_EQ(TLenientReader(bare, [&] { ++reported; }).Whole(), 12);
    EXPECT_EQ(reported, 0);
    // A payload that is one bare number has no room for a ";".
    EXPECT_EQ(TLenientReader(terminated, [&] { ++reported; }).Whole(), 0);
    EXPECT_EQ(reported, 1);
    const QString payload = QStringLiteral("5;x;");
    TLenientReader in(payload, {});
    const QString later = in.Text();
    EXPECT_EQ(in.ToInt(later), 5);
    EXPECT_EQ(in.ToInt(in.Text()), 0);
    EXPECT_EQ(in.BadFields(), 1);
}

TEST(LenientReader, AFloatThatDoesNotConvertIsReportedAndGivesNoValue) {
    const QString separator = QLocale::system().decimalPoint();
    struct Case {
        QString field;
        bool ok;
        float value;
    };
    const Case cases[] = {{QStringLiteral("1") + separator + QStringLiteral("25"), true, 1.25f},
                          {QStringLiteral("2"), true, 2.0f},
                          {QStringLiteral("wide"), false, 0.0f},
                          {QString(), false, 0.0f}};
    for (const Case &c : cases) {
        const QString payload = c.field + QStringLiteral(";");
        int reported = 0;
        TLenientReader in(payload, [&] { ++reported; });
        float value = -1;
        EXPECT_EQ(in.Float(value), c.ok) << c.field.toStdString();
        EXPECT_EQ(value, c.value) << c.field.toStdString();
        EXPECT_EQ(reported, c.ok ? 0 : 1) << c.field.toStdString();
    }
}

TEST(LenientReader, CountsAreCutAtWhatThePayloadHolds) {
    struct Case {
        const char *payload;
        int count, perEntry, bounded;
    };
    const Case cases[] = {
        {"1;2;3;4;", 2, 1, 2},
        {"1;2;3;4;", 2000000000, 1, 4},
        {"1;2;3;4;5;6;7;8;9;10;", 2000000000, 5, 2},
        {"1;2;", -1, 1, -1}, // a negative count runs no loop
    };
    for (const Case &c : cases) {
        const QString payload = QString::fromUtf8(c.payload);
        EXPECT_EQ(TLenientReader(payload, {}).Bounded(c.count, c.perEntry), c.bounded) << c.payload;
    }
}
