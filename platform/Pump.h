#pragma once
#include <functional>

namespace velmora::platform {

// Processes pending window messages: the only way the program lets events run during a show.
void pump();

// Processes paint, expose and timer events but no user input: the screen stays painted while a
// show waits, and keys and clicks keep waiting for the next pump.
void paintOnly();

// Tests hook in here to act at a given pump (press a key during a wait, say); the hook runs
// before the messages are processed. An empty function removes it.
void setPumpHook(std::function<void()> hook);
// Lets the processor rest a moment in a loop that waits for the user (the space-bar wait): a
// half-millisecond sleep on the clock.
void idle();

} // namespace velmora::platform
