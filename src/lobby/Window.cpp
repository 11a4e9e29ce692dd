#include "Window.h"

#include "kit/Form.h"

#include <algorithm>

namespace trelvo {

namespace {

TShadowEffect *AddShadow(TControl *control, const QString &name) {
    auto *shadow = AddTo<TShadowEffect>(control);
    shadow->SetName(name);
    shadow->SetDirection(90);
    shadow->SetDistance(2);
    shadow->SetOpacity(0.8f);
    shadow->SetSoftness(0.4f);
    return shadow;
}

} // namespace

// --- TWindow --------------------------------------------------------------------------------

TWindow::TWindow(TSceneObject *AOwner) : TLayout(AOwner) {
    SetOpacity(0);
    SetAlign(TAlignLayout::Center);

    FImage_Frame = AddTo<TImageEx>(this);
    FImage_Frame->SetAlign(TAlignLayout::Client);
    FImage_Frame->SetWrapMode(TImageWrapMode::Stretch);
    FImage_Frame->SetHitTest(false);
    FImage_Frame->LoadFromResources(QStringLiteral("Window_Frame"));
    FShadowFrame = AddShadow(FImage_Frame, QStringLiteral("ShadowFrame"));

    FImage_Top = AddTo<TImageEx>(this);
    FImage_Top->SetAlign(TAlignLayout::Top);
    FImage_Top->SetHeight(kTitleHeight);
    FImage_Top->SetWrapMode(TImageWrapMode::Stretch);
    FImage_Top->LoadFromResources(QStringLiteral("Window_Top"));
    FImage_Top->SetAutoCapture(true);
    FShadowTop = AddShadow(FImage_Top, QStringLiteral("ShadowTop"));
    BindDrag(FImage_Top);

    FButton_Close =
        new TPicButton(this, TResBut{QString(), QStringLiteral("Icon_Close_1"),
                                     QStringLiteral("Icon_Close_2"), QStringLiteral("Icon_Close_3")});
    FButton_Close->SetParent(this);
    FButton_Close->SetSize(15, 15);
    FButton_Close->SetStretch(true);
    FButton_Close->SetY(2);
    FButton_Close->OnPicClick = [this] { CloseWindow(); };

    FImage_Background = AddTo<TImageEx>(this);
    FImage_Background->SetWrapMode(TImageWrapMode::Stretch);
    FImage_Background->SetHitTest(false);
    FImage_Background->LoadFromResources(QStringLiteral("Window_Background"));
    FImage_Background->SetPosition(kBodyInset, kTitleHeight);

    FTitle = AddTo<TText>(this);
    FTitle->SetPosition(8, 2);
    FTitle->SetFontSize(12);
    FTitle->SetBold(true);
    FTitle->SetColor(0xFFFFFFFF);
    FTitle->SetWordWrap(false);
    FTitle->SetAutoSize(true);
    FTitle->SetAutoCapture(true);
    BindDrag(FTitle);

    FAutoCloseTimer = std::make_unique<TTimer>();
    FAutoCloseTimer->SetEnabled(false);
    FAutoCloseTimer->OnTimer = [this](TTimer *timer) {
        timer->SetEnabled(false);
        CloseWindow();
    };

    FShowAnimation = AddTo<TFloatAnimation>(this);
    FShowAnimation->SetPropertyName(QStringLiteral("Opacity"));
    FShowAnimation->SetStartValue(0);
    FShowAnimation->SetStopValue(1);
    FShowAnimation->SetDuration(kFadeSeconds);
    FShowAnimation->OnFinish = [this](TAnimation *) { FadeFinished(); };
}

TWindow::~TWindow() {
    FAutoCloseTimer->SetEnabled(false);
}

void TWindow::BindDrag(TControl *handle) {
    // Screen positions, not the handle's own coordinates: the handle moves with the window, which
    // would disturb deltas taken in its coordinates.
    handle->OnMouseDown = [this](TControl *, TMouseButton button, TShiftState, float, float) {
        if (button != TMouseButton::Left)
            return;
        const QPointF pointer = TScreen::MousePos();
        posX = static_cast<float>(pointer.x());
        posY = static_cast<float>(pointer.y());
        FMouseDown = true;
    };
    handle->OnMouseMove = [this](TControl *, TShiftState, float, float) {
        if (!FMouseDown)
            return;
        const QPointF pointer = TScreen::MousePos();
        const float x = static_cast<float>(pointer.x()), y = static_cast<float>(pointer.y());
        SetPosition(X() + x - posX, Y() + y - posY);
        posX = x;
        posY = y;
    };
    handle->OnMouseUp = [this](TControl *, TMouseButton button, TShiftState, float, float) {
        if (button == TMouseButton::Left)
            FMouseDown = false;
    };
}

void TWindow::SetTitle(const QString &value) {
    if (value != FTitle->Text())
        FTitle->SetText(value);
}

void TWindow::SetWidth(float value) {
    TLayout::SetWidth(value);
    FButton_Close->SetX(FImage_Top->Width() - 20);
    FImage_Background->SetWidth(value - 2 * kBodyInset);
}

void TWindow::SetHeight(float value) {
    TLayout::SetHeight(value);
    FImage_Background->SetHeight(value - kTitleHeight - kBodyBottom);
}

void TWindow::Show() {
    if (FClosing)
        return;
    FShowAnimation->SetStartValue(0);
    FShowAnimation->SetStopValue(1);
    FShowAnimation->Start();
    FAutoCloseTimer->SetEnabled(FAutoClose);
}

void TWindow::RestartAutoClose() {
    if (FClosing || !FAutoClose)
        return;
    FAutoCloseTimer->SetEnabled(false);
    FAutoCloseTimer->SetEnabled(true);
}

void TWindow::CloseWindow() {
    if (FClosing)
        return;
    FClosing = true;
    FAutoCloseTimer->SetEnabled(false);
    SetEnabled(false);
    // A fade-in still running jumps to full opacity; its finish sees opacity 1 and does nothing.
    FShowAnimation->Stop();
    FShowAnimation->SetStartValue(1);
    FShowAnimation->SetStopValue(0);
    FShowAnimation->Start();
}

void TWindow::FadeFinished() {
    if (!FClosing || Opacity() != 0)
        return;
    auto alive = AliveToken();
    if (OnWindowClose)
        OnWindowClose(FID);
    // The handler may have freed the window itself; otherwise it goes once this notification is over.
    if (*alive)
        DeferredFree();
}

// --- TWindowMessage -------------------------------------------------------------------------

TWindowMessage::TWindowMessage(TSceneObject *AOwner, const QString &aTitle, const QString &aText)
    : TWindow(AOwner) {
    SetWidth(350);
    SetHeight(150);
    FText = AddTo<TText>(Image_Background());
    FText->SetAlign(TAlignLayout::VertCenter);
    FText->SetAutoSize(true);
    FText->SetText(aText);
    SetTitle(aTitle);
    FButton_Ok = new TPicButton(this, TResBut{QString(), QStringLiteral("Button_OK_1"),
                                              QStringLiteral("Button_OK_2"), QStringLiteral("Button_OK_3")});
    FButton_Ok->SetParent(this);
    FButton_Ok->SetStretch(true);
    FButton_Ok->SetBounds(Width() - 70 - 10, Height() - 20 - 15, 70, 20);
    FButton_Ok->OnPicClick = [this] { CloseWindow(); };
}

// --- TWindowShowMessage ---------------------------------------------------------------------

TWindowShowMessage::TWindowShowMessage(TPlace AOwner, TPlace AParent)
    : FOwner(std::move(AOwner)), FParent(std::move(AParent)) {}

TWindowShowMessage::~TWindowShowMessage() {
    // Taken out first: destroying a box must not come back into the list.
    std::vector<TWeakRef<TWindowMessage>> open;
    open.swap(WindowMessageList);
    for (auto &box : open)
        delete box.Get();
}

void TWindowShowMessage::ShowMessage(const QString &Title, const QString &Text) {
    // A server that repeats itself must not stack copies of one box, nor open boxes without end.
    if (const int shown = Showing(Title, Text); shown >= 0) {
        TWindowMessage *box = WindowMessageList[static_cast<size_t>(shown)].Get();
        box->BringToFront();
        box->RestartAutoClose();
        FShownAt[static_cast<size_t>(shown)] = ++FShownCount;
        return;
    }
    while (Count() >= kMaxBoxes)
        DropOldest();
    const int n = Count();
    auto *box = new TWindowMessage(FOwner(), Title, Text);
    WindowMessageList.emplace_back(box);
    FShownAt.push_back(++FShownCount);
    box->SetParent(FParent());
    box->OnWindowClose = [this](int ID) { WindowClosed(ID); };
    box->SetID(n);
    box->SetAutoCloseTime(kAutoCloseMs);
    box->SetAutoClose(true);
    box->Show();
}

int TWindowShowMessage::Showing(const QString &Title, const QString &Text) const {
    for (int i = 0; i < Count(); ++i) {
        const TWindowMessage *box = Window(i);
        if (box && !box->Closing() && box->Title() == Title && box->Text()->Text() == Text)
            return i;
    }
    return -1;
}

void TWindowShowMessage::DropOldest() {
    const auto oldest = std::min_element(FShownAt.begin(), FShownAt.end()) - FShownAt.begin();
    TWindowMessage *box = Window(static_cast<int>(oldest));
    WindowClosed(static_cast<int>(oldest));
    if (!box)
        return;
    box->OnWindowClose = nullptr;
    box->SetVisible(false);
    box->SetEnabled(false);
    box->DeferredFree();
}

void TWindowShowMessage::WindowClosed(int ID) {
    const int c = Count();
    if (ID < 0 || ID >= c)
        return;
    if (ID != c - 1) {
        WindowMessageList[static_cast<size_t>(ID)] = WindowMessageList.back();
        FShownAt[static_cast<size_t>(ID)] = FShownAt.back();
        if (TWindowMessage *moved = WindowMessageList[static_cast<size_t>(ID)].Get())
            moved->SetID(ID);
    }
    WindowMessageList.pop_back();
    FShownAt.pop_back();
}

} // namespace trelvo
