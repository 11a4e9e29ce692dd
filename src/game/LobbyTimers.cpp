#include "game/LobbyTimers.h"

namespace trelvo {

void TLobbyTimers::Start() {
    if (Timer_Get_Table || Timer_Stop_Plugin)
        Stop();
    Timer_Get_Table = std::make_unique<TTimer>();
    Timer_Get_Table->OnTimer = [this](TTimer *Sender) { PollTick(Sender); };
    Timer_Get_Table->SetInterval(kFirstTableListPollMs);
    Timer_Stop_Plugin = std::make_unique<TTimer>();
    Timer_Stop_Plugin->SetInterval(kLobbyIdleMs);
    Timer_Stop_Plugin->OnTimer = [this](TTimer *) { IdleTick(); };
}

void TLobbyTimers::Stop() {
    if (Timer_Get_Table) {
        std::unique_ptr<TTimer> timer = std::move(Timer_Get_Table);
        timer->SetEnabled(false);
    }
    if (Timer_Stop_Plugin) {
        std::unique_ptr<TTimer> timer = std::move(Timer_Stop_Plugin);
        timer->SetEnabled(false);
    }
}

void TLobbyTimers::PollTick(TTimer *Sender) {
    // Disabled around the request, so the next poll is counted from this one.
    Sender->SetEnabled(false);
    if (Sender->Interval() != kTableListPollMs)
        Sender->SetInterval(kTableListPollMs);
    if (OnPoll)
        OnPoll();
    // The request may have ended the lobby (the timer is gone then).
    if (Timer_Get_Table.get() == Sender)
        Sender->SetEnabled(true);
}

void TLobbyTimers::IdleTick() {
    Stop();
    if (OnIdle)
        OnIdle();
}

} // namespace trelvo
