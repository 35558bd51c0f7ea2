#pragma once
#include <functional>

namespace velmora::platform {

// Processes pending window messages: the only way the program lets events run during a show.
void pump();

// Tests hook in here to act at a given pump (press a key during a wait, say); the hook runs
// before the messages are processed. An empty function removes it.
void setPumpHook(std::function<void()> hook);
// Lets the processor rest a moment in a loop that waits for the user (the space-bar wait).
// With a hook installed (tests) it returns at once.
void idle();

} // namespace velmora::platform
