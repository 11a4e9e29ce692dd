#pragma once

#include "common/Clock.h"
#include "kit/AssetLoader.h"
#include "kit/Control.h"
#include "kit/Form.h"

#include <QPointF>

#include <gtest/gtest.h>

namespace trelvo::test {

// An 800 x 600 form on a manual clock, with the program's own pictures. The form's screen origin
// is away from (0, 0), so that code mixing screen and scene coordinates shows.
struct LobbyFixture : ::testing::Test {
    TManualClock clock;
    TClockScope scope{clock};
    TForm form;

    LobbyFixture() {
        form.SetSize(800, 600);
        form.SetScreenOrigin(QPointF(1000, 400));
    }
    void SetUp() override {
        if (!HaveBuiltInAssets())
            GTEST_SKIP() << "built without the pictures";
    }

    // A left click at a point given in the control's own coordinates.
    void ClickAt(const TControl *control, QPointF local) {
        const QPointF p = control->LocalToAbsolute(local);
        form.PointerMove(p);
        form.PointerDown(TMouseButton::Left, p);
        form.PointerUp(TMouseButton::Left, p);
    }
    void Click(const TControl *control) { ClickAt(control, {control->Width() / 2, control->Height() / 2}); }
    // Long enough for any fade (0.2 s) and the deferred free after it.
    void Settle() { clock.Advance(1000); }
};

} // namespace trelvo::test
