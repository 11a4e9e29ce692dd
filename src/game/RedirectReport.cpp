#include "game/RedirectReport.h"

#include "protocol/StatsReport.h"

namespace trelvo {

std::optional<TStatInfo> ReadRedirectReport(msg::TLenientReader &In) {
    TStatInfo info;
    // The fields come in the order of the service's own table; only their types are this reader's.
    for (const TStartField field : kRedirectOrder) {
        switch (field) {
        case kStartKindPost:
            info.KindPost = In.Byte();
            break;
        case kStartName:
            info.Name = In.Name();
            break;
        case kStartID:
            info.ID = In.Text();
            break;
        case kStartGender:
            info.Gender = In.Byte();
            break;
        case kStartServerIP:
            info.ServerIP = In.Text();
            break;
        case kStartLocalUserIP:
            info.LocalUserIP = In.Text();
            break;
        case kStartScreenSizeX:
            info.ScreenSizeX = In.Int();
            break;
        case kStartScreenSizeY:
            info.ScreenSizeY = In.Int();
            break;
        case kStartScale:
            if (!In.Float(info.Scale))
                return std::nullopt;
            break;
        case kStartOS:
            info.OS = In.Text();
            break;
        case kStartKernel:
            info.Kernel = In.Text();
            break;
        case kStartArchitecture:
            info.Architecture = In.Byte();
            break;
        case kStartPluginVersion:
            info.PluginVersion = In.Text();
            break;
        case kStartChatVersion:
            info.ChatVersion = In.Text();
            break;
        // The checksums are this client's own, filled in when it posts.
        case kStartMD5_CC:
        case kStartMD5_Plugin:
        case kStartMD5_GUI:
        case kStartFields:
            break;
        }
    }
    return info;
}

} // namespace trelvo
