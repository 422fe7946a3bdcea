// What a window stores for its program: the window longs (procedure, styles, id, user data,
// extra bytes), its text and its properties.
#include <cstring>
#include <string>

#include "platform/kernel32.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

bool ValidExtra(const Window& w, int index, size_t size) {
  return index >= 0 && static_cast<size_t>(index) + size <= w.extra.size();
}

// Property names compare like atoms: without regard to ASCII case. An atom given as a name
// is kept under a spelling no string can collide with.
std::string PropKey(LPCSTR name) {
  if (reinterpret_cast<uintptr_t>(name) <= 0xFFFF) {
    return std::string("\x01#") + std::to_string(reinterpret_cast<uintptr_t>(name));
  }
  std::string key = name;
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

LONG_PTR ReadLong(Window& w, int index, size_t size, bool* ok) {
  *ok = true;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w.proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w.instance);
    case GWLP_HWNDPARENT:
      if (w.parent != nullptr) return reinterpret_cast<LONG_PTR>(w.parent->handle);
      return w.owner != nullptr ? reinterpret_cast<LONG_PTR>(w.owner->handle) : 0;
    case GWLP_ID:
      return w.id;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(w.style);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(w.exStyle);
    case GWLP_USERDATA:
      return w.userData;
    default:
      break;
  }
  if (!ValidExtra(w, index, size)) {
    *ok = false;
    return 0;
  }
  if (size == sizeof(LONG)) {
    LONG value;
    std::memcpy(&value, w.extra.data() + index, sizeof(value));
    return value;
  }
  LONG_PTR value;
  std::memcpy(&value, w.extra.data() + index, sizeof(value));
  return value;
}

LONG_PTR ChangeStyle(HWND handle, int index, DWORD value) {
  STYLESTRUCT change{};
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) return 0;
    change.styleOld = index == GWL_STYLE ? w->style : w->exStyle;
  }
  change.styleNew = value;
  SendMessageA(handle, WM_STYLECHANGING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&change));
  bool topLevel;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) return static_cast<LONG_PTR>(change.styleOld);
    if (index == GWL_STYLE) {
      w->style = change.styleNew;
    } else {
      // Topmost is a place in the z-order: only SetWindowPos moves a window into it.
      w->exStyle = (change.styleNew & ~WS_EX_TOPMOST) | (w->exStyle & WS_EX_TOPMOST);
    }
    topLevel = w->IsTopLevel();
    Touch();
  }
  SendMessageA(handle, WM_STYLECHANGED, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&change));
  if (topLevel) NotifyTopLevel(handle);
  return static_cast<LONG_PTR>(change.styleOld);
}

LONG_PTR WriteLong(HWND handle, int index, LONG_PTR value, size_t size) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE) {
    {
      std::lock_guard lock(UserLock());
      Window* w = FindWindowLocked(handle);
      if (w == nullptr || IsDesktop(*w)) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_ACCESS_DENIED);
        return 0;
      }
    }
    return ChangeStyle(handle, index, static_cast<DWORD>(value));
  }
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (IsDesktop(*w)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  LONG_PTR old = 0;
  switch (index) {
    case GWLP_WNDPROC:
      // A window without a procedure could not take its next message.
      if (value == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT: {
      if (w->parent != nullptr) return reinterpret_cast<LONG_PTR>(w->parent->handle);
      old = w->owner != nullptr ? reinterpret_cast<LONG_PTR>(w->owner->handle) : 0;
      Window* owner = FindWindowLocked(reinterpret_cast<HWND>(value));
      if (owner != nullptr) owner = TopLevelOf(owner);
      // Owning oneself, or a window one owns, would make the owner chain a loop.
      for (Window* o = owner; o != nullptr; o = o->owner) {
        if (o == w) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return 0;
        }
      }
      w->owner = owner != nullptr && !IsDesktop(*owner) ? owner : nullptr;
      return old;
    }
    case GWLP_ID:
      old = w->id;
      w->id = value;
      return old;
    case GWLP_USERDATA:
      old = w->userData;
      w->userData = value;
      return old;
    default:
      break;
  }
  if (!ValidExtra(*w, index, size)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  if (size == sizeof(LONG)) {
    LONG old32, value32 = static_cast<LONG>(value);
    std::memcpy(&old32, w->extra.data() + index, sizeof(old32));
    std::memcpy(w->extra.data() + index, &value32, sizeof(value32));
    return old32;
  }
  std::memcpy(&old, w->extra.data() + index, sizeof(old));
  std::memcpy(w->extra.data() + index, &value, sizeof(value));
  return old;
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

LONG_PTR GetWindowLongPtrA(HWND handle, int index) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  bool ok;
  LONG_PTR value = ReadLong(*w, index, sizeof(LONG_PTR), &ok);
  if (!ok) SetLastError(ERROR_INVALID_INDEX);
  return value;
}

LONG_PTR SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  return WriteLong(handle, index, value, sizeof(LONG_PTR));
}

LONG GetWindowLongA(HWND handle, int index) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  bool ok;
  LONG_PTR value = ReadLong(*w, index, sizeof(LONG), &ok);
  if (!ok) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  // A procedure address that does not fit in 32 bits cannot be handed out cut short: a
  // caller would later call through the truncated value.
  if (index == GWLP_WNDPROC && static_cast<uintptr_t>(value) > 0xFFFFFFFFu) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<LONG>(value);
}

LONG SetWindowLongA(HWND handle, int index, LONG value) {
  if (index == GWLP_WNDPROC) {
    {
      std::lock_guard lock(UserLock());
      Window* w = FindWindowLocked(handle);
      if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
      }
      if (reinterpret_cast<uintptr_t>(w->proc) > 0xFFFFFFFFu) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
      }
    }
    // Addresses are unsigned: a 32-bit one above 2 GB must not grow into a negative one.
    return static_cast<LONG>(WriteLong(
        handle, index, static_cast<LONG_PTR>(static_cast<uint32_t>(value)), sizeof(LONG)));
  }
  LONG_PTR widened = index == GWL_STYLE || index == GWL_EXSTYLE
                         ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                         : value;
  return static_cast<LONG>(WriteLong(handle, index, widened, sizeof(LONG)));
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
  if (!IsWindow(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextA(HWND handle, LPSTR buffer, int size) {
  if (!IsWindow(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(size),
                                       reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND handle) {
  if (!IsWindow(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetPropA(HWND handle, LPCSTR name, HANDLE data) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string key = PropKey(name);
  for (auto& prop : w->props) {
    if (prop.first == key) {
      prop.second = data;
      return TRUE;
    }
  }
  w->props.emplace_back(std::move(key), data);
  return TRUE;
}

HANDLE GetPropA(HWND handle, LPCSTR name) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr || name == nullptr) return nullptr;
  std::string key = PropKey(name);
  for (auto& prop : w->props) {
    if (prop.first == key) return prop.second;
  }
  return nullptr;
}

HANDLE RemovePropA(HWND handle, LPCSTR name) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr || name == nullptr) return nullptr;
  std::string key = PropKey(name);
  for (auto it = w->props.begin(); it != w->props.end(); ++it) {
    if (it->first == key) {
      HANDLE data = it->second;
      w->props.erase(it);
      return data;
    }
  }
  return nullptr;
}
