#include "SingleInstance.h"
#include "Startup.h"
#include "common/SeatName.h"

#include <QApplication>

int main(int argc, char **argv) {
    using namespace trelvo;
    // Held until the process ends; a second client leaves at once and quietly.
    TSingleInstance guard(SeatName(kInstanceGuardName));
    if (guard.AlreadyExists())
        return 0;
    if (!IsStartArgument(argc > 1 ? argv[1] : ""))
        return 0;
    QApplication app(argc, argv);
    RunClient(app);
    return 0;
}
