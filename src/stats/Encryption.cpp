#include "stats/Encryption.h"

#include "stats/StatsLog.h"

#include <QCryptographicHash>
#include <QFile>

namespace trelvo {

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
