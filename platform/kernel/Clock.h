// The clock behind GetTickCount, Sleep and the message timers. Normally the monotonic
// system clock; tests switch it to a virtual clock that moves only when told to, so that
// timers fire at exact, repeatable moments without anyone waiting in real time.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace platform::kernel {

// Milliseconds since an arbitrary start, never decreasing; 64 bits so that due times
// of timers never wrap (GetTickCount keeps the low 32 bits).
uint64_t ClockNowMs();

// Switching either way keeps the current reading (the clock never goes back), so due
// times computed before the switch stay meaningful; back in real time it runs at the
// system clock's pace from wherever virtual time had reached.
void UseVirtualClock(bool on);
bool IsVirtualClock();

// Moves virtual time forward (no effect on the real clock) and tells the listener, so that
// threads waiting for a due timer look again.
void AdvanceVirtualClock(uint64_t ms);
// Moves virtual time forward to `ms` unless it is already there or later.
void AdvanceVirtualClockTo(uint64_t ms);
void SetVirtualClockListener(void (*listener)());
// Further listeners (the test audio device plays on this clock); called after the one above,
// on the thread that moved the clock.
void AddVirtualClockListener(void (*listener)());
void RemoveVirtualClockListener(void (*listener)());

// Waits with a time-out (WaitForSingleObject and friends) measure it on this clock too: in
// virtual time a waiting thread times out only when someone moves the clock past its
// deadline.

// Sleep with either clock: in virtual mode it returns at once after advancing the clock by
// `ms`, which is what a test that steps through time expects.
void ClockSleep(DWORD ms);

}  // namespace platform::kernel
