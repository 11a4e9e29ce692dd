#pragma once

#include <functional>

namespace trelvo {

// The About window as the controller sees it. The window owns itself: when the user closes it, it
// destroys itself (through the event loop) and raises OnDestroy from its destructor. The controller
// keeps one pointer, cleared by OnDestroy; if the controller goes first it clears OnDestroy and
// deletes the window.
class IAboutForm {
public:
    virtual ~IAboutForm() = default;
    // Shows the window, not modal.
    virtual void Show() = 0;

    std::function<void()> OnDestroy;
};

// Creates a new About window (without owner). Returning nullptr means no window can be shown.
using TAboutFormFactory = std::function<IAboutForm *()>;

} // namespace trelvo
