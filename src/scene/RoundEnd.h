#pragma once

#include "lobby/PicButton.h"

#include "common/Timer.h"
#include "kit/Animation.h"
#include "kit/Text.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace trelvo::scene {

// The plate "Конец раунда: N" that slides up from under the own seat at the end of a round, counts
// down once a second and fades; reaching 0 raises OnEnd, which starts the pick-up or the discard.
class TRoundEnd : public TLayout {
public:
    using TOnEnd = std::function<void()>;
    static constexpr float kRise = 90;

    TOnEnd OnEnd;

    explicit TRoundEnd(TSceneObject *owner);
    ~TRoundEnd() override;

    // A countdown still running ends first (its OnEnd is raised), then the new one starts.
    void Start(uint8_t aTime);
    // Ends a running countdown at once, as if it had reached 0; nothing when none runs.
    void Finish();
    // The y the plate slides up from; it rises by 90.
    void SetOffsetDown(float value);

    int8_t Time() const { return FTime; }
    bool Moved() const { return FMoved; }
    TText *Text() const { return FText; }
    TImageEx *Image() const { return FImage; }

private:
    void Tick();
    void ShowTime();

    TImageEx *FImage;
    int8_t FTime = 0;
    TText *FText;
    TFloatAnimation *FAnimationOpen;
    TFloatAnimation *FAnimationClose;
    std::unique_ptr<TTimer> FSecondTimer;
    bool FMoved = false;
};

} // namespace trelvo::scene
