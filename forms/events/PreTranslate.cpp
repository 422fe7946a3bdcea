#include "forms/events/PreTranslate.h"

#include <cctype>
#include <string>
#include <vector>

#include "forms/events/EventRecord.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "runtime/calls/ServiceTable.h"

namespace forms {

namespace {

constexpr uint32_t kShiftCtrl = 1;
constexpr uint32_t kShiftShift = 2;
constexpr uint32_t kShiftAlt = 4;
constexpr uint32_t kKeyCodeMask = 0x1FFF;

bool IsKeyMessage(UINT m) {
  return m >= WM_KEYFIRST && m <= 264;
}

// The unit that owns a window: the nearest unit object from it up to its top-level window.
UnitObject* OwningUnit(HWND window) {
  for (HWND h = window; h != nullptr; h = GetParent(h)) {
    if (UnitObject* unit = UnitObject::FromHandle(h)) return unit;
  }
  return nullptr;
}

const rt::DataTypeDescriptor* TypeOf(const FormTemplate& form, size_t index) {
  return FindUnitType(form.Unit(index).Type());
}

// Live units of the window other than the window itself, in table order.
template <typename Visit>
void ForEachUnit(const FormTemplate& form, Visit&& visit) {
  for (size_t i = 1; i < form.UnitCount(); ++i) {
    if (form.IsMenuItem(i)) continue;
    UnitObject* unit = LiveUnit(form, i);
    if (unit != nullptr && IsWindow(unit->Handle()) && visit(i, unit)) return;
  }
}

bool RunMessageFilters(const FormTemplate& form, MSG* message) {
  bool consumed = false;
  ForEachUnit(form, [&](size_t i, UnitObject* unit) {
    auto filter = UnitOperation<MessageFilterOperation>(TypeOf(form, i), kOpMessageFilter);
    consumed = filter != nullptr && filter(unit, message) != 0;
    return consumed;
  });
  return consumed;
}

// Windows inside `root` that take the focus by Tab, depth first in z-order.
void CollectTabStops(HWND root, std::vector<HWND>* out) {
  for (HWND h = GetWindow(root, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    if (!IsWindowVisible(h) || !IsWindowEnabled(h)) continue;
    if ((GetWindowLongPtrA(h, GWL_STYLE) & WS_TABSTOP) != 0 && UnitObject::FromHandle(h)) {
      out->push_back(h);
    }
    CollectTabStops(h, out);
  }
}

bool MoveFocus(HWND window, bool backwards) {
  std::vector<HWND> stops;
  CollectTabStops(window, &stops);
  if (stops.empty()) return false;
  HWND focus = GetFocus();
  size_t at = stops.size();
  for (size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] == focus || IsChild(stops[i], focus)) at = i;
  }
  size_t next;
  if (at == stops.size()) {
    next = backwards ? stops.size() - 1 : 0;
  } else {
    next = backwards ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
  }
  SetFocus(stops[next]);
  return true;
}

bool ClickDefaultButton(const FormTemplate& form) {
  bool clicked = false;
  ForEachUnit(form, [&](size_t i, UnitObject* unit) {
    auto isDefault = UnitOperation<IsDefaultButtonOperation>(TypeOf(form, i), kOpIsDefaultButton);
    if (isDefault == nullptr || isDefault(unit) == 0) return false;
    unit->RaiseEvent(0);
    clicked = true;
    return true;
  });
  return clicked;
}

// The unit's caption as its type lists it (the first text).
std::string CaptionOf(const FormTemplate& form, size_t index, UnitObject* unit) {
  auto list = UnitOperation<ListTextsOperation>(TypeOf(form, index), kOpListTexts);
  std::string caption;
  bool first = true;
  struct Sink {
    std::string* caption;
    bool* first;
  } sink{&caption, &first};
  if (list != nullptr) {
    list(
        unit,
        [](const char* text, intptr_t user) {
          auto* s = reinterpret_cast<Sink*>(user);
          if (*s->first && text != nullptr) *s->caption = text;
          *s->first = false;
        },
        reinterpret_cast<intptr_t>(&sink));
  }
  return caption;
}

// Whether a caption marks `key` as its access key ("&" then the character, either case;
// "&&" is a literal ampersand). Two-byte characters are stepped over whole.
bool HasAccessKey(const std::string& caption, char key) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    auto c = static_cast<unsigned char>(caption[i]);
    if (c >= 0x80) {
      ++i;
      continue;
    }
    if (c != '&') continue;
    char next = caption[i + 1];
    if (next == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(next)) == key;
  }
  return false;
}

void ClickOrFocus(UnitObject* unit) {
  HWND h = unit->Handle();
  char className[16] = {};
  GetClassNameA(h, className, sizeof className);
  DWORD kind = static_cast<DWORD>(GetWindowLongPtrA(h, GWL_STYLE)) & BS_TYPEMASK;
  if (std::string(className) != "BUTTON" || kind == BS_GROUPBOX) {
    SetFocus(h);
    return;
  }
  if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
      kind == BS_AUTO3STATE) {
    LRESULT state = SendMessageA(h, BM_GETCHECK, 0, 0);
    SendMessageA(h, BM_SETCHECK, state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
  } else if (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) {
    HWND parent = GetParent(h);
    for (HWND s = GetWindow(parent, GW_CHILD); s != nullptr; s = GetWindow(s, GW_HWNDNEXT)) {
      DWORD sk = static_cast<DWORD>(GetWindowLongPtrA(s, GWL_STYLE)) & BS_TYPEMASK;
      if (s != h && (sk == BS_RADIOBUTTON || sk == BS_AUTORADIOBUTTON)) {
        SendMessageA(s, BM_SETCHECK, BST_UNCHECKED, 0);
      }
    }
    SendMessageA(h, BM_SETCHECK, BST_CHECKED, 0);
  }
  unit->RaiseEvent(0);
}

bool AltKey(const FormTemplate& form, WPARAM key) {
  char wanted = static_cast<char>(key);
  bool done = false;
  ForEachUnit(form, [&](size_t i, UnitObject* unit) {
    HWND h = unit->Handle();
    if (!IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
    if (!HasAccessKey(CaptionOf(form, i, unit), wanted)) return false;
    ClickOrFocus(unit);
    done = true;
    return true;
  });
  return done;
}

// Keys the focused control does not claim for itself.
bool KeyboardInterface(const FormTemplate& form, WindowUnit& window, MSG* message) {
  const WPARAM key = message->wParam;
  if (message->message == WM_SYSKEYDOWN) {
    bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
    return letterOrDigit && AltKey(form, key);
  }
  if (message->message != WM_KEYDOWN) return false;
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && key != VK_F1) return false;
  LRESULT claims =
      SendMessageA(message->hwnd, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(message));
  if ((claims & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0) return false;
  switch (key) {
    case VK_TAB:
      if ((claims & DLGC_WANTTAB) != 0) return false;
      return MoveFocus(window.Handle(), GetKeyState(VK_SHIFT) < 0);
    case VK_RETURN:
      if (window.Switch(kWindowEnterMovesFocus)) return MoveFocus(window.Handle(), false);
      return ClickDefaultButton(form);
    case VK_ESCAPE:
      if (!window.Switch(kWindowEscCloses)) return false;
      SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
      return true;
    case VK_F1:
      return window.OpenHelp();
    default:
      return false;
  }
}

// The common event of a message and its arguments; false for messages without one.
bool CommonEvent(const MSG& m, EventRecord* record) {
  auto mouse = [&](int32_t event) {
    record->event = event;
    record->argumentCount = 3;
    record->arguments[0] = LOWORD(static_cast<uintptr_t>(m.lParam));
    record->arguments[1] =
        static_cast<uint32_t>(static_cast<int32_t>(static_cast<uint32_t>(m.lParam)) >> 16);
    record->arguments[2] = MouseShiftState(m.wParam);
    return true;
  };
  auto keyEvent = [&](int32_t event) {
    record->event = event;
    record->argumentCount = 2;
    record->arguments[0] = static_cast<uint32_t>(m.wParam) & kKeyCodeMask;
    record->arguments[1] = KeyShiftState(m.lParam);
    return true;
  };
  switch (m.message) {
    case WM_LBUTTONDOWN:
      return mouse(kEventLeftDown);
    case WM_LBUTTONUP:
      return mouse(kEventLeftUp);
    case WM_LBUTTONDBLCLK:
      return mouse(kEventLeftDoubleClick);
    case WM_RBUTTONDOWN:
      return mouse(kEventRightDown);
    case WM_RBUTTONUP:
      return mouse(kEventRightUp);
    case WM_MOUSEMOVE:
      return mouse(kEventMouseMove);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return keyEvent(kEventKeyDown);
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return keyEvent(kEventKeyUp);
    case WM_CHAR:
      record->event = kEventChar;
      record->argumentCount = 1;
      record->arguments[0] = static_cast<uint32_t>(m.wParam);
      return true;
    case WM_MOUSEWHEEL:
      record->event = kEventWheel;
      record->argumentCount = 2;
      record->arguments[0] = static_cast<uint32_t>(GET_WHEEL_DELTA_WPARAM(m.wParam) / WHEEL_DELTA);
      record->arguments[1] = MouseShiftState(LOWORD(m.wParam));
      return true;
    default:
      return false;
  }
}

bool DragsWindow(const WindowUnit& window, const UnitObject& target) {
  if (!window.Switch(kWindowDragByClient)) return false;
  return &target == &window || target.LetsWindowDrag();
}

}  // namespace

uint32_t MouseShiftState(WPARAM wParam) {
  uint32_t state = 0;
  if ((wParam & MK_CONTROL) != 0) state |= kShiftCtrl;
  if ((wParam & MK_SHIFT) != 0) state |= kShiftShift;
  if (GetKeyState(VK_MENU) < 0) state |= kShiftAlt;
  return state;
}

uint32_t KeyShiftState(LPARAM lParam) {
  uint32_t state = 0;
  if (GetKeyState(VK_CONTROL) < 0) state |= kShiftCtrl;
  if (GetKeyState(VK_SHIFT) < 0) state |= kShiftShift;
  if ((lParam & KF_ALTDOWN_BIT) != 0 || GetKeyState(VK_MENU) < 0) state |= kShiftAlt;
  return state;
}

bool PreTranslateMessage(MSG* message) {
  if (message == nullptr || message->hwnd == nullptr) return false;
  UnitObject* target = OwningUnit(message->hwnd);
  if (target == nullptr) return false;
  FormTemplate* form = FindLoadedWindow(target->WindowId());
  if (form == nullptr) return false;
  WindowUnit* window = LiveWindow(*form);
  HWND windowHandle = window->Handle();
  const UINT m = message->message;

  if (IsKeyMessage(m) && !IsWindowEnabled(message->hwnd)) return false;
  // A left press would cancel pending modes (tool tips and the like); units here keep none.

  if ((m == WM_KEYDOWN || m == WM_SYSKEYDOWN) && window->Accelerators() != nullptr &&
      TranslateAcceleratorA(windowHandle, window->Accelerators(), message) != 0) {
    return true;
  }
  if (RunMessageFilters(*form, message)) return true;
  if (!IsWindow(windowHandle)) return true;
  if (KeyboardInterface(*form, *window, message)) return true;
  if (!IsWindow(windowHandle)) return true;

  EventRecord record;
  if (CommonEvent(*message, &record)) {
    record.windowId = target->WindowId();
    record.unitId = target->UnitId();
    bool called = rt::RuntimeNotify(kNotifyRaiseEvent, reinterpret_cast<intptr_t>(&record), 0) != 0;
    if (!IsWindow(windowHandle)) return true;
    if (called && record.resultPresent != 0) {
      if (record.result == 0) return true;
      if (m == WM_CHAR) message->wParam = record.result;
    }
  }
  if (m == WM_LBUTTONDOWN && UnitObject::IsLive(target) && DragsWindow(*window, *target)) {
    ReleaseCapture();
    POINT screen = message->pt;
    PostMessageA(windowHandle, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
    return true;
  }
  return false;
}

}  // namespace forms
