#pragma once

class QApplication;

namespace trelvo {

// The only accepted first argument is "-start", in any letter case; further arguments are ignored.
bool IsStartArgument(const char *firstArgument);

// Builds the client inside a running QApplication and runs the event loop until the host link ends.
void RunClient(QApplication &app);

} // namespace trelvo
