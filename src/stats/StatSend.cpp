#include "stats/StatSend.h"

#include "stats/Encryption.h"

#include <QLocale>

namespace trelvo {

QString ScaleText(float Scale, const QLocale &Locale) {
    // Written in the C locale, then only the separator is the locale's: native digits of some locales
    // would otherwise reach the web service.
    QString text = QLocale::c().toString(static_cast<double>(Scale), 'g', 15);
    text.replace(QLatin1Char('.'), Locale.decimalPoint());
    return text;
}

TPostData ReportForm(const TStatInfo &Info, const QString &Key) {
    QString values[kStartFields];
    values[kStartName] = Info.Name;
    values[kStartID] = Info.ID;
    values[kStartServerIP] = Info.ServerIP;
    values[kStartLocalUserIP] = Info.LocalUserIP;
    values[kStartScreenSizeX] = QString::number(Info.ScreenSizeX);
    values[kStartScreenSizeY] = QString::number(Info.ScreenSizeY);
    values[kStartScale] = ScaleText(Info.Scale);
    values[kStartOS] = Info.OS;
    values[kStartKernel] = Info.Kernel;
    values[kStartArchitecture] = QString::number(Info.Architecture);
    values[kStartPluginVersion] = Info.PluginVersion;
    values[kStartChatVersion] = Info.ChatVersion;
    values[kStartGender] = QString::number(Info.Gender + 1);
    values[kStartKindPost] = QString::number(Info.KindPost);
    values[kStartMD5_CC] = Info.MD5_CC;
    values[kStartMD5_Plugin] = Info.MD5_Plugin;
    values[kStartMD5_GUI] = Info.MD5_GUI;
    return ScrambledForm(values, Key);
}

TStatSend::TStatSend(TCreateKey Key, TStatEndpoint Endpoint) : TReportThread(Key, std::move(Endpoint)) {}

void TStatSend::Report() {
    FState = kStateProbe;
    Probe();

    FState = kStateAddress;
    FPostData.clear();
    PostForm(kPathGetIP);
    if (FEndCode != kEndNoAnswer)
        return;

    FPostData = ReportForm(FStatInfo, FKey);
    FState = kStateReport;
    PostForm(kPathReportStart);
}

void TStatSend::HandleAnswer(const THttpResponse &Response) {
    try {
        const QString text = Response.Text();
        if (FState == kStateAddress) {
            FIP = text;
            if (!text.isEmpty() && text.size() <= kMaxAddressLength)
                FKey = DeriveKey(text);
            else
                FEndCode = kEndNoAddress;
        } else if (FState == kStateReport) {
            FEndCode = text == QLatin1String("1") ? kEndAccepted : kEndRejected;
        }
    } catch (...) {
        FEndCode = kEndClientError;
    }
}

void TStatSend::Finish() {
    // Where the run stopped decides the outcome; a report request without an answer stays at 0.
    switch (FState) {
    case kStateSetup:
        FEndCode = kEndClientError;
        break;
    case kStateAddress:
        FEndCode = kEndNoAddress;
        break;
    case kStateProbe:
        FEndCode = kEndNoInternet;
        break;
    case kStateReport:
        break;
    }
}

} // namespace trelvo
