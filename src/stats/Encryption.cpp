#include "stats/Encryption.h"

#include "stats/StatsLog.h"

#include <QCryptographicHash>
#include <QFile>

#include <cstdint>

namespace trelvo {

QString DeriveKey(const QString &Answer) {
    QString key = Answer;
    for (QChar unit : Answer)
        key += QString::number(unit.unicode());
    return key;
}

QString ScrambleField(const QString &Text, const QString &Key) {
    if (Text.isEmpty() || Key.isEmpty())
        return {};
    std::int64_t sum = 0;
    for (QChar unit : Key)
        sum += unit.unicode();
    QString shifted(Text.size(), Qt::Uninitialized);
    qsizetype k = 0;
    for (qsizetype j = 0; j < Text.size(); ++j) {
        if (k >= Key.size())
            k = 0;
        const std::int64_t c = Key[k++].unicode();
        const std::int64_t unit = Text[j].unicode() + sum + c - (j + 1);
        shifted[j] = QChar(static_cast<char16_t>(unit & 0xFFFF));
    }
    return ReverseText(shifted);
}

QString ReverseText(const QString &Text) {
    QString reversed(Text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < Text.size(); ++i)
        reversed[i] = Text[Text.size() - 1 - i];
    return reversed;
}

QString FileMD5Text(const QString &FileName) {
    QFile file(FileName);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcStats) << "cannot read" << FileName << file.errorString();
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file)) {
        qCDebug(lcStats) << "cannot read" << FileName << file.errorString();
        return {};
    }
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace trelvo
