#include "Startup.h"

#include "MainForm.h"
#include "common/QtClock.h"

#include <QApplication>
#include <QString>

namespace trelvo {

bool IsStartArgument(const char *firstArgument)
{
    return QString::localeAwareCompare(QString::fromLocal8Bit(firstArgument).toLower(), QStringLiteral("-start")) ==
           0;
}

void RunClient(QApplication &app)
{
    TQtClock clock;
    TClockScope clockScope(clock);
    // Until the dispatcher is wired, the client shows nothing and waits for the host.
    TMain_Form form;
    app.exec();
}

} // namespace trelvo
