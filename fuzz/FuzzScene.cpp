// Drives game-server text through the real client: the dispatcher, the controller and the real scene
// (offscreen, on the manual clock), so that what a hostile server does to the table, its animations
// and its timers is reached too. The clock moves on after every input, so the timers it started fire.
//
// Input: the first byte picks the state to start from (0 to 6); the rest is split at '\n'. A line is
//   "#<n>"         the clock moves on by n × 250 ms;
//   anything else  a message from the host, as raw bytes in the wire code page.
// A finding is an error that escapes a timer (the program would abort) and an error box that the
// host layer's conversions do not explain.
#include "HostileClient.h"

#include <QApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::int64_t kStepMs = 250;
// After the last input: every round end, result and fade has run.
constexpr std::int64_t kSettleMs = 12000;

bool Explained(const std::string &Box) {
    // A field of the host's own layer (not the game server's) that does not convert ends in the box by
    // design.
    return Box.rfind("EConvertError ", 0) == 0;
}

void Check(const trelvo::test::THostileClient &Client) {
    for (const std::string &death : Client.Deaths()) {
        std::fprintf(stderr, "an error escaped a timer: %s\n", death.c_str());
        std::abort();
    }
    for (const std::string &box : Client.Boxes()) {
        if (!Explained(box)) {
            std::fprintf(stderr, "game-server input opened the error box: %s\n", box.c_str());
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
    if (Size == 0)
        return 0;
    trelvo::test::THostileClient client;
    client.DriveTo(Data[0] % 7);
    const std::string_view rest(reinterpret_cast<const char *>(Data) + 1, Size - 1);
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find('\n', start);
        if (end == std::string_view::npos)
            end = rest.size();
        const std::string_view line = rest.substr(start, end - start);
        if (!line.empty() && line[0] == '#')
            client.Run(kStepMs * (line.size() > 1 ? static_cast<std::uint8_t>(line[1]) : 1));
        else
            client.Deliver(line, kStepMs);
        client.TakeSent();
        Check(client);
        start = end + 1;
    }
    client.Run(kSettleMs);
    Check(client);
    return 0;
}
