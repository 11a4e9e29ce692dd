#include "Startup.h"

#include "GUIMessage.h"
#include "PipeHostLink.h"
#include "common/QtClock.h"
#include "common/SeatName.h"
#include "lobby/About.h"
#include "scene/Graphic.h"
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
    // The controller keeps at most one About window and forgets it when it closes itself.
    auto game = std::make_unique<TGame>(std::make_unique<scene::TGraphics>(), std::make_unique<TStatistics>(),
                                        []() -> IAboutForm * { return new TForm_About(); });
    // While the window is embedded in a foreign window Qt ignores quit(); exit() ends the loop.
    auto link = std::make_unique<TPipeHostLink>(SeatName(kHostPipeName));
    const IHostLink &host = *link;
    TGUIMessage dispatcher(std::move(game), std::move(link), std::make_unique<TMessageBoxReporter>(),
                           [] { QCoreApplication::exit(0); });
    // Without its host the client has nothing to do: it leaves, as every refused start does, rather
    // than hold the instance guard with no pipe and no window.
    if (!host.Connected())
        return;
    app.exec();
}

} // namespace trelvo
