// The keyboard interface of dialogs: Tab through the tab stops, arrows within a group,
// Enter for the default button, Esc for Cancel and access keys of labels and buttons.
#include <cctype>
#include <string>
#include <vector>

#include "platform/controls/DialogState.h"

namespace {

using platform::controls::FocusDialogControl;

LRESULT DialogCode(HWND control, const MSG* msg = nullptr) {
  return SendMessageA(control, WM_GETDLGCODE, msg != nullptr ? msg->wParam : 0,
                      reinterpret_cast<LPARAM>(msg));
}

std::vector<HWND> ChildrenOf(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

bool Reachable(HWND control) {
  return IsWindowVisible(control) && IsWindowEnabled(control);
}

DWORD StyleOf(HWND window) {
  return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

thread_local bool t_shift = false;
thread_local bool t_control = false;

// The access key of a label: the character after a single '&', lower-cased; 0 for none.
char AccessKeyOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x81 && c <= 0xFE) {  // a GBK lead byte and its trail byte are never markers
      ++i;
      continue;
    }
    if (c != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

std::string TextOf(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

bool HandleAccessKey(HWND dialog, HWND from, WPARAM key) {
  if (key >= 0x80) return false;
  char wanted = static_cast<char>(std::tolower(static_cast<int>(key)));
  if (!std::isalnum(static_cast<unsigned char>(wanted))) return false;
  std::vector<HWND> children = ChildrenOf(dialog);
  if (children.empty()) return false;
  // Search after the focused control, so that repeated keys cycle through equal keys.
  size_t start = 0;
  for (size_t i = 0; i < children.size(); ++i)
    if (children[i] == from) start = i + 1;
  for (size_t n = 0; n < children.size(); ++n) {
    size_t index = (start + n) % children.size();
    HWND child = children[index];
    if (!Reachable(child)) continue;
    LRESULT code = DialogCode(child);
    if ((code & DLGC_STATIC) != 0 && (StyleOf(child) & SS_NOPREFIX) != 0 &&
        (code & DLGC_BUTTON) == 0)
      continue;
    if (AccessKeyOf(TextOf(child)) != wanted) continue;
    bool button =
        (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_RADIOBUTTON | DLGC_BUTTON)) !=
            0 &&
        (code & DLGC_STATIC) == 0;
    if (button) {
      FocusDialogControl(dialog, child);
      SendMessageA(child, BM_CLICK, 0, 0);
      return true;
    }
    // A label names the control that follows it.
    for (size_t k = 1; k < children.size(); ++k) {
      HWND next = children[(index + k) % children.size()];
      if (!Reachable(next)) continue;
      if (DialogCode(next) & DLGC_STATIC) continue;
      FocusDialogControl(dialog, next);
      return true;
    }
    return true;
  }
  return false;
}

void PressDialogButton(HWND dialog, int id, HWND button) {
  if (button != nullptr && !IsWindowEnabled(button)) {
    MessageBeep(0);
    return;
  }
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace

namespace platform::controls {

void NoteKeyMessage(const MSG& msg) {
  bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (!down && !up) return;
  switch (static_cast<int>(msg.wParam)) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
      t_shift = down;
      break;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      t_control = down;
      break;
    default:
      break;
  }
}

bool ShiftIsDown() {
  return t_shift;
}
bool ControlIsDown() {
  return t_control;
}

}  // namespace platform::controls

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> children = ChildrenOf(dialog);
  const int count = static_cast<int>(children.size());
  int at = -1;
  for (int i = 0; i < count; ++i)
    if (children[i] == control) at = i;
  for (int n = 1; n <= count; ++n) {
    int index;
    if (at < 0)
      index = previous ? count - n : n - 1;
    else
      index = ((previous ? at - n : at + n) % count + count) % count;
    HWND child = children[static_cast<size_t>(index)];
    if ((StyleOf(child) & WS_TABSTOP) != 0 && Reachable(child)) return child;
  }
  return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> children = ChildrenOf(dialog);
  int at = -1;
  for (size_t i = 0; i < children.size(); ++i)
    if (children[i] == control) at = static_cast<int>(i);
  if (at < 0) return nullptr;
  // The group runs from the last WS_GROUP at or before the control to the next WS_GROUP.
  int first = at;
  while (first > 0 && (StyleOf(children[static_cast<size_t>(first)]) & WS_GROUP) == 0) --first;
  int last = at;
  while (last + 1 < static_cast<int>(children.size()) &&
         (StyleOf(children[static_cast<size_t>(last + 1)]) & WS_GROUP) == 0)
    ++last;
  int size = last - first + 1;
  for (int n = 1; n < size; ++n) {
    int offset = ((at - first + (previous ? -n : n)) % size + size) % size;
    HWND child = children[static_cast<size_t>(first + offset)];
    if (Reachable(child)) return child;
  }
  return control;
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
  if (dialog == nullptr || msg == nullptr || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  platform::controls::NoteKeyMessage(*msg);
  HWND target = msg->hwnd;
  switch (msg->message) {
    case WM_KEYDOWN: {
      LRESULT code = DialogCode(target, msg);
      if (code & DLGC_WANTALLKEYS) break;
      switch (static_cast<int>(msg->wParam)) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          SendMessageA(dialog, WM_NEXTDLGCTL, platform::controls::ShiftIsDown() ? 1 : 0, 0);
          return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
          if (code & DLGC_WANTARROWS) break;
          bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
          HWND next = GetNextDlgGroupItem(dialog, target, back ? TRUE : FALSE);
          if (next != nullptr && next != target) {
            FocusDialogControl(dialog, next);
            // Moving onto a radio button chooses it.
            if (DialogCode(next) & DLGC_RADIOBUTTON) SendMessageA(next, BM_CLICK, 0, 0);
          }
          return TRUE;
        }
        case VK_RETURN: {
          if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0 && target != dialog) {
            PressDialogButton(dialog, GetDlgCtrlID(target), target);
            return TRUE;
          }
          LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
          int id = HIWORD(static_cast<uintptr_t>(def)) == DC_HASDEFID
                       ? LOWORD(static_cast<uintptr_t>(def))
                       : IDOK;
          PressDialogButton(dialog, id, GetDlgItem(dialog, id));
          return TRUE;
        }
        case VK_ESCAPE:
          PressDialogButton(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL));
          return TRUE;
        default:
          break;
      }
      break;
    }
    case WM_CHAR: {
      LRESULT code = DialogCode(target, msg);
      if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) break;
      if (HandleAccessKey(dialog, target, msg->wParam)) return TRUE;
      break;
    }
    case WM_SYSCHAR:
      if (HandleAccessKey(dialog, target, msg->wParam)) return TRUE;
      break;
    default:
      break;
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}
