// The EDIT class: its window procedure and what the window itself goes through (creation,
// size, painting, focus and the blinking caret, the mouse, scrolling). The text model
// (EditText) keeps every position on a GBK character boundary; typing is in EditKeyboard,
// edits and the clipboard in EditEditing, the EM_ messages in EditMessages.
#include "platform/controls/EditControl.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/controls/ControlState.h"
#include "platform/controls/SystemClasses.h"

namespace platform::controls::edit {

namespace {

constexpr UINT_PTR kCaretTimer = 0x7E01;

// Typing and moving show the caret at once and start its blinking afresh.
void RestartBlink(EditData& data) {
  if (!data.focused) return;
  if (!data.caretOn) InvalidateRect(data.hwnd, nullptr, FALSE);
  data.caretOn = true;
  SetTimer(data.hwnd, kCaretTimer, GetCaretBlinkTime(), nullptr);
}

POINT PointOf(LPARAM lParam) {
  return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

void MouseDown(EditData& data, LPARAM lParam, bool doubleClick) {
  HWND hwnd = data.hwnd;
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!IsWindow(hwnd)) return;
  data.desiredX = -1;
  size_t pos = PosOfPoint(data, PointOf(lParam));
  if (doubleClick) {
    size_t start = 0, end = 0;
    data.model.WordAt(pos, &start, &end);
    data.model.Select(start, end);
  } else {
    bool shift = GetKeyState(VK_SHIFT) < 0;
    data.model.Select(shift ? data.model.anchor() : pos, pos);
  }
  data.tracking = true;
  SetCapture(hwnd);
  if (ScrollToCaret(data)) UpdateScrollBars(data);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void MouseMove(EditData& data, LPARAM lParam) {
  if (!data.tracking) return;
  size_t pos = PosOfPoint(data, PointOf(lParam));
  if (pos == data.model.caret()) return;
  data.model.Select(data.model.anchor(), pos);
  if (ScrollToCaret(data)) UpdateScrollBars(data);
  InvalidateRect(data.hwnd, nullptr, FALSE);
}

LRESULT SetText(EditData& data, LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  data.model.SetText(ApplyCase(data, text != nullptr ? std::string(text) : std::string()));
  data.pendingLead = -1;
  data.firstLine = 0;
  data.xOffset = 0;
  data.desiredX = -1;
  Relayout(data);
  Redraw(data);
  return TRUE;
}

LRESULT GetText(EditData& data, WPARAM size, LPARAM lParam) {
  auto* buffer = reinterpret_cast<char*>(lParam);
  if (buffer == nullptr || size == 0) return 0;
  const std::string& text = data.model.text();
  // Never end the copy halfway through a two-byte character.
  size_t n = FitBytes(text, std::min<size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

void Scroll(EditData& data, UINT message, WPARAM wParam) {
  bool vertical = message == WM_VSCROLL;
  int code = LOWORD(wParam);
  int page = vertical ? std::max(1, VisibleLines(data) - 1)
                      : std::max<int>(data.charWidth, FormatRect(data).right -
                                                          FormatRect(data).left - data.charWidth);
  int step = vertical ? 1 : data.charWidth;
  int delta = 0;
  switch (code) {
    case SB_LINEUP:
      delta = -step;
      break;
    case SB_LINEDOWN:
      delta = step;
      break;
    case SB_PAGEUP:
      delta = -page;
      break;
    case SB_PAGEDOWN:
      delta = page;
      break;
    case SB_TOP:
      delta = -0x3FFFFFFF;
      break;
    case SB_BOTTOM:
      delta = 0x3FFFFFFF;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      int target = static_cast<short>(HIWORD(wParam));
      delta = target - (vertical ? data.firstLine : data.xOffset);
      break;
    }
    default:
      return;
  }
  bool moved = vertical ? ScrollBy(data, delta, 0) : ScrollBy(data, 0, delta);
  if (!moved) return;
  Redraw(data);
  NotifyParent(data.hwnd, vertical ? EN_VSCROLL : EN_HSCROLL);
}

LRESULT Create(EditData& data, HWND hwnd, WPARAM wParam, const CREATESTRUCTA* create) {
  data.hwnd = hwnd;
  SetFont(data, nullptr);
  if (create != nullptr && reinterpret_cast<uintptr_t>(create->lpszName) > 0xFFFF) {
    data.model.SetText(ApplyCase(data, create->lpszName));
  }
  // Multi-line edits hold documents; only single-line ones have the small default.
  if (create != nullptr && (create->style & ES_MULTILINE)) data.model.SetLimit(kUnlimited);
  if (create != nullptr) {
    data.vScrollBar = (create->style & WS_VSCROLL) != 0;
    data.hScrollBar = (create->style & WS_HSCROLL) != 0;
  }
  Relayout(data);
  // The text lives in the model; the window keeps none of its own.
  CREATESTRUCTA copy = create != nullptr ? *create : CREATESTRUCTA{};
  copy.lpszName = nullptr;
  return DefWindowProcA(hwnd, WM_NCCREATE, wParam, reinterpret_cast<LPARAM>(&copy));
}

void PaintWindow(EditData& data) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(data.hwnd, &ps);
  if (dc != nullptr) Paint(data, dc);
  EndPaint(data.hwnd, &ps);
}

void ChangeFont(EditData& data, HFONT font, bool redraw) {
  SetFont(data, font);
  Relayout(data);
  ScrollToCaret(data);
  if (redraw) Redraw(data);
}

// Focus changes the frame too (the theme draws a focused edit's border differently).
void RepaintWithFrame(HWND hwnd, BOOL erase) {
  InvalidateRect(hwnd, nullptr, erase);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void GainFocus(EditData& data) {
  data.focused = true;
  RestartBlink(data);
  RepaintWithFrame(data.hwnd, FALSE);
  NotifyParent(data.hwnd, EN_SETFOCUS);
}

void LoseFocus(EditData& data) {
  HWND hwnd = data.hwnd;
  data.focused = false;
  // A caret blinks only where typing would go.
  KillTimer(hwnd, kCaretTimer);
  data.pendingLead = -1;
  if (data.tracking && GetCapture() == hwnd) ReleaseCapture();
  data.tracking = false;
  RepaintWithFrame(hwnd, FALSE);
  NotifyParent(hwnd, EN_KILLFOCUS);
}

void MouseUp(EditData& data) {
  if (!data.tracking) return;
  data.tracking = false;
  if (GetCapture() == data.hwnd) ReleaseCapture();
}

// Returns false when the wheel is not the edit's to use (a single-line edit passes it on).
bool Wheel(EditData& data, WPARAM wParam) {
  if (!IsMultiLine(data)) return false;
  int lines = -GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3;
  if (lines != 0 && ScrollBy(data, lines, 0)) {
    Redraw(data);
    NotifyParent(data.hwnd, EN_VSCROLL);
  }
  return true;
}

LRESULT DialogCode(const EditData& data) {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  if (IsMultiLine(data)) code |= DLGC_WANTALLKEYS;
  return code;
}

LRESULT EditMessage(HWND hwnd, EditData& data, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return Create(data, hwnd, wParam, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_CREATE:
      Relayout(data);
      UpdateScrollBars(data);
      return 0;
    case WM_SIZE:
      Relayout(data);
      ScrollToCaret(data);
      Redraw(data);
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_STYLECHANGED:
      Relayout(data);
      Redraw(data);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCPAINT: {
      LRESULT r = DefWindowProcA(hwnd, message, wParam, lParam);
      PaintFrame(data);
      return r;
    }
    case WM_PAINT:
      PaintWindow(data);
      return 0;
    case WM_PRINTCLIENT:
      Paint(data, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT:
      return SetText(data, lParam);
    case WM_GETTEXT:
      return GetText(data, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(data.model.size());
    case WM_SETFONT:
      ChangeFont(data, reinterpret_cast<HFONT>(wParam), LOWORD(static_cast<uintptr_t>(lParam)));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(data.font != nullptr ? data.font
                                                            : GetStockObject(DEFAULT_GUI_FONT));
    case WM_ENABLE:
      RepaintWithFrame(hwnd, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(data);
    case WM_SETFOCUS:
      GainFocus(data);
      return 0;
    case WM_KILLFOCUS:
      LoseFocus(data);
      return 0;
    case WM_LBUTTONDOWN:
      RestartBlink(data);
      MouseDown(data, lParam, false);
      return 0;
    case WM_LBUTTONDBLCLK:
      MouseDown(data, lParam, true);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(data, lParam);
      return 0;
    case WM_LBUTTONUP:
      MouseUp(data);
      return 0;
    case WM_CAPTURECHANGED:
      data.tracking = false;
      return 0;
    case WM_MOUSEWHEEL:
      if (!Wheel(data, wParam)) return DefWindowProcA(hwnd, message, wParam, lParam);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(data, message, wParam);
      return 0;
    case WM_KEYDOWN:
      RestartBlink(data);
      KeyDown(data, wParam);
      return 0;
    case WM_CHAR:
      RestartBlink(data);
      Char(data, static_cast<unsigned int>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam != kCaretTimer) return DefWindowProcA(hwnd, message, wParam, lParam);
      data.caretOn = !data.caretOn;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    default:
      return EditCommand(data, message, wParam, lParam);
  }
}

}  // namespace

}  // namespace platform::controls::edit

namespace platform::controls {

void RegisterEditClass() {
  edit::RegisterEditPainters();
  RegisterControlClass("EDIT", ControlProc<edit::EditData, edit::EditMessage>, CS_DBLCLKS,
                       IDC_IBEAM);
}

}  // namespace platform::controls
