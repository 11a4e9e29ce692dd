#pragma once

namespace trelvo::test {

// Gives the test process a private 0700 XDG_RUNTIME_DIR and the offscreen Qt platform
// unless the environment already chose one.
void PrepareEnvironment();

} // namespace trelvo::test
