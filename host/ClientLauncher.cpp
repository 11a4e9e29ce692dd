#include "host/ClientLauncher.h"

#include "host/HostLog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

namespace trelvo::host {

TClientLauncher::TClientLauncher(QString ClientPath, const QString &StatsService)
    : FClientPath(std::move(ClientPath)) {
    FProcess.setProgram(FClientPath);
    FProcess.setArguments({QStringLiteral("-start")});
    // The client says nothing in normal operation; what it might say goes to the host's own output.
    FProcess.setProcessChannelMode(QProcess::ForwardedChannels);
    // Statistics go only where the player said (these variables in the host's environment) or to the
    // game server the player chose; otherwise the client is told explicitly that there is no service,
    // whatever its build chose.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("TRELVO_STATS_SERVICE")))
        environment.insert(QStringLiteral("TRELVO_STATS_SERVICE"), StatsService);
    if (!environment.contains(QStringLiteral("TRELVO_STATS_PROBE")))
        environment.insert(QStringLiteral("TRELVO_STATS_PROBE"), QString());
    FProcess.setProcessEnvironment(environment);
    QObject::connect(&FProcess, &QProcess::finished, [this](int ExitCode, QProcess::ExitStatus Status) {
        if (auto handler = OnEnded)
            handler(ExitCode, Status == QProcess::CrashExit);
    });
}

TClientLauncher::~TClientLauncher() {
    OnEnded = nullptr;
    if (Running() && !FProcess.waitForFinished(kEndWaitMs)) {
        qCWarning(lcHost) << "the client did not end with its pipe; killing it";
        FProcess.kill();
        FProcess.waitForFinished(kEndWaitMs);
    }
}

bool TClientLauncher::Start() {
    if (Running())
        return true;
    FProcess.start();
    if (!FProcess.waitForStarted(kEndWaitMs)) {
        qCWarning(lcHost) << "cannot start the client" << FClientPath << FProcess.errorString();
        return false;
    }
    return true;
}

bool TClientLauncher::WaitEnded(int TimeoutMs) {
    QDeadlineTimer deadline(TimeoutMs);
    while (Running() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !Running();
}

QString FindClient() {
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString &candidate :
         {here + QStringLiteral("/trelvo"), here + QStringLiteral("/" TRELVO_INSTALLED_CLIENT)})
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    return QStringLiteral(TRELVO_BUILT_CLIENT);
}

} // namespace trelvo::host
