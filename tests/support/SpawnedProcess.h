#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace trelvo::test {

// A program started with posix_spawn, its standard output and error read through pipes.
//
// Tests whose own threads are checked by ThreadSanitizer start programs with this, not with QProcess:
// Qt 6 starts a child with clone(CLONE_VM | CLONE_VFORK), past the sanitizer's fork and vfork
// interceptors, and the child's close, dup2 and signal calls then run the sanitizer's bookkeeping on
// the parent's memory as if the parent's thread had made them. After that it misses synchronisation
// between the parent's threads and reports races in code that has none. glibc's posix_spawn makes
// the same kind of child but calls only libc's internal functions in it, which the sanitizer never sees.
class TSpawnedProcess {
public:
    TSpawnedProcess(const QString &Program, const QStringList &Arguments);
    // A child still running is killed and reaped.
    ~TSpawnedProcess();
    TSpawnedProcess(const TSpawnedProcess &) = delete;
    TSpawnedProcess &operator=(const TSpawnedProcess &) = delete;

    bool Started() const { return FPid > 0; }
    // Everything the child has written so far (never blocks).
    QByteArray ReadStandardOutput();
    QByteArray ReadStandardError();
    bool Running();
    void Terminate();
    // Waits until the child has ended and both pipes are at their end; false after TimeoutMs.
    bool WaitForFinished(int TimeoutMs);
    bool ExitedNormally() const { return FExited; }
    int ExitCode() const { return FExitCode; }

private:
    // Moves what is waiting in the pipes into the buffers, after waiting up to WaitMs for something.
    void Drain(int WaitMs);
    void Reap(bool Block);

    pid_t FPid = -1;
    int FOut = -1, FErr = -1;
    QByteArray FOutText, FErrText;
    bool FEnded = false, FExited = false;
    int FExitCode = -1;
};

} // namespace trelvo::test
