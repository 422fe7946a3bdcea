// Driving the calling thread's message loop from a test: run what is ready, run until a
// condition holds, and step a virtual clock so that timers fire at exact moments.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/win32_types.h"

namespace platform::testing {

// Switches GetTickCount, Sleep and the timers to virtual time, or back to real time.
// Virtual time moves only through AdvanceClock, Sleep, or a loop with nothing left to do
// but wait for a timer.
void UseVirtualClock(bool on);
// Moves virtual time forward (nothing happens with the real clock); timers that fall due
// fire on the next turn of the loop.
void AdvanceClock(DWORD ms);
// The clock GetTickCount reads, in milliseconds.
uint64_t NowMs();

// Dispatches everything ready on the calling thread (sent, posted and input messages,
// paints and due timers) without waiting or moving the clock. WM_QUIT stays in the queue.
// Returns how many messages were dispatched; stops after a large number, so a window
// that never validates cannot hang a test.
int RunUntilIdle();

// Runs the calling thread's loop until `done` holds. When idle it moves virtual time to the
// next timer, or (real clock, or nothing scheduled) waits for the queue. Gives up when
// `maxMs` of clock time has passed (with nothing scheduled, of real time) or WM_QUIT is
// next. Returns whether `done` held.
bool RunUntil(const std::function<bool()>& done, DWORD maxMs = 10000);

}  // namespace platform::testing
