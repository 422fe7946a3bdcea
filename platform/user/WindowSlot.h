// Data that a part of the platform keeps with each window it serves: a control's state, the
// numbers of a frame's scroll bars, a dialog's default button. Each type of data has its own
// slot in the window, so a list box can keep its state beside the bars of its frame, and the
// data goes when the window does (after WM_NCDESTROY) without any table to clean up.
//
// The data is shared: a procedure that holds it keeps it alive even when the window is
// destroyed under it by a notification it sent.
#pragma once

#include <memory>
#include <mutex>
#include <utility>

#include "platform/user/WindowManager.h"

namespace platform::user {

template <typename T>
class WindowSlot {
 public:
  // The window's data; null when the window is gone or never had any.
  static std::shared_ptr<T> Of(HWND window) {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    return w != nullptr ? Find(*w) : nullptr;
  }

  // Gives the window fresh data (replacing any it had) and returns it; null for a dead
  // handle.
  template <typename... Args>
  static std::shared_ptr<T> Make(HWND window, Args&&... args) {
    auto data = std::make_shared<T>(std::forward<Args>(args)...);
    std::shared_ptr<void> old;  // released after the lock
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return nullptr;
    for (auto& [key, held] : w->slots) {
      if (key == Key()) {
        old = std::exchange(held, data);
        return data;
      }
    }
    w->slots.emplace_back(Key(), data);
    return data;
  }

  // With UserLock held: the window's data, made on first use.
  static T& EnsureLocked(Window& window) {
    if (std::shared_ptr<T> data = Find(window)) return *data;
    auto data = std::make_shared<T>();
    window.slots.emplace_back(Key(), data);
    return *data;
  }

  // With UserLock held: the window's data, or null.
  static T* FindLocked(Window& window) { return Find(window).get(); }

 private:
  static std::shared_ptr<T> Find(const Window& window) {
    for (const auto& [key, held] : window.slots) {
      if (key == Key()) return std::static_pointer_cast<T>(held);
    }
    return nullptr;
  }
  // One address per type of data names its slot.
  static const void* Key() {
    static const char key = 0;
    return &key;
  }
};

}  // namespace platform::user
