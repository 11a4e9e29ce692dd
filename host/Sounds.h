#pragma once

#include <QString>

namespace trelvo::host {

// The short sounds of the table.
enum class TSound { Deal, CardPlayed, Cover, Take, Discard, YourMove, Win, Loss };
inline constexpr TSound kAllSounds[] = {TSound::Deal,    TSound::CardPlayed, TSound::Cover, TSound::Take,
                                        TSound::Discard, TSound::YourMove,   TSound::Win,   TSound::Loss};

// The sound's file name without extension ("deal", "your-move", ...).
QString SoundName(TSound Sound);

} // namespace trelvo::host
