#pragma once

#include "lobby/LobbyTimings.h"

#include "PicButton.h"

#include "common/Timer.h"
#include "kit/Animation.h"
#include "kit/Control.h"
#include "kit/Effects.h"
#include "kit/Text.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace trelvo {

// A framed, draggable panel drawn in the scene: title bar with a close button, a body, a fade-in
// on Show and a fade-out on CloseWindow, after which it raises OnWindowClose with its ID and then
// destroys itself from the event loop (never inside the fade's own callback).
class TWindow : public TLayout {
public:
    using TOnWindowClose = std::function<void(int ID)>;

    static constexpr double kFadeSeconds = LobbyTimings::kWindowFadeSeconds;
    static constexpr float kTitleHeight = 20;
    static constexpr float kBodyInset = 5;
    static constexpr float kBodyBottom = 10;

    TOnWindowClose OnWindowClose;

    // Builds the window invisible (opacity 0), centred in whatever parent it is put in.
    explicit TWindow(TSceneObject *AOwner);
    ~TWindow() override;

    QString Title() const { return FTitle->Text(); }
    void SetTitle(const QString &value);
    int ID() const { return FID; }
    void SetID(int value) { FID = value; }
    void SetWidth(float value) override;
    void SetHeight(float value) override;
    void SetAutoClose(bool value) { FAutoClose = value; }
    void SetAutoCloseTime(int ms) { FAutoCloseTimer->SetInterval(ms); }
    // A window shown again: its automatic close counts from now.
    void RestartAutoClose();
    // Enables or disables the close button (its picture stays: it has no disabled one).
    void SetCanClose(bool value) { FButton_Close->SetEnabled(value); }
    bool CanClose() const { return FButton_Close->Enabled(); }

    // Fades in; runs the automatic-close timer only when AutoClose is on. Ignored once closing.
    void Show();
    // Fades out from full opacity, then raises OnWindowClose and frees the window. Only the first
    // call counts: a window closes once.
    void CloseWindow();
    bool Closing() const { return FClosing; }

    TImageEx *Image_Top() const { return FImage_Top; }
    TImageEx *Image_Frame() const { return FImage_Frame; }
    TImageEx *Image_Background() const { return FImage_Background; }
    TPicButton *Button_Close() const { return FButton_Close; }
    TText *TitleText() const { return FTitle; }
    TFloatAnimation *ShowAnimation() const { return FShowAnimation; }
    const TTimer &AutoCloseTimer() const { return *FAutoCloseTimer; }
    bool Dragging() const { return FMouseDown; }

private:
    void BindDrag(TControl *handle);
    void FadeFinished();

    TImageEx *FImage_Top;
    TImageEx *FImage_Frame;
    TPicButton *FButton_Close;
    float posX = 0, posY = 0;
    bool FMouseDown = false;
    bool FAutoClose = false;
    std::unique_ptr<TTimer> FAutoCloseTimer;
    TFloatAnimation *FShowAnimation;
    TShadowEffect *FShadowFrame;
    TShadowEffect *FShadowTop;
    TImageEx *FImage_Background;
    TText *FTitle;
    int FID = -1;
    bool FClosing = false;
};

// A 350 x 150 message box: title, a centred text in the body and an OK button that closes it.
class TWindowMessage : public TWindow {
public:
    TWindowMessage(TSceneObject *AOwner, const QString &aTitle, const QString &aText);

    TText *Text() const { return FText; }
    TPicButton *Button_Ok() const { return FButton_Ok; }

private:
    TText *FText;
    TPicButton *FButton_Ok;
};

// Shows message boxes at once, stacked, the newest on top. The box at index i of the list has ID i;
// when one closes the last box takes its index. A message already shown is not shown twice: its box
// comes to the top and its time starts again; and at most kMaxBoxes are open, the one shown longest
// ago making room for a new one.
class TWindowShowMessage {
public:
    // Where the owner and the parent of the next box are read from at the time it is shown.
    using TPlace = std::function<TSceneObject *()>;

    static constexpr int kAutoCloseMs = LobbyTimings::kWindowAutoCloseMs;
    // A server that repeats itself must not pile boxes up: the oldest makes room for a new one.
    static constexpr int kMaxBoxes = 4;

    TWindowShowMessage(TPlace AOwner, TPlace AParent);
    // The places are variables of the caller (a form field that may change later).
    template <class TOwnerObject, class TParentObject>
    TWindowShowMessage(TOwnerObject *&AOwner, TParentObject *&AParent)
        : TWindowShowMessage(TPlace([&AOwner]() -> TSceneObject * { return AOwner; }),
                             TPlace([&AParent]() -> TSceneObject * { return AParent; })) {}
    // Destroys every box still open, without a fade.
    ~TWindowShowMessage();
    TWindowShowMessage(const TWindowShowMessage &) = delete;
    TWindowShowMessage &operator=(const TWindowShowMessage &) = delete;

    void ShowMessage(const QString &Title, const QString &Text);

    int Count() const { return static_cast<int>(WindowMessageList.size()); }
    // The open box at index i, or nullptr when it is gone.
    TWindowMessage *Window(int i) const { return WindowMessageList.at(static_cast<size_t>(i)).Get(); }

private:
    void WindowClosed(int ID);
    // The open box showing this title and text, if any.
    int Showing(const QString &Title, const QString &Text) const;
    // Takes the box shown longest ago out of the list and frees it once the current event is over.
    void DropOldest();

    TPlace FOwner;
    TPlace FParent;
    std::vector<TWeakRef<TWindowMessage>> WindowMessageList;
    // When each box of the list was last shown (a count of ShowMessage calls), index for index.
    std::vector<quint64> FShownAt;
    quint64 FShownCount = 0;
};

} // namespace trelvo
