// Idle routines that libraries hang on their windows, and the idle hook that gives the
// loaded windows their periodic idle work.
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "runtime/FormsHooks.h"
#include "runtime/loop/MessageLoop.h"

namespace rt {

namespace {

DWORD g_idleStart = 0;

void EraseAt(IdleRoutineList& list, size_t i) {
  list.windows.erase(list.windows.begin() + static_cast<ptrdiff_t>(i));
  list.routines.erase(list.routines.begin() + static_cast<ptrdiff_t>(i));
  list.arguments.erase(list.arguments.begin() + static_cast<ptrdiff_t>(i));
}

}  // namespace

void AddIdleRoutine(HWND window, IdleRoutine routine, intptr_t argument) {
  IdleRoutineList& list = Runtime().idleRoutines;
  list.windows.push_back(window);
  list.routines.push_back(routine);
  list.arguments.push_back(argument);
}

void RemoveIdleRoutines(HWND window) {
  IdleRoutineList& list = Runtime().idleRoutines;
  for (size_t i = list.size(); i-- > 0;) {
    if (list.windows[i] == window) EraseAt(list, i);
  }
}

void RunIdleRoutines() {
  IdleRoutineList& list = Runtime().idleRoutines;
  // A routine may add or remove entries while the walk is under way, so the index is
  // checked against the list as it is now at every step.
  for (size_t i = list.size(); i-- > 0;) {
    if (i >= list.size()) continue;
    if (IsWindow(list.windows[i])) {
      if (IdleRoutine routine = list.routines[i]) routine(list.arguments[i]);
    } else {
      EraseAt(list, i);
    }
  }
}

bool IdleHook(int32_t n) {
  if (n == 0) g_idleStart = GetTickCount();
  // The first two passes belong to the loop's own bookkeeping and always ask for another.
  if (n <= 1) return true;
  const FormsHooks& forms = Forms();
  if (forms.idleWork == nullptr) return false;
  return forms.idleWork(GetTickCount() - g_idleStart);
}

}  // namespace rt
