#include "stats/SendServerInfo.h"

#include "stats/Encryption.h"

namespace trelvo {

TPostData ServerInfoForm(const TServerInfo &Info, const QString &Key) {
    return {
        {QStringLiteral("P1"), ScrambleField(Info.Version, Key)},
        {QStringLiteral("P2"), ScrambleField(Info.IP, Key)},
        {QStringLiteral("P3"), ScrambleField(Info.MD5_Server, Key)},
        {QStringLiteral("P4"), ScrambleField(Info.MD5_Plugin, Key)},
        {QStringLiteral("P5"), ScrambleField(Info.Ver_Plug, Key)},
    };
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
