#pragma once

#include "lobby/LobbyTimings.h"

#include "kit/SceneObject.h"

#include <cstdint>
#include <memory>

namespace trelvo {

class TCalloutRectangle;
class TControl;
class TFloatAnimation;
class TLayout;
class TText;
class TTimer;

// The delayed callout hint shared by TLayoutBase and TImageHint: 500 ms after the pointer enters a
// control whose ShowHint is on and whose Hint is set, a rounded callout with the hint text fades in
// next to the pointer, inside the form; the next move or leave removes it.
class TCalloutHint {
public:
    static constexpr int kDelayMs = LobbyTimings::kHintDelayMs;
    static constexpr double kFadeSeconds = LobbyTimings::kHintFadeSeconds;
    static constexpr uint32_t kFill = 0xFFF5F5F5;
    static constexpr float kRadius = 5;
    static constexpr float kFontSize = 15;
    // Space kept above the text (less the pointer) and around it.
    static constexpr float kTextTop = 20;
    static constexpr float kTextInset = 40;
    // Distance between the pointer and the callout's tip.
    static constexpr float kGap = 10;

    explicit TCalloutHint(TControl &host);
    // Frees a pending delay timer and removes a shown callout.
    ~TCalloutHint();
    TCalloutHint(const TCalloutHint &) = delete;
    TCalloutHint &operator=(const TCalloutHint &) = delete;

    // The host's pointer events, before the host raises its own.
    void PointerEnter();
    void PointerMove();
    void PointerLeave();

    // -1 idle, 0 delay running, 1 callout shown.
    int8_t State() const { return FState; }

    // The hint objects; nullptr while no callout is pending or shown.
    TLayout *LayoutCallout() const { return FLayoutCallout.Get(); }
    TCalloutRectangle *CalloutRectangle() const;
    TFloatAnimation *Animation() const;
    TText *Text() const;
    TTimer *Timer() const { return FTimer.get(); }

private:
    void TimerFired();
    void ShowCallout();
    void RemoveCallout();

    TControl &FHost;
    int8_t FState = -1;
    std::unique_ptr<TTimer> FTimer;
    TWeakRef<TLayout> FLayoutCallout;
    TCalloutRectangle *FCalloutRectangle = nullptr;
    TFloatAnimation *FAnimation = nullptr;
    TText *FText = nullptr;
};

} // namespace trelvo
