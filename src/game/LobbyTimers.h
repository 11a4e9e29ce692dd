#pragma once

#include "common/Timer.h"

#include <functional>
#include <memory>

namespace trelvo {

// The lobby's two timers on the UI clock: the table-list poll and the idle end of the plug-in. Both
// run from Start until Stop (or until the idle end has been raised).
class TLobbyTimers {
public:
    // The first poll 500 ms after entering the lobby, then every 5000 ms.
    static constexpr int kFirstTableListPollMs = 500;
    static constexpr int kTableListPollMs = 5000;
    // An idle lobby ends the plug-in after ten minutes.
    static constexpr int kLobbyIdleMs = 600000;

    // Time to ask for the table list. The request may end the lobby (Stop) or enter it again (Start).
    std::function<void()> OnPoll;
    // The lobby has been idle too long; the timers are stopped already.
    std::function<void()> OnIdle;

    TLobbyTimers() = default;
    TLobbyTimers(const TLobbyTimers &) = delete;
    TLobbyTimers &operator=(const TLobbyTimers &) = delete;

    // Starts both afresh, also when they run.
    void Start();
    void Stop();

private:
    void PollTick(TTimer *Sender);
    void IdleTick();

    std::unique_ptr<TTimer> Timer_Get_Table;
    std::unique_ptr<TTimer> Timer_Stop_Plugin;
};

} // namespace trelvo
