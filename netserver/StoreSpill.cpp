#include "netserver/StoreSpill.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::net {

namespace {

// Syncs the folder, so that a file just made there is found after a crash.
void SyncFolder(const QString &File) {
    const int fd =
        ::open(QFile::encodeName(QFileInfo(File).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int OpenForWriting(const QString &Path, bool &Made) {
    const QByteArray name = QFile::encodeName(Path);
    Made = ::access(name.constData(), F_OK) != 0;
    return ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

QJsonArray Array(const QStringList &Values) {
    return QJsonArray::fromStringList(Values);
}

} // namespace

QByteArray SpillLine(const TStoreWrite &Item) {
    QJsonObject o;
    if (Item.Game) {
        const TStoredGame &g = *Item.Game;
        QJsonArray seats;
        for (const TStoredSeat &s : g.Seats)
            seats.append(QJsonArray{s.Name, s.Bot, s.Result});
        o[QLatin1String("game")] = QJsonObject{
            {QLatin1String("at"), QString::number(g.AtMs)},
            {QLatin1String("rules"), QJsonArray{g.Rules.Transfer, g.Rules.FirstNotTransfer, g.Rules.MaxFive}},
            {QLatin1String("seats"), seats},
            {QLatin1String("bouts"), g.Bouts},
            {QLatin1String("duration"), QString::number(g.DurationMs)},
            {QLatin1String("seed"), QString::number(g.Seed)}};
    }
    if (!Item.Ratings.empty()) {
        QJsonArray rows;
        for (const TRatingRow &r : Item.Ratings)
            rows.append(QJsonArray{r.Key, r.Name, r.Rating, r.Games, r.Losses});
        o[QLatin1String("ratings")] = rows;
    }
    if (Item.Report) {
        const TStoredReport &r = *Item.Report;
        o[QLatin1String("report")] = QJsonObject{{QLatin1String("at"), QString::number(r.AtMs)},
                                                 {QLatin1String("kind"), r.Kind},
                                                 {QLatin1String("address"), r.Address},
                                                 {QLatin1String("fields"), Array(r.Fields)}};
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<TStoreWrite> ReadSpillLine(const QByteArray &Line) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(Line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    TStoreWrite item;
    if (o.contains(QLatin1String("game"))) {
        const QJsonObject g = o[QLatin1String("game")].toObject();
        const QJsonArray rules = g[QLatin1String("rules")].toArray();
        TStoredGame game;
        game.AtMs = g[QLatin1String("at")].toString().toLongLong();
        game.Rules = {rules.at(0).toBool(), rules.at(1).toBool(), rules.at(2).toBool()};
        for (const QJsonValue &v : g[QLatin1String("seats")].toArray()) {
            const QJsonArray s = v.toArray();
            game.Seats.push_back({s.at(0).toString(), s.at(1).toBool(), s.at(2).toInt()});
        }
        game.Bouts = g[QLatin1String("bouts")].toInt();
        game.DurationMs = g[QLatin1String("duration")].toString().toLongLong();
        game.Seed = g[QLatin1String("seed")].toString().toULongLong();
        item.Game = std::move(game);
    }
    for (const QJsonValue &v : o[QLatin1String("ratings")].toArray()) {
        const QJsonArray r = v.toArray();
        item.Ratings.push_back(
            {r.at(0).toString(), r.at(1).toString(), r.at(2).toDouble(), r.at(3).toInt(), r.at(4).toInt()});
    }
    if (o.contains(QLatin1String("report"))) {
        const QJsonObject r = o[QLatin1String("report")].toObject();
        TStoredReport report{r[QLatin1String("at")].toString().toLongLong(),
                             r[QLatin1String("kind")].toString(),
                             r[QLatin1String("address")].toString(),
                             {}};
        for (const QJsonValue &v : r[QLatin1String("fields")].toArray())
            report.Fields << v.toString();
        item.Report = std::move(report);
    }
    return item;
}

TStoreSpill::TStoreSpill(const QString &StorePath) : FPath(StorePath + QStringLiteral(".spill")) {}

bool TStoreSpill::Empty() const {
    return QFileInfo(FPath).size() == 0;
}

bool TStoreSpill::Reserve(qint64 Bytes) {
    bool made = false;
    const int fd = OpenForWriting(FPath, made);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, st.st_size, Bytes) == 0;
    ::close(fd);
    if (made)
        SyncFolder(FPath);
    return ok;
}

bool TStoreSpill::Append(std::span<const TStoreWrite> Items) {
    QByteArray text;
    for (const TStoreWrite &item : Items)
        text += SpillLine(item);
    bool made = false;
    const int fd = OpenForWriting(FPath, made);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    // After a line cut short by a crash, the next write starts a line of its own.
    char last = '\n';
    if (ok && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n')
        text.prepend('\n');
    for (qsizetype done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.constData() + done, static_cast<std::size_t>(text.size() - done));
        ok = n > 0;
        done += ok ? n : 0;
    }
    ok = ok && ::fdatasync(fd) == 0;
    // A write cut short leaves no half line for the next start to trip on.
    if (!ok && ::ftruncate(fd, st.st_size) != 0)
        ok = false; // the line cut short stays; Read leaves it out
    ::close(fd);
    if (made)
        SyncFolder(FPath);
    return ok;
}

std::vector<TStoreWrite> TStoreSpill::Read(int *Torn) const {
    std::vector<TStoreWrite> items;
    int torn = 0;
    QFile f(FPath);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray text = f.readAll();
        for (const QByteArray &line : text.split('\n')) {
            if (line.isEmpty())
                continue;
            if (auto item = ReadSpillLine(line))
                items.push_back(std::move(*item));
            else
                ++torn;
        }
    }
    if (Torn)
        *Torn = torn;
    return items;
}

bool TStoreSpill::Clear() {
    const int fd = ::open(QFile::encodeName(FPath).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    const bool ok = ::ftruncate(fd, 0) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace trelvo::net
