#include "game/RedirectReport.h"

namespace trelvo {

std::optional<TStatInfo> ReadRedirectReport(msg::TLenientReader &In) {
    TStatInfo info;
    info.KindPost = In.Byte();
    info.Name = In.Name();
    info.ID = In.Text();
    info.Gender = In.Byte();
    info.ServerIP = In.Text();
    info.LocalUserIP = In.Text();
    info.ScreenSizeX = In.Int();
    info.ScreenSizeY = In.Int();
    if (!In.Float(info.Scale))
        return std::nullopt;
    info.OS = In.Text();
    info.Kernel = In.Text();
    info.Architecture = In.Byte();
    info.PluginVersion = In.Text();
    info.ChatVersion = In.Text();
    return info;
}

} // namespace trelvo
