#include "stats/Https.h"

#include "StatServiceStub.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

TEST(FormEncoding, ValuesAreUtf8UrlEncodedAndJoinedWithAmpersands) {
    struct Case {
        const char *why;
        TPostData form;
        QByteArray body;
    };
    const Case cases[] = {
        {"an empty form is an empty body", {}, ""},
        {"an empty value", {{"P1", ""}}, "P1="},
        {"order kept, blanks and separators encoded",
         {{"P1", "a b"}, {"P2", "x&y=z;"}},
         "P1=a+b&P2=x%26y%3Dz%3B"},
        {"unreserved characters as they are", {{"P", "Az09-_.*~"}}, "P=Az09-_.*%7E"},
        {"Cyrillic as UTF-8", {{"P", QStringLiteral("Я")}}, "P=%D0%AF"},
        {"a surrogate pair as one code point", {{"P", QStringLiteral("😀")}}, "P=%F0%9F%98%80"},
        {"a lone surrogate keeps its own three bytes", {{"P", QString(QChar(0xD800))}}, "P=%ED%A0%80"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EncodeForm(c.form), c.body) << c.why;
}

TEST(FormEncoding, EveryCodeUnitSurvivesTheTripToTheService) {
    QString all;
    for (char32_t unit = 0; unit < 0x10000; unit += 7)
        all += QChar(static_cast<char16_t>(unit));
    all += QChar(0xDBFF);
    all += QChar(0xDC00); // a pair made of two scrambled units
    const QByteArray body = EncodeForm({{"P", all}});
    EXPECT_EQ(test::DecodeFormValue(body.mid(2)), all);
}

TEST(FormEncoding, AnswerIsReadInTheCharsetItDeclares) {
    THttpResponse response;
    response.Body = "\xCF\xF0\xE8";
    response.ContentType = "text/plain; charset=windows-1251";
    EXPECT_EQ(response.Text(), QStringLiteral("При"));
    response.ContentType = "text/plain; charset=\"windows-1251\"";
    EXPECT_EQ(response.Text(), QStringLiteral("При"));

    response.Body = QStringLiteral("При").toUtf8();
    response.ContentType = "text/plain";
    EXPECT_EQ(response.Text(), QStringLiteral("При"));
    response.ContentType = "";
    EXPECT_EQ(response.Text(), QStringLiteral("При"));

    response.ContentType = "text/plain; charset=x-no-such-charset";
    EXPECT_THROW(response.Text(), EHttpContentError);
}

} // namespace
} // namespace trelvo
