// Per-thread message queues: what the rest of the user services need from them.
// (Messages, timers and the wait for work live behind this; see MessageQueue.cpp.)
#pragma once

#include <memory>

#include "platform/user32.h"

namespace platform::user {

class ThreadQueue;

// The calling thread's queue, created on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The queue of another thread; null when that thread never used the user services.
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);

// Input for a window, queued on the window's thread in arrival order (mouse and keyboard
// messages from the presenter or from automation). Returns false for a dead window.
bool PostInputMessage(const MSG& message);
// Wakes the thread if it waits for messages (after state it polls has changed).
void WakeThread(DWORD threadId);
// Called while a window is destroyed: drops its posted messages and timers.
void ForgetWindowMessages(HWND window);

}  // namespace platform::user
