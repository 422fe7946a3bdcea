// The live object behind every unit: a platform window (of the unit type's own class, or a
// system control) that knows the window and unit it belongs to. The object takes over the
// window's procedure when it is attached, owns itself from then on, and goes away with its
// window: on WM_NCDESTROY it tells the runtime (notify 2000) and deletes itself.
//
// What every unit does the same way lives here: focus events −7 and −8 after the default
// handling, the unit's mouse cursor, and handing the notifications of child controls back
// to the unit that sent them (message kReflectedBase + the original message).
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/user32.h"

namespace forms {

// Notifications a unit receives back from its parent: WM_COMMAND, WM_NOTIFY, WM_HSCROLL and
// WM_VSCROLL arrive at the unit that sent them as kReflectedBase + message, and so do the
// WM_CTLCOLOR* questions (a unit that answers 0 leaves them to the parent's default).
inline constexpr UINT kReflectedBase = 0x2000;

// Private messages of the loader: units finish their set-up on these.
inline constexpr UINT kMsgUnitCreated = 0x806F;
inline constexpr UINT kMsgWindowUnitsCreated = 0x8004;
inline constexpr UINT kMsgUnitsShown = 0x8076;
// Posted by the destroy command: the window closes from its own loop.
inline constexpr UINT kMsgCloseWindow = 0x8065;

// What raising an event gave back.
struct EventOutcome {
  bool handled = false;   // a handler was found and called
  bool returned = false;  // it returned a value
  uint32_t value = 0;
};

class UnitObject {
 public:
  UnitObject(uint32_t windowId, uint32_t unitId) : windowId_(windowId), unitId_(unitId) {}
  virtual ~UnitObject();
  UnitObject(const UnitObject&) = delete;
  UnitObject& operator=(const UnitObject&) = delete;

  HWND Handle() const { return window_; }
  uint32_t WindowId() const { return windowId_; }
  uint32_t UnitId() const { return unitId_; }

  // Takes the window over; false for a dead window or one that already has a unit.
  bool Attach(HWND window);
  // The unit that owns a window, or null.
  static UnitObject* FromHandle(HWND window);
  // Whether a pointer names a unit object that is still alive.
  static bool IsLive(const void* object);

  // Raises one of this unit's events with word arguments (notify 2008).
  EventOutcome RaiseEvent(int32_t event, std::initializer_list<uint32_t> args = {});

  // Whether a left press on this unit drags its window when the window allows dragging by
  // its client area.
  virtual bool LetsWindowDrag() const { return false; }

 protected:
  // Every message of the window; the default passes it to the original procedure.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT CommonMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Destroyed();

  HWND window_ = nullptr;
  WNDPROC original_ = nullptr;
  uint32_t windowId_;
  uint32_t unitId_;
};

}  // namespace forms
