#pragma once

#include "protocol/Protocol.h"

#include <QProcess>
#include <QStringList>

namespace trelvo::test {

// The pipe the real client connects to, as the host plug-in names it.
inline constexpr const char *kClientPipeName = kHostPipeName;

// The real client binary, started as the host plug-in starts it.
class TClientProcess {
public:
    explicit TClientProcess(const QStringList &arguments = {QStringLiteral("-start")}) {
        FProcess.setProgram(QStringLiteral(TRELVO_BINARY));
        FProcess.setArguments(arguments);
        FProcess.start();
        FProcess.waitForStarted(5000);
    }
    // Its standard error goes to a file, so that a long run cannot fill the pipe and block it, and
    // the test can read everything it said after it ended.
    TClientProcess(const QStringList &arguments, const QString &StderrFile) {
        FProcess.setProgram(QStringLiteral(TRELVO_BINARY));
        FProcess.setArguments(arguments);
        FProcess.setStandardErrorFile(StderrFile);
        FProcess.start();
        FProcess.waitForStarted(5000);
    }
    ~TClientProcess() {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished(5000);
        }
    }

    QProcess &Process() { return FProcess; }
    bool Running() const { return FProcess.state() == QProcess::Running; }
    // True when the process ended within the time, exited normally and said nothing.
    bool EndsSilentlyWithZero(int ms) {
        return FProcess.waitForFinished(ms) && FProcess.exitStatus() == QProcess::NormalExit &&
               FProcess.exitCode() == 0 && FProcess.readAllStandardOutput().isEmpty() &&
               FProcess.readAllStandardError().isEmpty();
    }

private:
    QProcess FProcess;
};

} // namespace trelvo::test
