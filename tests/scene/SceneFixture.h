#pragma once

#include "common/Clock.h"
#include "kit/Form.h"
#include "scene/Card.h"

#include <QPointF>

namespace trelvo::scene::test {

// A manual clock and a form of the given size: the scene under test goes into the form.
struct TSceneFixture {
    TManualClock clock;
    TClockScope scope{clock};
    TForm form;

    explicit TSceneFixture(float w = 1000, float h = 700) { form.SetSize(w, h); }

    template <class T, class... Args> T *Add(Args &&...args) {
        auto *object = new T(&form, std::forward<Args>(args)...);
        object->SetParent(&form);
        return object;
    }

    // A left click on a card, then the moment the deferred click needs.
    void Click(TCard *card) {
        const QPointF p = card->LocalToAbsolute(QPointF(20, 40));
        form.PointerMove(p);
        form.PointerDown(TMouseButton::Left, p);
        form.PointerUp(TMouseButton::Left, p);
        clock.Advance(5);
    }
    void Click(TControl *control) {
        const QPointF p = control->LocalToAbsolute(QPointF(control->Width() / 2, control->Height() / 2));
        TScreen::SetMousePos(form.ClientToScreen(p));
        form.PointerMove(p);
        form.PointerDown(TMouseButton::Left, p);
        form.PointerUp(TMouseButton::Left, p);
        clock.Advance(5);
    }
};

} // namespace trelvo::scene::test
