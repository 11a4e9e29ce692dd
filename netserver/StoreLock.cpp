#include "netserver/StoreLock.h"

#include "netserver/Store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace trelvo::net {

TStoreLock::TStoreLock(const QString &StorePath)
    : FStorePath(StorePath), FPath(StorePath + QStringLiteral(".lock")) {}

TStoreLock::~TStoreLock() {
    if (FFd >= 0)
        ::close(FFd);
}

bool TStoreLock::Take(QString &Error) {
    const QString folder = QFileInfo(FPath).absolutePath();
    if (!QDir().mkpath(folder)) {
        Error = QStringLiteral("cannot make the folder %1").arg(folder);
        return false;
    }
    FFd = ::open(QFile::encodeName(FPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (FFd < 0) {
        Error = StoreFolderError(folder, errno);
        return false;
    }
    if (::flock(FFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        char pid[32] = {};
        const ssize_t n = ::pread(FFd, pid, sizeof pid - 1, 0);
        ::close(FFd);
        FFd = -1;
        if (error != EWOULDBLOCK) {
            Error =
                QStringLiteral("cannot lock %1: %2").arg(FPath, QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
        const QString holder =
            n > 0 ? QStringLiteral(" (pid %1)").arg(QString::fromLatin1(pid, n).trimmed()) : QString();
        Error =
            QStringLiteral("another trelvo-server%1 uses the store %2: stop it first, or give another --db")
                .arg(holder, FStorePath);
        return false;
    }
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::ftruncate(FFd, 0) != 0 || ::pwrite(FFd, pid.constData(), pid.size(), 0) != pid.size()) {
        // The pid is for people to read; the lock holds without it.
    }
    return true;
}

} // namespace trelvo::net
