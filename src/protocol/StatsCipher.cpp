#include "protocol/StatsCipher.h"

#include <cstdint>

namespace trelvo {

namespace {
std::int64_t UnitSum(const QString &Key) {
    std::int64_t sum = 0;
    for (QChar unit : Key)
        sum += unit.unicode();
    return sum;
}
} // namespace

QString DeriveKey(const QString &Answer) {
    QString key = Answer;
    for (QChar unit : Answer)
        key += QString::number(unit.unicode());
    return key;
}

QString ScrambleField(const QString &Text, const QString &Key) {
    if (Text.isEmpty() || Key.isEmpty())
        return {};
    const std::int64_t sum = UnitSum(Key);
    const qsizetype n = Text.size();
    QString scrambled(n, Qt::Uninitialized);
    for (qsizetype j = 0; j < n; ++j) {
        const std::int64_t c = Key[j % Key.size()].unicode();
        const std::int64_t unit = Text[j].unicode() + sum + c - (j + 1);
        scrambled[n - 1 - j] = QChar(static_cast<char16_t>(unit & 0xFFFF));
    }
    return scrambled;
}

QString UnscrambleField(const QString &Scrambled, const QString &Key) {
    if (Scrambled.isEmpty() || Key.isEmpty())
        return {};
    const std::int64_t sum = UnitSum(Key);
    const qsizetype n = Scrambled.size();
    QString text(n, Qt::Uninitialized);
    for (qsizetype j = 0; j < n; ++j) {
        const std::int64_t c = Key[j % Key.size()].unicode();
        const std::int64_t unit = Scrambled[n - 1 - j].unicode() - sum - c + (j + 1);
        text[j] = QChar(static_cast<char16_t>(unit & 0xFFFF));
    }
    return text;
}

} // namespace trelvo
