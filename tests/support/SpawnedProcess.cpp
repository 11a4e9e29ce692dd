#include "SpawnedProcess.h"

#include <QElapsedTimer>
#include <QFile>

#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace trelvo::test {

namespace {
void CloseFd(int &Fd) {
    if (Fd >= 0)
        close(Fd);
    Fd = -1;
}
} // namespace

TSpawnedProcess::TSpawnedProcess(const QString &Program, const QStringList &Arguments) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    std::vector<QByteArray> words{QFile::encodeName(Program)};
    for (const QString &argument : Arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        FPid = pid;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    FOut = out[0];
    FErr = err[0];
    fcntl(FOut, F_SETFL, fcntl(FOut, F_GETFL) | O_NONBLOCK);
    fcntl(FErr, F_SETFL, fcntl(FErr, F_GETFL) | O_NONBLOCK);
    if (!Started()) {
        CloseFd(FOut);
        CloseFd(FErr);
    }
}

TSpawnedProcess::~TSpawnedProcess() {
    if (Started() && !FEnded) {
        kill(FPid, SIGKILL);
        Reap(true);
    }
    CloseFd(FOut);
    CloseFd(FErr);
}

void TSpawnedProcess::Drain(int WaitMs) {
    pollfd fds[2] = {{FOut, POLLIN, 0}, {FErr, POLLIN, 0}};
    if (poll(fds, 2, WaitMs) <= 0)
        return;
    const auto readAll = [](int &Fd, QByteArray &Into) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(Fd, buffer, sizeof buffer);
            if (n > 0)
                Into.append(buffer, n);
            else if (n < 0 && errno == EINTR)
                continue;
            else if (n < 0 && errno == EAGAIN)
                return;
            else
                return CloseFd(Fd); // its end, or a pipe that cannot be read any more
        }
    };
    if (FOut >= 0)
        readAll(FOut, FOutText);
    if (FErr >= 0)
        readAll(FErr, FErrText);
}

void TSpawnedProcess::Reap(bool Block) {
    if (!Started() || FEnded)
        return;
    int status = 0;
    pid_t done;
    do {
        done = waitpid(FPid, &status, Block ? 0 : WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done != FPid)
        return;
    FEnded = true;
    FExited = WIFEXITED(status);
    FExitCode = FExited ? WEXITSTATUS(status) : -1;
}

QByteArray TSpawnedProcess::ReadStandardOutput() {
    Drain(0);
    QByteArray text;
    text.swap(FOutText);
    return text;
}

QByteArray TSpawnedProcess::ReadStandardError() {
    Drain(0);
    QByteArray text;
    text.swap(FErrText);
    return text;
}

bool TSpawnedProcess::Running() {
    Reap(false);
    return Started() && !FEnded;
}

void TSpawnedProcess::Terminate() {
    if (Running())
        kill(FPid, SIGTERM);
}

bool TSpawnedProcess::WaitForFinished(int TimeoutMs) {
    if (!Started())
        return false;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        // The pipes are read meanwhile, so that a child that writes much never blocks on them; once
        // both are at their end, poll() only waits the 10 ms before the next look.
        Drain(10);
        Reap(false);
        if (FEnded && FOut < 0 && FErr < 0)
            return true;
        if (waited.elapsed() > TimeoutMs)
            return false;
    }
}

} // namespace trelvo::test
