#include "forms/units/UnitObject.h"

#include <mutex>
#include <unordered_set>

#include "forms/events/EventRecord.h"
#include "forms/windows/WindowList.h"
#include "runtime/calls/ServiceTable.h"

namespace forms {

namespace {

constexpr char kUnitProperty[] = "VelmoraUnitObject";
constexpr int32_t kNotifyUnitDestroyed = 2000;

// Objects alive right now, so that a pointer handed back by a library can be checked.
struct LiveSet {
  std::mutex lock;
  std::unordered_set<const UnitObject*> objects;
};

LiveSet& Live() {
  static LiveSet set;
  return set;
}

bool IsReflected(UINT message) {
  return message == WM_COMMAND || message == WM_NOTIFY || message == WM_HSCROLL ||
         message == WM_VSCROLL;
}

// The control a notification came from (null for menus, accelerators and the like).
HWND NotificationSource(UINT message, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    // The header's first member is the sender's window handle.
    const auto* header = reinterpret_cast<const HWND*>(lParam);
    return header != nullptr ? *header : nullptr;
  }
  return reinterpret_cast<HWND>(lParam);
}

}  // namespace

UnitObject::~UnitObject() {
  std::lock_guard guard(Live().lock);
  Live().objects.erase(this);
}

bool UnitObject::Attach(HWND window) {
  if (window_ != nullptr || !IsWindow(window) || GetPropA(window, kUnitProperty) != nullptr) {
    return false;
  }
  window_ = window;
  SetPropA(window, kUnitProperty, this);
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
  std::lock_guard guard(Live().lock);
  Live().objects.insert(this);
  return true;
}

UnitObject* UnitObject::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  return static_cast<UnitObject*>(GetPropA(window, kUnitProperty));
}

bool UnitObject::IsLive(const void* object) {
  if (object == nullptr) return false;
  std::lock_guard guard(Live().lock);
  return Live().objects.count(static_cast<const UnitObject*>(object)) != 0;
}

EventOutcome UnitObject::RaiseEvent(int32_t event, std::initializer_list<uint32_t> args) {
  EventRecord record;
  record.windowId = windowId_;
  record.unitId = unitId_;
  record.event = event;
  for (uint32_t word : args) {
    if (record.argumentCount == kMaxWordArguments) break;
    record.arguments[record.argumentCount++] = word;
  }
  EventOutcome outcome;
  outcome.handled =
      rt::RuntimeNotify(kNotifyRaiseEvent, reinterpret_cast<intptr_t>(&record), 0) != 0;
  outcome.returned = record.resultPresent != 0;
  outcome.value = record.result;
  return outcome;
}

LRESULT UnitObject::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  if (original_ == nullptr) return DefWindowProcA(window_, message, wParam, lParam);
  return CallWindowProcA(original_, window_, message, wParam, lParam);
}

LRESULT UnitObject::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return CommonMessage(message, wParam, lParam);
}

LRESULT UnitObject::CommonMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS: {
      LRESULT r = Default(message, wParam, lParam);
      RaiseEvent(kEventGotFocus);
      return r;
    }
    case WM_KILLFOCUS: {
      LRESULT r = Default(message, wParam, lParam);
      RaiseEvent(kEventLostFocus);
      return r;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT) {
        if (HCURSOR cursor = UnitCursor(windowId_, unitId_)) {
          SetCursor(cursor);
          return TRUE;
        }
      }
      return Default(message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
      // A unit with colours of its own answers for its control; the others keep the
      // colours the default handling gives.
      auto source = reinterpret_cast<HWND>(lParam);
      if (source != window_ && FromHandle(source) != nullptr) {
        LRESULT brush = SendMessageA(source, kReflectedBase + message, wParam, lParam);
        if (brush != 0) return brush;
      }
      return Default(message, wParam, lParam);
    }
    default:
      break;
  }
  if (IsReflected(message)) {
    HWND source = NotificationSource(message, lParam);
    if (source != nullptr && source != window_ && FromHandle(source) != nullptr) {
      return SendMessageA(source, kReflectedBase + message, wParam, lParam);
    }
  }
  return Default(message, wParam, lParam);
}

void UnitObject::Destroyed() {
  RemovePropA(window_, kUnitProperty);
  {
    std::lock_guard guard(Live().lock);
    Live().objects.erase(this);
  }
  rt::RuntimeNotify(kNotifyUnitDestroyed, static_cast<intptr_t>(windowId_),
                    static_cast<intptr_t>(unitId_));
  delete this;
}

LRESULT CALLBACK UnitObject::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  UnitObject* unit = FromHandle(window);
  if (unit == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    LRESULT r = unit->Default(message, wParam, lParam);
    unit->Destroyed();
    return r;
  }
  return unit->HandleMessage(message, wParam, lParam);
}

}  // namespace forms
