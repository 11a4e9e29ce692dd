#pragma once

#include <QSize>
#include <QWidget>

#include <functional>

namespace trelvo::host {

// The part of the chat window that the client's window is embedded into: a native window of its own
// whose id goes to the client, and whose size the client follows.
class TGameArea : public QWidget {
public:
    // The smallest size at which the client lays its table out without anything overlapping (four
    // seats, six pairs in play): below it the window stops shrinking rather than the game area.
    static constexpr int kMinimumWidth = 800;
    static constexpr int kMinimumHeight = 600;

    explicit TGameArea(QWidget *Parent = nullptr);

    std::function<void(QSize Size)> OnResized;

protected:
    void resizeEvent(QResizeEvent *Event) override;
};

} // namespace trelvo::host
