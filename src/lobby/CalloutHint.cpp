#include "CalloutHint.h"

#include "common/Timer.h"
#include "kit/Animation.h"
#include "kit/Form.h"
#include "kit/Shapes.h"
#include "kit/Text.h"

#include <cmath>

namespace trelvo {

namespace {
// The growing loop ends long before this; it only guards against a text that never settles.
constexpr int kMaxGrowSteps = 10000;
} // namespace

TCalloutHint::TCalloutHint(TControl &host) : FHost(host) {}

TCalloutHint::~TCalloutHint() {
    FTimer.reset();
    RemoveCallout();
}

TCalloutRectangle *TCalloutHint::CalloutRectangle() const {
    return FLayoutCallout ? FCalloutRectangle : nullptr;
}

TFloatAnimation *TCalloutHint::Animation() const {
    return FLayoutCallout ? FAnimation : nullptr;
}

TText *TCalloutHint::Text() const {
    return FLayoutCallout ? FText : nullptr;
}

void TCalloutHint::PointerEnter() {
    if (!FHost.ShowHint() || FHost.Hint().isEmpty() || FState != -1)
        return;
    FState = 0;
    FTimer = std::make_unique<TTimer>();
    FTimer->SetInterval(kDelayMs);
    FTimer->OnTimer = [this](TTimer *) { TimerFired(); };
    FTimer->SetEnabled(true);
}

void TCalloutHint::PointerMove() {
    if (FState == 1) {
        RemoveCallout();
        FState = -1;
    }
}

void TCalloutHint::PointerLeave() {
    if (FState == 1) {
        RemoveCallout();
        FState = -1;
    } else if (FState == 0) {
        FTimer.reset();
        FState = -1;
    }
}

void TCalloutHint::TimerFired() {
    FTimer->SetEnabled(false);
    FTimer.reset();
    ShowCallout();
}

void TCalloutHint::RemoveCallout() {
    if (TLayout *layout = FLayoutCallout.Get())
        delete layout;
    FLayoutCallout.Reset();
    FCalloutRectangle = nullptr;
    FAnimation = nullptr;
    FText = nullptr;
}

void TCalloutHint::ShowCallout() {
    FState = 1;
    TControl *parent = FHost.ParentControl();
    TForm *form = parent ? parent->Form() : nullptr;
    if (!form)
        return;

    auto *layout = new TLayout(form);
    layout->SetParent(form);
    layout->SetBounds(0, 0, 0, 0);
    FLayoutCallout.Reset(layout);

    auto *rect = new TCalloutRectangle(layout);
    rect->SetParent(layout);
    rect->SetAlign(TAlignLayout::Client);
    rect->SetOpacity(0);
    rect->SetXRadius(kRadius);
    rect->SetYRadius(kRadius);
    rect->SetFill(kFill);
    rect->SetCalloutWidth(TCalloutRectangle::kDefaultCalloutWidth);
    rect->SetCalloutLength(TCalloutRectangle::kDefaultCalloutLength);
    rect->SetCalloutPosition(TCalloutPosition::Top);
    // The callout never lies under the pointer; it must not take the pointer either.
    rect->SetHitTest(false);
    FCalloutRectangle = rect;

    auto *text = new TText(rect);
    text->SetParent(rect);
    text->SetAlign(TAlignLayout::Center);
    text->SetTrimming(TTextTrimming::Word);
    text->SetFontSize(kFontSize);
    text->SetText(FHost.Hint());
    text->SetHitTest(false);
    FText = text;

    // Grow by 2 x 1 until the centred text has kTextTop above it besides the pointer.
    const float pointer = rect->CalloutLength();
    for (int step = 0; step < kMaxGrowSteps; ++step) {
        layout->SetWidth(layout->Width() + 2);
        layout->SetHeight(layout->Height() + 1);
        text->SetWidth(rect->Width() - kTextInset);
        text->SetAutoSize(true);
        text->SetAutoSize(false);
        if (text->Y() - pointer >= kTextTop)
            break;
    }
    text->SetAlign(TAlignLayout::None);
    text->SetY(((rect->Height() - pointer) - text->Height()) / 2);

    const QPointF mouse = form->ScreenToClient(TScreen::MousePos());
    float left = static_cast<float>(mouse.x()) - layout->Width() / 2;
    float top = static_cast<float>(mouse.y());
    if (top + layout->Height() > form->ClientHeight()) {
        top = top - layout->Height() - kGap;
        rect->SetCalloutPosition(TCalloutPosition::Bottom);
    }
    if (rect->CalloutPosition() == TCalloutPosition::Bottom) {
        top -= kGap;
    } else {
        top += kGap;
        text->SetY(text->Y() + pointer);
    }
    const float width = rect->CalloutWidth();
    if (left < 0) {
        float offset = rect->Width() / 2 - std::fabs(left);
        if (offset - 1 - 5 - width < 0)
            offset = width + 6;
        rect->SetCalloutOffset(offset);
        left = 0;
    }
    if (left + layout->Width() > form->ClientWidth()) {
        const float excess = left + layout->Width() - form->ClientWidth();
        float offset = rect->Width() / 2 + excess;
        if (rect->Width() < offset + 1 + 5 + width)
            offset = rect->Width() - 1 - 5 - width;
        rect->SetCalloutOffset(offset);
        left -= excess;
    }
    layout->SetPosition(left, top);

    auto *fade = new TFloatAnimation(rect);
    fade->SetParent(rect);
    fade->SetPropertyName(QStringLiteral("Opacity"));
    fade->SetStartValue(0);
    fade->SetStopValue(1);
    fade->SetDuration(kFadeSeconds);
    FAnimation = fade;
    fade->Start();
}

} // namespace trelvo
