#include "Startup.h"

#include "BareGraphics.h"
#include "GUIMessage.h"
#include "PipeHostLink.h"
#include "common/QtClock.h"
#include "stats/Statistics.h"

#include <QApplication>
#include <QString>

namespace trelvo {

bool IsStartArgument(const char *firstArgument) {
    return QString::localeAwareCompare(QString::fromLocal8Bit(firstArgument).toLower(),
                                       QStringLiteral("-start")) == 0;
}

void RunClient(QApplication &app) {
    TQtClock clock;
    TClockScope clockScope(clock);
    auto game = std::make_unique<TGame>(std::make_unique<TBareGraphics>(), std::make_unique<TStatistics>());
    // While the window is embedded in a foreign window Qt ignores quit(); exit() ends the loop.
    TGUIMessage dispatcher(std::move(game), std::make_unique<TPipeHostLink>(),
                           std::make_unique<TMessageBoxReporter>(), [] { QCoreApplication::exit(0); });
    app.exec();
}

} // namespace trelvo
