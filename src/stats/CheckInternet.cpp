#include "stats/CheckInternet.h"

#include <QRandomGenerator>

namespace trelvo {

TCheckInternet::TCheckInternet(TCreateKey Key, TStatEndpoint Endpoint)
    : TReportThread(Key, std::move(Endpoint)) {}

void TCheckInternet::Report() {
    FRnd = QString::number(QRandomGenerator::global()->bounded(kChallengeMin, kChallengeMax + 1));
    FPostData.clear();
    FPostData.push_back({QStringLiteral("P"), FRnd});
    PostForm(kPathCheck);
}

void TCheckInternet::HandleAnswer(const THttpResponse &Response) {
    try {
        FConnected = Response.Text() == FRnd;
    } catch (...) {
        FConnected = false;
    }
}

} // namespace trelvo
