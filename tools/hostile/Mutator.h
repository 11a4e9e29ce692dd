#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>
#include <vector>

// What the hostile runs share: seeded mutations of messages, and the memory of the processes they watch.
namespace trelvo::hostile {

// Values that have broken clients before.
inline const std::vector<QString> kNasty = {"-1", "0",  "1",     "3",          "4",           "5",  "6",
                                     "9",  "13", "14",    "255",        "256",         "x",  "",
                                     "-0", " 7", "65535", "2147483647", "-2147483648", "1e9"};
// Subcodes a payload is moved to.
inline const std::vector<int> kSubcodes = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                    12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
// Messages that make the client show something, again and again.
inline const std::vector<QString> kShown = {"8;", "9;", "7;4;", "7;3;-1", "7;1;0;", "7;1;2;", "7;5;1;", "26;"};

class TMutator {
public:
    explicit TMutator(std::uint64_t Seed) : FRandom(Seed) {}

    // The message as a server gets it wrong: about one in three changed. The host's envelope (code 7
    // and the subcode) stays: what the plug-in itself gets wrong ends in the error box by design.
    QString Mutate(const QString &Message) {
        if (Pick(3) != 0)
            return Message;
        const qsizetype head = Message.indexOf(u';', 2) + 1;
        const QString envelope = Message.left(head);
        QStringList fields = Message.mid(head).split(u';');
        const int at = Pick(fields.size());
        switch (Pick(9)) {
        case 0:
        case 1:
        case 2:
            fields[at] = kNasty[Pick(kNasty.size())];
            break;
        case 3:
            fields.removeAt(at);
            break;
        case 4:
            fields.insert(at, fields[at]);
            break;
        case 5:
            return envelope + Message.mid(head).left(Pick(Message.size() - head + 1));
        case 6:
            return QStringLiteral("7;%1;").arg(kSubcodes[Pick(kSubcodes.size())]) + fields.join(u';');
        case 7:
            return kShown[Pick(kShown.size())];
        default:
            fields[at] = QString(1 + Pick(Pick(10) == 0 ? 60000 : 40), QChar(u'0' + Pick(10)));
            break;
        }
        return envelope + fields.join(u';');
    }
    int Pick(std::size_t N) { return N == 0 ? 0 : static_cast<int>(FRandom() % N); }

private:
    std::mt19937_64 FRandom;
};

inline long RssKb(qint64 Pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(Pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace trelvo::hostile
