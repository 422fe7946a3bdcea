// Registration of the built-in control classes, done lazily on the first lookup of a name
// the program did not register, so that programs which never create a control pay nothing.
#include "platform/controls/SystemClasses.h"

#include <atomic>
#include <mutex>

#include "platform/user/WindowManager.h"

namespace platform::controls {

void EnsureSystemClassesRegistered() {
  // Theme pieces call in for every piece they paint: once done, no lock at all.
  static std::atomic<bool> done{false};
  if (done.load(std::memory_order_acquire)) return;
  // The class lookup calls in with UserLock held. Guarding the flag with that same
  // (recursive) lock rather than a call_once keeps one lock order: a second thread waits
  // on UserLock, never on a once-flag whose owner is itself waiting for UserLock.
  std::lock_guard lock(platform::user::UserLock());
  static bool registered = false;
  if (registered) return;
  // Set first: a registration that looks a class up must not come back in here.
  registered = true;
  RegisterButtonClass();
  RegisterStaticClass();
  RegisterEditClass();
  RegisterListBoxClass();
  RegisterComboBoxClass();
  RegisterScrollBarClass();
  RegisterProgressClass();
  RegisterTrackbarClass();
  RegisterStatusBarClass();
  RegisterMenuClasses();
  RegisterDialogClasses();
  done.store(true, std::memory_order_release);
}

void RegisterControlClass(const char* name, WNDPROC proc, UINT style, LPCSTR cursor) {
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof(cls);
  cls.style = style;
  cls.lpfnWndProc = proc;
  cls.hCursor = LoadCursorA(nullptr, cursor);
  cls.lpszClassName = name;
  platform::user::RegisterSystemClass(cls);
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent == nullptr) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

}  // namespace platform::controls
