// The message loop: an idle phase that runs the idle routines and the windows' idle work
// while the queue is empty, and a message phase that pumps each message through the
// windows' pre-translation before it is translated and dispatched.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"
#include "runtime/RuntimeState.h"

struct MSG;

namespace rt {

// Sets the loop-entered flag and runs the loop while a loaded window is live; returns when
// WM_QUIT arrives (or at once when no window is live).
void RunMessageLoop();
// The same loop for a modal window: ends when `window` is gone or on WM_QUIT, which is left
// for the outer loop to see. Returns false when it ended on WM_QUIT.
bool RunModalLoop(HWND window);
// Pumps messages while one is waiting, stopping at WM_QUIT without removing it.
void HandleWaitingMessages();
// Removes one message (waiting for it), offers it to the windows' pre-translation, then
// translates and dispatches it. False for WM_QUIT, which `message` then holds.
bool PumpMessage(MSG* message);
// Whether a message restarts idle processing (mouse moves that do not move, paints and the
// caret's system timer do not).
bool IsIdleRestartingMessage(const MSG& message);

// Idle routines (notify 1012 / 1013). Notify 1012 hands over this record.
struct IdleRoutineRecord {
  HWND window;
  IdleRoutine routine;
  intptr_t argument;
};
void AddIdleRoutine(HWND window, IdleRoutine routine, intptr_t argument);
void RemoveIdleRoutines(HWND window);
// One walk from the last entry to the first: live windows' routines run, dead ones go.
void RunIdleRoutines();
// The idle hook with pass count n: 0 restarts the idle period; later passes give the windows
// their idle work. True while more idle work is wanted.
bool IdleHook(int32_t n);

// Notify 2000 after the forms engine dropped its references: the loop ends (WM_QUIT with
// exit code 0) once it was entered and no loaded window is live.
void EndLoopWhenNoWindowLeft();

// The hidden message window through which another thread hands the end to the main thread.
inline constexpr UINT kEndProgramMessage = 0x83E7;
HWND CreateMessageWindow();
void DestroyMessageWindow();

}  // namespace rt
