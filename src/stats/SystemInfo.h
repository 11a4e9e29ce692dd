#pragma once

#include "game/api/IStatistics.h"

#include <QString>

#include <cstdint>

// What the usage record says about this machine: the operating system, the processor and the screen.
namespace trelvo {

struct TOSVersion {
    QString Name;
    int Major = 0;
    int Minor = 0;
    int Build = 0;
    int ServicePackMajor = 0;
    bool Is64Bit = false;
};

// The running system: its pretty name, and the kernel release as major, minor and build.
TOSVersion CurrentOSVersion();
// Reads "6.1.0-18-amd64" as 6, 1, 0; missing numbers are 0.
void ParseKernelRelease(const QString &Release, TOSVersion &Version);

// "Name (Version 6.1, Build 0, 64-bit Edition)", or with " Service Pack N" after the name.
QString OSDescription(const TOSVersion &Version);
// "6.1.0".
QString KernelText(const TOSVersion &Version);
// 1 32-bit Intel, 2 64-bit Intel, 3 32-bit ARM, 4 64-bit ARM; anything else 1.
std::uint8_t ArchitectureCode(const QString &CpuArchitecture);

// The collected part of a new record: screen, system, architecture, "1.30" and KindPost 1. The screen
// stays 0 without a GUI application or screen. The hash of the running executable is not part of it:
// it takes reading the whole program file (OwnExecutableMD5).
TStatInfo CollectStatInfo();
// The MD5 of the running executable's file in lower-case hexadecimal.
QString OwnExecutableMD5();

} // namespace trelvo
