#pragma once

#include <QString>

namespace trelvo::net {

// One server per store: an exclusive flock(2) on FILE.lock beside the store, held while the process
// lives (the kernel lets go of it when the process ends, kill -9 included). A lock of our own rather
// than SQLite's exclusive locking mode: it is taken before the store is opened, so a second server
// never touches the file; --top and --stats-summary still read the store beside a running server; and
// the refusal can name the holder, whose pid the file keeps.
class TStoreLock {
public:
    explicit TStoreLock(const QString &StorePath);
    ~TStoreLock();
    TStoreLock(const TStoreLock &) = delete;
    TStoreLock &operator=(const TStoreLock &) = delete;

    // False with Error when another process holds the store, or its folder cannot take the lock file.
    bool Take(QString &Error);
    const QString &Path() const { return FPath; }

private:
    QString FStorePath;
    QString FPath;
    int FFd = -1;
};

} // namespace trelvo::net
