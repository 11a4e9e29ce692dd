#pragma once

#include "netserver/Store.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace trelvo::net {

// Writes the store could not take (a full disk), kept beside it until it can: FILE.spill, one line of
// JSON a write, synced before a write counts as kept. Room for it is set aside while the disk has room,
// so a burst that meets a full disk still has a place to go. Used by one thread at a time.
class TStoreSpill {
public:
    explicit TStoreSpill(const QString &StorePath);

    const QString &Path() const { return FPath; }
    bool Empty() const;
    // Sets aside Bytes on the disk beyond what the file holds (kept while the file is emptied and
    // filled); false when the disk has not the room.
    bool Reserve(qint64 Bytes);
    // Appends the writes and syncs them; false (nothing of them kept) when the disk refuses.
    bool Append(std::span<const TStoreWrite> Items);
    // What it keeps, oldest first; a last line cut short by a crash is left out (and counted in Torn).
    std::vector<TStoreWrite> Read(int *Torn = nullptr) const;
    // Empties the file once its writes are in the store.
    bool Clear();

private:
    QString FPath;
};

// One write as a line of the spill file, and back.
QByteArray SpillLine(const TStoreWrite &Item);
std::optional<TStoreWrite> ReadSpillLine(const QByteArray &Line);

} // namespace trelvo::net
