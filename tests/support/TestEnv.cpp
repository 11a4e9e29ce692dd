#include "TestEnv.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::test {

void PrepareEnvironment() {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // No test reports statistics anywhere; the ones that test reporting point it at a local stand-in.
    setenv("TRELVO_STATS_SERVICE", "", 1);
    setenv("TRELVO_STATS_PROBE", "", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string dir = "/tmp/trelvo-test-runtime-" + std::to_string(getuid());
        mkdir(dir.c_str(), 0700);
        chmod(dir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
}

} // namespace trelvo::test
