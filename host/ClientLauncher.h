#pragma once

#include <QProcess>
#include <QString>

#include <functional>

namespace trelvo::host {

// Starts the client as the plug-in does ("PATH -start") and tells when it ends.
class TClientLauncher {
public:
    static constexpr int kEndWaitMs = 5000;

    // StatsService: where the client reports unless the host's environment says (empty: nowhere).
    explicit TClientLauncher(QString ClientPath, const QString &StatsService = QString());
    // Ends the client if it still runs (it normally ends by itself once the pipe is closed).
    ~TClientLauncher();
    TClientLauncher(const TClientLauncher &) = delete;
    TClientLauncher &operator=(const TClientLauncher &) = delete;

    // False when the program cannot be started.
    bool Start();
    bool Running() const { return FProcess.state() != QProcess::NotRunning; }
    qint64 ProcessId() const { return FProcess.processId(); }
    // Waits (running the event loop) until the client has ended by itself; true when it has.
    bool WaitEnded(int TimeoutMs = kEndWaitMs);
    const QString &ClientPath() const { return FClientPath; }

    // The client ended: its exit code, and whether it crashed or was killed.
    std::function<void(int ExitCode, bool Crashed)> OnEnded;

private:
    QString FClientPath;
    QProcess FProcess;
};

// The client to start without --client: the one beside the host's executable, else the installed one
// (libexec/trelvo/trelvo seen from the host's bin/ or games/), else the one the host was built with.
QString FindClient();

} // namespace trelvo::host
