#pragma once

#include <QString>

// The statistics service's exchange, as the client posts it and the service (trelvo-server) reads it:
// the paths, and the fields of each report in one order. A form names field i "P<i + 1>".
namespace trelvo {

inline const QString kPathGetIP = QStringLiteral("/trelvo/get_ip.php");
inline const QString kPathReportStart = QStringLiteral("/trelvo/report_start.php");
inline const QString kPathReportServer = QStringLiteral("/trelvo/report_server.php");
inline const QString kPathCheck = QStringLiteral("/trelvo/check.php");

// The client's start report, in the form's order.
enum TStartField {
    kStartName,
    kStartID,
    kStartServerIP,
    kStartLocalUserIP,
    kStartScreenSizeX,
    kStartScreenSizeY,
    kStartScale,
    kStartOS,
    kStartKernel,
    kStartArchitecture,
    kStartPluginVersion,
    kStartChatVersion,
    kStartGender, // the host's gender plus one
    kStartKindPost,
    kStartMD5_CC,
    kStartMD5_Plugin,
    kStartMD5_GUI,
    kStartFields
};

// The fields of a start report that are decimal numbers.
inline constexpr TStartField kStartNumberFields[] = {kStartScreenSizeX, kStartScreenSizeY, kStartArchitecture,
                                                     kStartGender, kStartKindPost};

// A start report the host redirects through the client (7;22): the fields it carries, in the message's
// order. The client fills in the rest (the checksums) itself.
inline constexpr TStartField kRedirectOrder[] = {
    kStartKindPost,      kStartName,        kStartID,    kStartGender, kStartServerIP, kStartLocalUserIP,
    kStartScreenSizeX,   kStartScreenSizeY, kStartScale, kStartOS,     kStartKernel,   kStartArchitecture,
    kStartPluginVersion, kStartChatVersion,
};

// The host's server report, in the form's order.
enum TServerField {
    kServerVersion,
    kServerIP,
    kServerMD5_Server,
    kServerMD5_Plugin,
    kServerVer_Plug,
    kServerFields
};

// The form's name of field Index.
inline QString ReportFieldName(int Index) {
    return QStringLiteral("P%1").arg(Index + 1);
}

} // namespace trelvo
