#pragma once

namespace trelvo::test {

// Gives the test process a private 0700 XDG_RUNTIME_DIR and the offscreen Qt platform
// unless the environment already chose one, and turns statistics reporting off for it and every
// client it starts.
void PrepareEnvironment();

} // namespace trelvo::test
