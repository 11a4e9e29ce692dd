#include "stats/SendServerInfo.h"

#include "stats/Encryption.h"

namespace trelvo {

TPostData ServerInfoForm(const TServerInfo &Info, const QString &Key) {
    QString values[kServerFields];
    values[kServerVersion] = Info.Version;
    values[kServerIP] = Info.IP;
    values[kServerMD5_Server] = Info.MD5_Server;
    values[kServerMD5_Plugin] = Info.MD5_Plugin;
    values[kServerVer_Plug] = Info.Ver_Plug;
    return ScrambledForm(values, Key);
}

TSendServerInfo::TSendServerInfo(TCreateKey Key, TStatEndpoint Endpoint)
    : TReportThread(Key, std::move(Endpoint)) {}

void TSendServerInfo::Report() {
    FState = kStateAddress;
    FPostData.clear();
    PostForm(kPathGetIP);

    // No length check here: an empty address gives an empty key and with it empty values.
    FPostData = ServerInfoForm(FServerInfo, FKey);
    FState = kStateReport;
    PostForm(kPathReportServer);
}

void TSendServerInfo::HandleAnswer(const THttpResponse &Response) {
    try {
        const QString text = Response.Text();
        if (FState == kStateAddress) {
            FIP = text;
            FKey = DeriveKey(text);
        } else if (FState == kStateReport) {
            FSent = text == QLatin1String("1");
        }
    } catch (...) {
        FSent = false;
    }
}

} // namespace trelvo
