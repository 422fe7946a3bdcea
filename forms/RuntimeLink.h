// What the forms engine asks of the runtime's state: the event-suppression counter, the
// current event source, the modal loop. Kept in one place so the engine's view of the
// runtime is easy to see.
#pragma once

#include <cstdint>

#include "platform/user32.h"

namespace forms::link {

bool EventsSuppressed();
// Notify 2009 / 2010: waiting messages are handled, then the counter moves.
void SuppressEvents();
void AllowEvents();
void SetEventSource(uint32_t windowId, uint32_t unitId);
void SetHandlerRunning(bool running);
// Runs the loop for a modal window until it is gone; false when it ended on WM_QUIT.
bool RunModalLoop(HWND window);

// Raises a runtime error with a message of the engine; does not return.
[[noreturn]] void Fail(const char* message);

}  // namespace forms::link
