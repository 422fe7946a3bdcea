// The dialog class: its background, the default push button, focus kept across
// activation, WM_NEXTDLGCTL, and the dialog item helpers.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/controls/DialogState.h"
#include "platform/controls/SystemClasses.h"
#include "platform/kernel32.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowSlot.h"

namespace platform::controls {

using platform::user::WindowSlot;

namespace {

// Handed from CreateDialogWindow to the WM_NCCREATE of the window it creates.
thread_local DialogHandler t_pendingHandler;

void PaintDialogBackground(HDC dc, const RECT& rect, const VelmoraThemePaintInfo&) {
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK DialogClassProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<DialogState> state;
  if (message == WM_NCCREATE) {
    state = WindowSlot<DialogState>::Make(dialog);
    if (state != nullptr) state->handler = std::move(t_pendingHandler);
    t_pendingHandler = nullptr;
  } else {
    state = DialogStateOf(dialog);
  }
  if (state != nullptr && state->handler) {
    DialogHandler handler = state->handler;  // may be replaced while it runs
    if (auto result = handler(dialog, message, wParam, lParam)) return *result;
  }
  return DefDlgProcA(dialog, message, wParam, lParam);
}

LRESULT DialogCode(HWND control) {
  return control != nullptr ? SendMessageA(control, WM_GETDLGCODE, 0, 0) : 0;
}

bool IsPushButtonCode(LRESULT code) {
  return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

void SetButtonKind(HWND button, DWORD kind) {
  DWORD style = static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE));
  SendMessageA(button, BM_SETSTYLE, (style & 0xFFFF & ~BS_TYPEMASK) | kind, TRUE);
}

}  // namespace

std::shared_ptr<DialogState> DialogStateOf(HWND dialog) {
  return WindowSlot<DialogState>::Of(dialog);
}

void SetPendingDialogHandler(DialogHandler handler) {
  t_pendingHandler = std::move(handler);
}

void UpdateDefaultButton(HWND dialog, HWND focus) {
  auto state = DialogStateOf(dialog);
  HWND wanted = nullptr;
  if (focus != nullptr && IsPushButtonCode(DialogCode(focus))) {
    wanted = focus;
  } else if (state != nullptr && state->defId != 0) {
    wanted = GetDlgItem(dialog, state->defId);
  }
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    LRESULT code = DialogCode(child);
    if (child == wanted) {
      if (code & DLGC_UNDEFPUSHBUTTON) SetButtonKind(child, BS_DEFPUSHBUTTON);
    } else if (code & DLGC_DEFPUSHBUTTON) {
      SetButtonKind(child, BS_PUSHBUTTON);
    }
  }
}

void FocusDialogControl(HWND dialog, HWND control) {
  if (control == nullptr) return;
  SetFocus(control);
  // An edit reached from the keyboard has its text selected, ready to be typed over.
  if (DialogCode(control) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
  UpdateDefaultButton(dialog, control);
}

void RegisterDialogClasses() {
  RegisterControlClass(WC_DIALOG, DialogClassProc, CS_DBLCLKS | CS_SAVEBITS);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_DIALOG_BACKGROUND, PaintDialogBackground);
}

}  // namespace platform::controls

using platform::controls::DialogStateOf;

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto state = DialogStateOf(dialog);
  switch (message) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (dc == nullptr) return 0;
      RECT client{};
      GetClientRect(dialog, &client);
      VelmoraThemePaintInfo info{};
      info.size = sizeof(info);
      info.style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
      info.exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
      platform::user::PaintThemePart(dc, VELMORA_PART_DIALOG_BACKGROUND, client, info);
      return 1;
    }
    case DM_GETDEFID:
      if (state != nullptr && state->defId != 0) return MAKELPARAM(state->defId, DC_HASDEFID);
      return 0;
    case DM_SETDEFID:
      if (state == nullptr) return FALSE;
      state->defId = static_cast<int>(wParam & 0xFFFF);
      platform::controls::UpdateDefaultButton(dialog, GetFocus());
      return TRUE;
    case WM_NEXTDLGCTL: {
      HWND target = nullptr;
      if (LOWORD(static_cast<uintptr_t>(lParam)) != 0) {
        target = reinterpret_cast<HWND>(wParam);
        if (target != nullptr && !IsChild(dialog, target)) target = nullptr;
      } else {
        HWND focus = GetFocus();
        if (focus != nullptr && !IsChild(dialog, focus)) focus = nullptr;
        target = GetNextDlgTabItem(dialog, focus, wParam != 0);
      }
      platform::controls::FocusDialogControl(dialog, target);
      return 0;
    }
    case WM_ACTIVATE:
      if (state == nullptr) break;
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(dialog, focus)) state->lastFocus = focus;
      } else {
        HWND target = state->lastFocus;
        if (target == nullptr || !IsWindow(target) || !IsChild(dialog, target))
          target = GetNextDlgTabItem(dialog, nullptr, FALSE);
        platform::controls::FocusDialogControl(dialog, target);
      }
      return 0;
    case WM_SETFOCUS: {
      // Focus given to the dialog itself belongs to one of its controls.
      HWND target = state != nullptr ? state->lastFocus : nullptr;
      if (target == nullptr || !IsWindow(target) || !IsChild(dialog, target))
        target = GetNextDlgTabItem(dialog, nullptr, FALSE);
      platform::controls::FocusDialogControl(dialog, target);
      return 0;
    }
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel == nullptr || IsWindowEnabled(cancel))
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcA(dialog, message, wParam, lParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  auto state = DialogStateOf(dialog);
  if (state == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  state->ended = true;
  state->result = result;
  // Wakes a loop waiting in GetMessageA.
  PostMessageA(dialog, WM_NULL, 0, 0);
  return TRUE;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return FALSE;
  return SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""))
             ? TRUE
             : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr || buffer == nullptr || size <= 0) return 0;
  return static_cast<UINT>(GetWindowTextA(item, buffer, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[16];
  if (isSigned)
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(value));
  else
    std::snprintf(text, sizeof(text), "%u", value);
  return SetDlgItemTextA(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated != nullptr) *translated = FALSE;
  char text[64];
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return 0;
  GetWindowTextA(item, text, sizeof(text));
  const char* p = text;
  while (*p == ' ') ++p;
  bool negative = false;
  if (*p == '-' && isSigned) {
    negative = true;
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  unsigned long long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + static_cast<unsigned>(*p - '0');
    // Out of range of the result type: not a translation.
    if (value > (isSigned ? (negative ? 0x80000000ull : 0x7FFFFFFFull) : 0xFFFFFFFFull)) return 0;
    ++p;
  }
  while (*p == ' ') ++p;
  if (*p != '\0') return 0;
  if (translated != nullptr) *translated = TRUE;
  if (negative) return static_cast<UINT>(-static_cast<long long>(value));
  return static_cast<UINT>(value);
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? SendMessageA(item, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return FALSE;
  SendMessageA(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? static_cast<UINT>(SendMessageA(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  if (firstId > lastId) std::swap(firstId, lastId);
  bool found = false;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(child);
    if (id < firstId || id > lastId) continue;
    SendMessageA(child, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    found = found || id == checkId;
  }
  return found ? TRUE : FALSE;
}
