#include "stats/SystemInfo.h"

#include "common/Version.h"
#include "stats/Encryption.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QSysInfo>

#include <cmath>

namespace trelvo {

namespace {
const QString kPluginVersion = QString::fromLatin1(kTrelvoVersion);
constexpr std::uint8_t kOwnRecord = 1;
// The running program's file, even when it was replaced on disk since it started.
const QString kOwnExecutable = QStringLiteral("/proc/self/exe");

void ReadScreen(TStatInfo &Info) {
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSizeF size = screen->size();
    Info.ScreenSizeX = static_cast<std::int32_t>(std::lround(size.width()));
    Info.ScreenSizeY = static_cast<std::int32_t>(std::lround(size.height()));
    Info.Scale = static_cast<float>(screen->devicePixelRatio());
}
} // namespace

void ParseKernelRelease(const QString &Release, TOSVersion &Version) {
    static const QRegularExpression leading(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch match = leading.match(Release);
    Version.Major = match.captured(1).toInt();
    Version.Minor = match.captured(2).toInt();
    Version.Build = match.captured(3).toInt();
}

TOSVersion CurrentOSVersion() {
    TOSVersion version;
    version.Name = QSysInfo::prettyProductName();
    ParseKernelRelease(QSysInfo::kernelVersion(), version);
    version.Is64Bit = QSysInfo::currentCpuArchitecture().contains(QLatin1String("64"));
    return version;
}

QString OSDescription(const TOSVersion &Version) {
    const QString edition =
        Version.Is64Bit ? QStringLiteral("64-bit Edition") : QStringLiteral("32-bit Edition");
    const QString servicePack = Version.ServicePackMajor > 0
                                    ? QStringLiteral(" Service Pack %1").arg(Version.ServicePackMajor)
                                    : QString();
    return QStringLiteral("%1%2 (Version %3.%4, Build %5, %6)")
        .arg(Version.Name, servicePack, QString::number(Version.Major), QString::number(Version.Minor),
             QString::number(Version.Build), edition);
}

QString KernelText(const TOSVersion &Version) {
    return QStringLiteral("%1.%2.%3").arg(Version.Major).arg(Version.Minor).arg(Version.Build);
}

std::uint8_t ArchitectureCode(const QString &CpuArchitecture) {
    if (CpuArchitecture == QLatin1String("x86_64"))
        return 2;
    if (CpuArchitecture == QLatin1String("arm"))
        return 3;
    if (CpuArchitecture == QLatin1String("arm64"))
        return 4;
    return 1;
}

TStatInfo CollectStatInfo() {
    TStatInfo info;
    ReadScreen(info);
    const TOSVersion version = CurrentOSVersion();
    info.OS = OSDescription(version);
    info.Kernel = KernelText(version);
    info.Architecture = ArchitectureCode(QSysInfo::currentCpuArchitecture());
    info.PluginVersion = kPluginVersion;
    info.KindPost = kOwnRecord;
    return info;
}

QString OwnExecutableMD5() {
    return FileMD5Text(kOwnExecutable);
}

} // namespace trelvo
