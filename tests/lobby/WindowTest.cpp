#include "LobbyFixture.h"

#include "lobby/Window.h"

#include <string>
#include <vector>

namespace trelvo {
namespace {

using WindowTest = test::LobbyFixture;

struct ShownWindow {
    TWindow *window;
    TWeakRef<TWindow> ref;
    std::vector<int> closed;
};

ShownWindow MakeWindow(TForm &form, float w = 300, float h = 200) {
    ShownWindow shown{new TWindow(&form), {}, {}};
    shown.window->SetParent(&form);
    shown.window->SetWidth(w);
    shown.window->SetHeight(h);
    shown.ref.Reset(shown.window);
    return shown;
}

TEST_F(WindowTest, FrameGeometryFollowsWidthAndHeight) {
    auto shown = MakeWindow(form, 300, 200);
    TWindow *w = shown.window;
    EXPECT_FLOAT_EQ(w->X(), 250) << "centred in the form";
    EXPECT_FLOAT_EQ(w->Y(), 200);
    EXPECT_EQ(w->Opacity(), 0) << "invisible until shown";
    EXPECT_EQ(w->ID(), -1);
    EXPECT_EQ(w->Image_Top()->Width(), 300);
    EXPECT_EQ(w->Image_Top()->Height(), 20);
    EXPECT_EQ(w->Image_Frame()->Y(), 20);
    EXPECT_EQ(w->Image_Frame()->Height(), 180);
    EXPECT_EQ(w->Button_Close()->X(), 280);
    EXPECT_EQ(w->Image_Background()->Position(), QPointF(5, 20));
    EXPECT_EQ(w->Image_Background()->Width(), 290);
    EXPECT_EQ(w->Image_Background()->Height(), 170);
    w->SetWidth(471);
    EXPECT_EQ(w->Button_Close()->X(), 451);
    EXPECT_FLOAT_EQ(w->X(), 164) << "(800 - 471) / 2 = 164.5 goes to the even neighbour";
}

TEST_F(WindowTest, DraggingUsesScreenPositionsAndFollowsThePointerOutsideTheWindow) {
    auto shown = MakeWindow(form);
    TWindow *w = shown.window;
    w->Show();
    Settle();
    struct Handle {
        const char *name;
        TControl *control;
    };
    for (const Handle &handle : {Handle{"title bar", w->Image_Top()}, Handle{"title", w->TitleText()}}) {
        w->SetTitle(QStringLiteral("Окно"));
        const QPointF start = w->Position();
        const QPointF grip = handle.control->LocalToAbsolute({3, 3});
        form.PointerMove(grip);
        form.PointerDown(TMouseButton::Left, grip);
        EXPECT_TRUE(w->Dragging()) << handle.name;
        // Far outside the window and past the form's edge: the capture keeps the drag going.
        form.PointerMove(grip + QPointF(-600, -400));
        form.PointerMove(grip + QPointF(-700, -450));
        EXPECT_EQ(w->Position(), start + QPointF(-700, -450)) << handle.name << ": nothing clamps it";
        form.PointerMove(grip + QPointF(40, 30));
        EXPECT_EQ(w->Position(), start + QPointF(40, 30)) << handle.name;
        form.PointerUp(TMouseButton::Left, grip + QPointF(40, 30));
        EXPECT_FALSE(w->Dragging()) << handle.name;
        form.PointerMove(grip + QPointF(90, 90));
        EXPECT_EQ(w->Position(), start + QPointF(40, 30)) << handle.name << ": released, it stays";
    }
}

TEST_F(WindowTest, RightButtonDoesNotDrag) {
    auto shown = MakeWindow(form);
    shown.window->Show();
    Settle();
    const QPointF grip = shown.window->Image_Top()->LocalToAbsolute({100, 5});
    const QPointF start = shown.window->Position();
    form.PointerDown(TMouseButton::Right, grip);
    form.PointerMove(grip + QPointF(50, 50));
    EXPECT_EQ(shown.window->Position(), start);
}

// Show, then close at several moments: the close event comes once, after a fade that always starts
// from full opacity, and the window is freed only after the event, from the clock.
TEST_F(WindowTest, CloseFadesOutRaisesOnceThenFreesItselfLater) {
    struct Case {
        const char *name;
        bool show;
        int closeAfterMs;
    };
    const Case cases[] = {{"shown", true, 500}, {"during the fade-in", true, 50}, {"never shown", false, 0}};
    for (const Case &c : cases) {
        auto shown = MakeWindow(form);
        shown.window->SetID(7);
        shown.window->OnWindowClose = [&shown](int ID) {
            shown.closed.push_back(ID);
            EXPECT_TRUE(shown.ref) << "alive while its close event runs";
        };
        if (c.show)
            shown.window->Show();
        clock.Advance(c.closeAfterMs);
        shown.window->CloseWindow();
        EXPECT_EQ(shown.window->Opacity(), 1) << c.name << ": the fade-out starts from 1";
        EXPECT_FALSE(shown.window->Enabled()) << c.name;
        shown.window->CloseWindow(); // a second close changes nothing
        clock.Advance(100);
        EXPECT_GT(shown.window->Opacity(), 0) << c.name;
        EXPECT_LT(shown.window->Opacity(), 1) << c.name;
        EXPECT_TRUE(shown.closed.empty()) << c.name;
        Settle();
        EXPECT_EQ(shown.closed, std::vector<int>{7}) << c.name;
        EXPECT_FALSE(shown.ref) << c.name << ": freed after the fade";
    }
}

TEST_F(WindowTest, CloseButtonClosesAndASecondClickReachesADisabledWindow) {
    auto shown = MakeWindow(form);
    shown.window->OnWindowClose = [&shown](int ID) { shown.closed.push_back(ID); };
    shown.window->Show();
    Settle();
    TPicButton *close = shown.window->Button_Close();
    Click(close);
    EXPECT_TRUE(shown.window->Closing());
    Click(close);
    Settle();
    EXPECT_EQ(shown.closed.size(), 1u);
    EXPECT_FALSE(shown.ref);
}

TEST_F(WindowTest, CanCloseFalseKeepsTheWindowOpen) {
    auto shown = MakeWindow(form);
    shown.window->Show();
    Settle();
    shown.window->SetCanClose(false);
    Click(shown.window->Button_Close());
    Settle();
    ASSERT_TRUE(shown.ref);
    EXPECT_FALSE(shown.window->Closing());
    shown.window->SetCanClose(true);
    Click(shown.window->Button_Close());
    Settle();
    EXPECT_FALSE(shown.ref);
}

// The owner may free the window from inside its close event, or free it while it fades out.
TEST_F(WindowTest, FreedByItsOwnerInsideOrBeforeTheCloseEvent) {
    {
        auto shown = MakeWindow(form);
        shown.window->OnWindowClose = [&shown](int) { delete shown.ref.Get(); };
        shown.window->Show();
        shown.window->CloseWindow();
        Settle();
        EXPECT_FALSE(shown.ref);
    }
    {
        auto shown = MakeWindow(form);
        shown.window->OnWindowClose = [&shown](int ID) { shown.closed.push_back(ID); };
        shown.window->Show();
        shown.window->CloseWindow();
        clock.Advance(100);
        delete shown.window;
        Settle();
        EXPECT_TRUE(shown.closed.empty()) << "a window freed directly raises nothing";
    }
    {
        // Closed from its own fade: the close event of one fade-in ends the window.
        auto shown = MakeWindow(form);
        shown.window->OnWindowClose = [&shown](int ID) { shown.closed.push_back(ID); };
        shown.window->ShowAnimation()->OnProcess = [&shown](TAnimation *) {
            if (TWindow *w = shown.ref.Get(); w && w->Opacity() > 0.5f)
                w->CloseWindow();
        };
        shown.window->Show();
        Settle();
        EXPECT_EQ(shown.closed.size(), 1u);
        EXPECT_FALSE(shown.ref);
    }
}

TEST_F(WindowTest, AutoCloseRunsOnlyAfterShowAndOnlyWhenSwitchedOn) {
    for (bool autoClose : {false, true}) {
        auto shown = MakeWindow(form);
        shown.window->SetAutoCloseTime(300000);
        shown.window->SetAutoClose(autoClose);
        clock.Advance(400000);
        EXPECT_FALSE(shown.window->Closing()) << "not shown yet";
        shown.window->Show();
        clock.Advance(299999);
        EXPECT_FALSE(shown.window->Closing());
        clock.Advance(1);
        EXPECT_EQ(shown.window->Closing(), autoClose);
        Settle();
        EXPECT_EQ(static_cast<bool>(shown.ref), !autoClose);
        delete shown.ref.Get();
    }
}

// --- message boxes --------------------------------------------------------------------------

TEST_F(WindowTest, MessageBoxLayout) {
    auto *box = new TWindowMessage(&form, QStringLiteral("Ошибка"), QStringLiteral("Стол уже занят"));
    box->SetParent(&form);
    EXPECT_EQ(box->Width(), 350);
    EXPECT_EQ(box->Height(), 150);
    EXPECT_EQ(box->Title(), "Ошибка");
    EXPECT_EQ(box->Text()->Text(), "Стол уже занят");
    EXPECT_EQ(box->Text()->Parent(), box->Image_Background());
    EXPECT_EQ(box->Text()->Width(), 340) << "full width of the body";
    EXPECT_NEAR(box->Text()->Y() + box->Text()->Height() / 2, 60, 1) << "centred in the 120 high body";
    EXPECT_EQ(box->Button_Ok()->Position(), QPointF(270, 115));
    EXPECT_EQ(box->Button_Ok()->Width(), 70);
    EXPECT_EQ(box->Button_Ok()->Height(), 20);
}

struct MessageFixture : test::LobbyFixture {
    TForm *place = &form;
    TWindowShowMessage messages{place, place};

    void ShowThree() {
        for (const char *text : {"один", "два", "три"})
            messages.ShowMessage(QStringLiteral("Сообщение"), QString::fromUtf8(text));
        Settle();
    }
    QStringList Texts() const {
        QStringList texts;
        for (int i = 0; i < messages.Count(); ++i) {
            TWindowMessage *box = messages.Window(i);
            EXPECT_EQ(box->ID(), i);
            texts << box->Text()->Text();
        }
        return texts;
    }
};

TEST_F(MessageFixture, ThreeBoxesStackedNewestOnTopAllOpenAtOnce) {
    ShowThree();
    ASSERT_EQ(messages.Count(), 3);
    EXPECT_EQ(Texts(), (QStringList{"один", "два", "три"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(messages.Window(i)->Opacity(), 1);
        EXPECT_EQ(messages.Window(i)->Owner(), &form);
        EXPECT_EQ(messages.Window(i)->Parent(), &form);
        EXPECT_EQ(messages.Window(i)->Position(), QPointF(225, 225));
    }
    EXPECT_EQ(form.ChildIndex(messages.Window(2)), static_cast<int>(form.Children().size()) - 1);
}

TEST_F(MessageFixture, ClosingOutOfOrderRenumbersTheRest) {
    ShowThree();
    messages.Window(1)->CloseWindow(); // the middle one
    EXPECT_EQ(messages.Count(), 3) << "removed after its fade";
    Settle();
    EXPECT_EQ(Texts(), (QStringList{"один", "три"})) << "the former third took index 1";
    Click(messages.Window(1)->Button_Ok()); // the top one, by its OK button
    Settle();
    EXPECT_EQ(Texts(), QStringList{"один"});
    messages.ShowMessage(QStringLiteral("Сообщение"), QStringLiteral("четыре"));
    Settle();
    EXPECT_EQ(Texts(), (QStringList{"один", "четыре"}));
    messages.Window(0)->CloseWindow();
    Settle();
    EXPECT_EQ(Texts(), QStringList{"четыре"});
    Click(messages.Window(0)->Button_Close());
    Settle();
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(MessageFixture, ClosingFirstThenLastWhileTheOthersFade) {
    ShowThree();
    messages.Window(0)->CloseWindow();
    messages.Window(2)->CloseWindow();
    messages.Window(1)->CloseWindow();
    Settle();
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_TRUE(form.Children().empty());
}

TEST_F(MessageFixture, ABoxLeftAloneClosesAfterFiveMinutes) {
    ShowThree();
    messages.ShowMessage(QStringLiteral("Сообщение"), QStringLiteral("позже"));
    clock.Advance(300000 - 1000);
    EXPECT_EQ(messages.Count(), 4) << "the first three are 1 s older";
    clock.Advance(1000 + 200);
    EXPECT_EQ(Texts(), QStringList{"позже"});
    clock.Advance(1000);
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(MessageFixture, OwnerAndParentAreReadWhenEachBoxIsShown) {
    TForm other;
    messages.ShowMessage(QStringLiteral("a"), QStringLiteral("first"));
    place = &other;
    messages.ShowMessage(QStringLiteral("b"), QStringLiteral("second"));
    EXPECT_EQ(messages.Window(0)->Parent(), &form);
    EXPECT_EQ(messages.Window(1)->Parent(), &other);
    EXPECT_EQ(messages.Window(1)->Owner(), &other);
}

TEST_F(WindowTest, DestroyingTheMessageServiceFreesEveryOpenBoxFadingOrNot) {
    TForm *place = &form;
    auto messages = std::make_unique<TWindowShowMessage>(place, place);
    for (int i = 0; i < 3; ++i)
        messages->ShowMessage(QStringLiteral("t"), QString::number(i));
    messages->Window(0)->CloseWindow();
    clock.Advance(100);
    messages.reset();
    EXPECT_TRUE(form.Children().empty());
    Settle();
}

} // namespace
} // namespace trelvo
