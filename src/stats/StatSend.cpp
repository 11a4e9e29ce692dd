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
    const QString values[] = {
        Info.Name,
        Info.ID,
        Info.ServerIP,
        Info.LocalUserIP,
        QString::number(Info.ScreenSizeX),
        QString::number(Info.ScreenSizeY),
        ScaleText(Info.Scale),
        Info.OS,
        Info.Kernel,
        QString::number(Info.Architecture),
        Info.PluginVersion,
        Info.ChatVersion,
        QString::number(Info.Gender + 1),
        QString::number(Info.KindPost),
        Info.MD5_CC,
        Info.MD5_Plugin,
        Info.MD5_GUI,
    };
    TPostData form;
    int number = 1;
    for (const QString &value : values)
        form.push_back({QStringLiteral("P%1").arg(number++), ScrambleField(value, Key)});
    return form;
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
