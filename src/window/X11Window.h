#pragma once

#include <QWidget>

namespace trelvo {

// Waits (at most TimeoutMs) until the X server shows Window as a direct child of the root window,
// that is, until a window manager that had taken it into its frame has let it go after an unmap.
// Returns at once on platforms other than X11.
void WaitUntilReleasedByWindowManager(WId Window, int TimeoutMs);

} // namespace trelvo
