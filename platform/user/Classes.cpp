// Window classes: the program's own (per instance, or global with CS_GLOBALCLASS) and the
// built-in control classes, found by name without regard to ASCII case or by atom.
#include <algorithm>
#include <cstring>

#include "platform/controls/SystemClasses.h"
#include "platform/kernel32.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

// Atoms of classes live in the range Windows gives to string atoms.
constexpr ATOM kFirstAtom = 0xC000;

ATOM NextAtom() {
  static ATOM next = kFirstAtom;
  if (next == 0xFFFF) return 0;
  return next++;
}

bool SameName(const std::string& a, LPCSTR b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool Matches(const WindowClass& cls, LPCSTR name) {
  if (IsAtomName(name)) return cls.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
  return SameName(cls.name, name);
}

// A null instance means the program itself.
HINSTANCE Normalize(HINSTANCE instance) {
  return instance != nullptr ? instance : GetModuleHandleA(nullptr);
}

// Local classes of the given instance, then global ones, then the built-in ones; a local
// class of another instance comes last, for callers that pass a different module handle
// to CreateWindowEx than they registered with.
enum class Scope { Local, Global, System, AnyLocal };

std::shared_ptr<WindowClass> FindInScope(LPCSTR name, HINSTANCE instance, Scope scope) {
  for (auto& cls : State().classes) {
    if (!Matches(*cls, name)) continue;
    bool global = (cls->style & CS_GLOBALCLASS) != 0;
    switch (scope) {
      case Scope::Local:
        if (!cls->system && !global && Normalize(cls->instance) == Normalize(instance)) return cls;
        break;
      case Scope::Global:
        if (!cls->system && global) return cls;
        break;
      case Scope::System:
        if (cls->system) return cls;
        break;
      case Scope::AnyLocal:
        if (!cls->system && !global) return cls;
        break;
    }
  }
  return nullptr;
}

ATOM Register(const WNDCLASSEXA& in, bool system) {
  if (in.lpszClassName == nullptr || in.cbClsExtra < 0 || in.cbWndExtra < 0 ||
      in.cbClsExtra > 40 * 1024 || in.cbWndExtra > 40 * 1024) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (IsAtomName(in.lpszClassName) || in.lpszClassName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard lock(UserLock());
  bool global = (in.style & CS_GLOBALCLASS) != 0;
  std::shared_ptr<WindowClass> clash =
      system   ? FindInScope(in.lpszClassName, nullptr, Scope::System)
      : global ? FindInScope(in.lpszClassName, nullptr, Scope::Global)
               : FindInScope(in.lpszClassName, in.hInstance, Scope::Local);
  if (clash) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  ATOM atom = NextAtom();
  if (atom == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  cls->name = in.lpszClassName;
  cls->atom = atom;
  cls->style = in.style;
  cls->proc = in.lpfnWndProc;
  cls->clsExtra = in.cbClsExtra;
  cls->wndExtra = in.cbWndExtra;
  cls->instance = in.hInstance;
  cls->icon = in.hIcon;
  cls->iconSmall = in.hIconSm;
  cls->cursor = in.hCursor;
  cls->background = in.hbrBackground;
  if (in.lpszMenuName != nullptr && !IsAtomName(in.lpszMenuName)) cls->menuName = in.lpszMenuName;
  cls->classExtra.assign(static_cast<size_t>(in.cbClsExtra), 0);
  cls->system = system;
  State().classes.push_back(cls);
  return atom;
}

std::shared_ptr<WindowClass> ClassOfWindow(HWND window) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return w->cls;
}

}  // namespace

bool IsAtomName(LPCSTR name) {
  return reinterpret_cast<uintptr_t>(name) <= 0xFFFF;
}

std::shared_ptr<WindowClass> FindClassLocked(LPCSTR name, HINSTANCE instance) {
  if (name == nullptr) return nullptr;
  if (auto cls = FindInScope(name, instance, Scope::Local)) return cls;
  if (auto cls = FindInScope(name, instance, Scope::Global)) return cls;
  // The built-in classes come into being on the first lookup the program's own could not
  // answer (the lock is recursive, so registering from here is safe).
  platform::controls::EnsureSystemClassesRegistered();
  if (auto cls = FindInScope(name, instance, Scope::System)) return cls;
  return FindInScope(name, instance, Scope::AnyLocal);
}

ATOM RegisterSystemClass(const WNDCLASSEXA& wndClass) {
  return Register(wndClass, true);
}

}  // namespace platform::user

using namespace platform::user;

ATOM RegisterClassExA(const WNDCLASSEXA* wndClass) {
  if (wndClass == nullptr || wndClass->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Register(*wndClass, false);
}

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  if (wndClass == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof(ex);
  ex.style = wndClass->style;
  ex.lpfnWndProc = wndClass->lpfnWndProc;
  ex.cbClsExtra = wndClass->cbClsExtra;
  ex.cbWndExtra = wndClass->cbWndExtra;
  ex.hInstance = wndClass->hInstance;
  ex.hIcon = wndClass->hIcon;
  ex.hCursor = wndClass->hCursor;
  ex.hbrBackground = wndClass->hbrBackground;
  ex.lpszMenuName = wndClass->lpszMenuName;
  ex.lpszClassName = wndClass->lpszClassName;
  return Register(ex, false);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  if (className == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  std::lock_guard lock(UserLock());
  std::shared_ptr<WindowClass> cls = FindInScope(className, instance, Scope::Local);
  if (!cls) cls = FindInScope(className, instance, Scope::Global);
  if (!cls) cls = FindInScope(className, instance, Scope::AnyLocal);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (cls->windowCount > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  auto& classes = State().classes;
  classes.erase(std::remove(classes.begin(), classes.end(), cls), classes.end());
  return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* out) {
  if (out == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(UserLock());
  std::shared_ptr<WindowClass> cls = FindClassLocked(className, instance);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  out->style = cls->style;
  out->lpfnWndProc = cls->proc;
  out->cbClsExtra = cls->clsExtra;
  out->cbWndExtra = cls->wndExtra;
  out->hInstance = cls->instance;
  out->hIcon = cls->icon;
  out->hCursor = cls->cursor;
  out->hbrBackground = cls->background;
  out->lpszMenuName = cls->menuName.empty() ? nullptr : cls->menuName.c_str();
  // The caller's own name pointer, as Windows gives it back; our copy could move.
  out->lpszClassName = className;
  out->hIconSm = cls->iconSmall;
  // GetClassInfoEx answers with the atom.
  return cls->atom;
}

BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* out) {
  if (out == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof(ex);
  BOOL result = GetClassInfoExA(instance, className, &ex);
  if (!result) return FALSE;
  out->style = ex.style;
  out->lpfnWndProc = ex.lpfnWndProc;
  out->cbClsExtra = ex.cbClsExtra;
  out->cbWndExtra = ex.cbWndExtra;
  out->hInstance = ex.hInstance;
  out->hIcon = ex.hIcon;
  out->hCursor = ex.hCursor;
  out->hbrBackground = ex.hbrBackground;
  out->lpszMenuName = ex.lpszMenuName;
  out->lpszClassName = ex.lpszClassName;
  return TRUE;
}

int GetClassNameA(HWND window, LPSTR buffer, int size) {
  std::shared_ptr<WindowClass> cls = ClassOfWindow(window);
  if (!cls) return 0;
  if (buffer == nullptr || size <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::lock_guard lock(UserLock());
  size_t n = std::min(cls->name.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, cls->name.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

ULONG_PTR GetClassLongPtrA(HWND window, int index) {
  std::shared_ptr<WindowClass> cls = ClassOfWindow(window);
  if (!cls) return 0;
  std::lock_guard lock(UserLock());
  switch (index) {
    case GCLP_HBRBACKGROUND:
      return reinterpret_cast<ULONG_PTR>(cls->background);
    case GCLP_HCURSOR:
      return reinterpret_cast<ULONG_PTR>(cls->cursor);
    case GCLP_HICON:
      return reinterpret_cast<ULONG_PTR>(cls->icon);
    case GCLP_HICONSM:
      return reinterpret_cast<ULONG_PTR>(cls->iconSmall);
    case GCLP_WNDPROC:
      return reinterpret_cast<ULONG_PTR>(cls->proc);
    case GCL_STYLE:
      return cls->style;
    default:
      break;
  }
  if (index < 0 || static_cast<size_t>(index) + sizeof(ULONG_PTR) > cls->classExtra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  ULONG_PTR value = 0;
  std::memcpy(&value, cls->classExtra.data() + index, sizeof(value));
  return value;
}

ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value) {
  std::shared_ptr<WindowClass> cls = ClassOfWindow(window);
  if (!cls) return 0;
  std::lock_guard lock(UserLock());
  ULONG_PTR old = 0;
  auto swap = [&](auto& field) {
    old = reinterpret_cast<ULONG_PTR>(field);
    field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(value);
  };
  switch (index) {
    case GCLP_HBRBACKGROUND:
      swap(cls->background);
      return old;
    case GCLP_HCURSOR:
      swap(cls->cursor);
      return old;
    case GCLP_HICON:
      swap(cls->icon);
      return old;
    case GCLP_HICONSM:
      swap(cls->iconSmall);
      return old;
    case GCLP_WNDPROC:
      swap(cls->proc);
      return old;
    case GCL_STYLE:
      old = cls->style;
      cls->style = static_cast<UINT>(value);
      return old;
    default:
      break;
  }
  if (index < 0 || static_cast<size_t>(index) + sizeof(ULONG_PTR) > cls->classExtra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  std::memcpy(&old, cls->classExtra.data() + index, sizeof(old));
  std::memcpy(cls->classExtra.data() + index, &value, sizeof(value));
  return old;
}
