// The EDIT class: messages, keyboard and mouse editing, the clipboard and notifications.
// The text model (EditText) keeps every position on a GBK character boundary; this file
// turns input into edits of it and tells the parent: EN_UPDATE before the new text is
// shown, EN_CHANGE after.
#include "platform/controls/EditControl.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "platform/controls/SystemClasses.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/Presenter.h"
#include "platform/user/WindowManager.h"

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

constexpr size_t kUnlimited = 0x7FFFFFFE;

void Notify(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (parent == nullptr) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code),
               reinterpret_cast<LPARAM>(hwnd));
}

void Redraw(EditData& data) {
  UpdateScrollBars(data);
  InvalidateRect(data.hwnd, nullptr, FALSE);
}

bool ReadOnly(const EditData& data) {
  return (StyleOf(data) & ES_READONLY) != 0;
}

// The parent hears of an edit twice: before the display changes and after. Either
// notification may destroy the control, so the handle is checked in between.
void AfterEdit(EditData& data) {
  HWND hwnd = data.hwnd;
  data.desiredX = -1;
  Relayout(data);
  ScrollToCaret(data);
  Notify(hwnd, EN_UPDATE);
  if (!IsWindow(hwnd)) return;
  Redraw(data);
  UpdateWindow(hwnd);
  Notify(hwnd, EN_CHANGE);
}

std::string ApplyCase(const EditData& data, std::string text) {
  DWORD style = StyleOf(data);
  if (!(style & (ES_UPPERCASE | ES_LOWERCASE))) return text;
  bool upper = (style & ES_UPPERCASE) != 0;
  // Only single-byte letters change; the bytes of two-byte characters are left alone.
  for (size_t p = 0; p < text.size(); p += std::max<size_t>(1, CharLengthAt(text, p))) {
    char& c = text[p];
    if (CharLengthAt(text, p) != 1) continue;
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Line breaks as the control keeps them: CR LF in a multi-line edit; a single-line edit
// takes only the first line.
std::string NormalizeBreaks(const EditData& data, const std::string& in) {
  if (!IsMultiLine(data)) {
    size_t cut = in.find_first_of("\r\n");
    return cut == std::string::npos ? in : in.substr(0, cut);
  }
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

// A user's edit of the selection: refused when read-only, cut to the limit (EN_MAXTEXT).
void UserReplace(EditData& data, const std::string& insert) {
  if (ReadOnly(data)) return;
  bool hadSelection = data.model.hasSelection();
  std::string before = data.model.text();
  bool whole = data.model.ReplaceSelection(insert, true);
  if (!whole) Notify(data.hwnd, EN_MAXTEXT);
  if (!IsWindow(data.hwnd)) return;
  if (!hadSelection && data.model.text() == before) return;
  AfterEdit(data);
}

void Copy(EditData& data) {
  // A hidden password never leaves the control.
  if (!data.model.hasSelection() || IsPassword(data)) return;
  auto utf8 = platform::kernel::GbkToUtf8(data.model.selectedText(), false);
  if (utf8) platform::user::ActivePresenter().SetClipboardText(*utf8);
}

void Cut(EditData& data) {
  if (ReadOnly(data) || IsPassword(data) || !data.model.hasSelection()) return;
  Copy(data);
  UserReplace(data, std::string());
}

void Paste(EditData& data) {
  if (ReadOnly(data)) return;
  std::string utf8 = platform::user::ActivePresenter().GetClipboardText();
  auto gbk = platform::kernel::Utf8ToGbk(utf8, false);
  if (!gbk || gbk->empty()) return;
  UserReplace(data, ApplyCase(data, NormalizeBreaks(data, *gbk)));
}

void Clear(EditData& data) {
  if (ReadOnly(data) || !data.model.hasSelection()) return;
  UserReplace(data, std::string());
}

bool Undo(EditData& data) {
  if (ReadOnly(data) || !data.model.Undo()) return false;
  AfterEdit(data);
  return true;
}

// Moves the caret (extending the selection when asked) and shows the result.
void MoveCaret(EditData& data, size_t pos, bool extend) {
  size_t anchor = extend ? data.model.anchor() : pos;
  data.model.Select(anchor, pos);
  if (ScrollToCaret(data)) UpdateScrollBars(data);
  InvalidateRect(data.hwnd, nullptr, FALSE);
}

bool IsWordByte(const std::string& text, size_t pos) {
  if (CharLengthAt(text, pos) == 2) return true;
  unsigned char c = static_cast<unsigned char>(text[pos]);
  return std::isalnum(c) || c == '_';
}

size_t WordLeft(const std::string& text, size_t pos) {
  while (pos > 0 && !IsWordByte(text, PrevCharPos(text, pos))) pos = PrevCharPos(text, pos);
  while (pos > 0 && IsWordByte(text, PrevCharPos(text, pos))) pos = PrevCharPos(text, pos);
  return pos;
}

size_t WordRight(const std::string& text, size_t pos) {
  while (pos < text.size() && IsWordByte(text, pos)) pos = NextCharPos(text, pos);
  while (pos < text.size() && !IsWordByte(text, pos)) pos = NextCharPos(text, pos);
  return pos;
}

size_t VerticalMove(EditData& data, int lines) {
  size_t caret = data.model.caret();
  size_t line = LineOf(data, caret);
  POINT p = PointOfPos(data, caret);
  if (data.desiredX < 0) data.desiredX = p.x;
  int target =
      std::clamp(static_cast<int>(line) + lines, 0, static_cast<int>(data.lines.size()) - 1);
  RECT fmt = FormatRect(data);
  POINT q{data.desiredX, fmt.top + (target - data.firstLine) * data.lineHeight};
  int keep = data.desiredX;
  size_t pos = PosOfPoint(data, q);
  data.desiredX = keep;
  return pos;
}

void KeyDown(EditData& data, WPARAM key) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool control = GetKeyState(VK_CONTROL) < 0;
  const std::string& text = data.model.text();
  size_t caret = data.model.caret();
  bool multi = IsMultiLine(data);
  bool vertical = key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT;
  if (!vertical) data.desiredX = -1;
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
      bool left = key == VK_LEFT;
      if (!shift && data.model.hasSelection() && !control) {
        MoveCaret(data, left ? data.model.selStart() : data.model.selEnd(), false);
        return;
      }
      size_t pos = control ? (left ? WordLeft(text, caret) : WordRight(text, caret))
                           : (left ? PrevCharPos(text, caret) : NextCharPos(text, caret));
      // A line break is one step.
      if (multi && left && pos > 0 && text[pos] == '\n' && text[pos - 1] == '\r') --pos;
      if (multi && !left && pos < text.size() && text[pos - 1] == '\r' && text[pos] == '\n') ++pos;
      MoveCaret(data, pos, shift);
      return;
    }
    case VK_UP:
    case VK_DOWN:
      if (!multi) {
        MoveCaret(data, key == VK_UP ? PrevCharPos(text, caret) : NextCharPos(text, caret), shift);
        return;
      }
      MoveCaret(data, VerticalMove(data, key == VK_UP ? -1 : 1), shift);
      return;
    case VK_PRIOR:
    case VK_NEXT: {
      if (!multi) return;
      int page = std::max(1, VisibleLines(data) - 1) * (key == VK_PRIOR ? -1 : 1);
      size_t pos = VerticalMove(data, page);
      ScrollBy(data, page, 0);
      MoveCaret(data, pos, shift);
      return;
    }
    case VK_HOME:
    case VK_END: {
      size_t pos;
      if (control || !multi) {
        pos = key == VK_HOME ? 0 : text.size();
      } else {
        const Line& l = data.lines[LineOf(data, caret)];
        pos = key == VK_HOME ? l.start : l.end;
      }
      MoveCaret(data, pos, shift);
      return;
    }
    case VK_DELETE:
      if (shift) {
        Cut(data);
        return;
      }
      if (ReadOnly(data)) return;
      if (!data.model.hasSelection()) {
        if (caret >= text.size()) return;
        size_t next = NextCharPos(text, caret);
        if (text[caret] == '\r' && next < text.size() && text[next] == '\n') ++next;
        data.model.Select(caret, next);
      }
      UserReplace(data, std::string());
      return;
    case VK_INSERT:
      if (control)
        Copy(data);
      else if (shift)
        Paste(data);
      return;
    default:
      return;
  }
}

void Backspace(EditData& data) {
  if (ReadOnly(data)) return;
  if (!data.model.hasSelection()) {
    size_t caret = data.model.caret();
    if (caret == 0) return;
    const std::string& text = data.model.text();
    size_t prev = PrevCharPos(text, caret);
    if (text[prev] == '\n' && prev > 0 && text[prev - 1] == '\r') --prev;
    data.model.Select(caret, prev);
  }
  UserReplace(data, std::string());
}

void Char(EditData& data, unsigned int ch) {
  ch &= 0xFF;
  // The second byte of a two-byte character completes the one before it.
  if (data.pendingLead >= 0) {
    int lead = data.pendingLead;
    data.pendingLead = -1;
    if (IsGbkTrail(static_cast<unsigned char>(ch))) {
      if (StyleOf(data) & ES_NUMBER) return;
      std::string pair{static_cast<char>(lead), static_cast<char>(ch)};
      UserReplace(data, pair);
      return;
    }
    // A lead byte without its trail byte is dropped; this byte stands on its own.
  }
  if (IsGbkLead(static_cast<unsigned char>(ch))) {
    data.pendingLead = static_cast<int>(ch);
    return;
  }
  switch (ch) {
    case 0x01:  // Ctrl+A
      data.model.Select(0, data.model.size());
      InvalidateRect(data.hwnd, nullptr, FALSE);
      return;
    case 0x03:  // Ctrl+C
      Copy(data);
      return;
    case 0x16:  // Ctrl+V
      Paste(data);
      return;
    case 0x18:  // Ctrl+X
      Cut(data);
      return;
    case 0x1A:  // Ctrl+Z
      Undo(data);
      return;
    case '\b':
      Backspace(data);
      return;
    case '\r':
    case '\n':
      if (IsMultiLine(data)) UserReplace(data, "\r\n");
      return;
    case '\t':
      if (IsMultiLine(data)) UserReplace(data, "\t");
      return;
    default:
      break;
  }
  if (ch < 0x20 || ch == 0x7F || ch == 0x80 || ch == 0xFF) return;
  if ((StyleOf(data) & ES_NUMBER) && (ch < '0' || ch > '9')) {
    MessageBeep(0);
    return;
  }
  UserReplace(data, ApplyCase(data, std::string(1, static_cast<char>(ch))));
}

// ---- Mouse -----------------------------------------------------------------------------------

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

// ---- Messages --------------------------------------------------------------------------------

LRESULT SetSel(EditData& data, WPARAM wParam, LPARAM lParam) {
  long long start = static_cast<int>(wParam);
  long long end = static_cast<int>(lParam);
  size_t length = data.model.size();
  if (start == -1) {
    // -1 drops the selection and leaves the caret where it is.
    data.model.Select(data.model.caret(), data.model.caret());
  } else {
    if (end < 0) end = static_cast<long long>(length);
    if (start < 0) start = static_cast<long long>(length);
    data.model.Select(std::min<size_t>(static_cast<size_t>(start), length),
                      std::min<size_t>(static_cast<size_t>(end), length));
  }
  data.desiredX = -1;
  if (ScrollToCaret(data)) UpdateScrollBars(data);
  InvalidateRect(data.hwnd, nullptr, FALSE);
  return 1;
}

LRESULT GetSel(EditData& data, WPARAM wParam, LPARAM lParam) {
  auto start = static_cast<DWORD>(data.model.selStart());
  auto end = static_cast<DWORD>(data.model.selEnd());
  if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = start;
  if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = end;
  if (start > 0xFFFF || end > 0xFFFF) return -1;
  return MAKELPARAM(static_cast<int>(start), static_cast<int>(end));
}

size_t LineFromArg(const EditData& data, WPARAM wParam) {
  if (static_cast<int>(wParam) < 0) return LineOf(data, data.model.caret());
  return static_cast<size_t>(wParam);
}

LRESULT LineLength(EditData& data, WPARAM wParam) {
  if (static_cast<int>(wParam) == -1) {
    // The unselected characters of the lines the selection touches.
    if (!data.model.hasSelection()) {
      const Line& l = data.lines[LineOf(data, data.model.caret())];
      return static_cast<LRESULT>(l.end - l.start);
    }
    const Line& first = data.lines[LineOf(data, data.model.selStart())];
    const Line& last = data.lines[LineOf(data, data.model.selEnd())];
    size_t before = data.model.selStart() - first.start;
    size_t after = last.end > data.model.selEnd() ? last.end - data.model.selEnd() : 0;
    return static_cast<LRESULT>(before + after);
  }
  size_t pos = std::min<size_t>(static_cast<size_t>(wParam), data.model.size());
  if (static_cast<int>(wParam) < 0) return 0;
  const Line& l = data.lines[LineOf(data, pos)];
  return static_cast<LRESULT>(l.end - l.start);
}

LRESULT GetLine(EditData& data, WPARAM wParam, LPARAM lParam) {
  auto* buffer = reinterpret_cast<char*>(lParam);
  if (buffer == nullptr) return 0;
  WORD capacity = 0;
  std::memcpy(&capacity, buffer, sizeof capacity);
  size_t line = IsMultiLine(data) ? static_cast<size_t>(wParam) : 0;
  if (line >= data.lines.size() || capacity == 0) return 0;
  const Line& l = data.lines[line];
  size_t n = std::min<size_t>(l.end - l.start, capacity);
  // EM_GETLINE copies no terminating zero.
  std::memcpy(buffer, data.model.text().data() + l.start, n);
  return static_cast<LRESULT>(n);
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
  Notify(data.hwnd, vertical ? EN_VSCROLL : EN_HSCROLL);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  EditData* data = DataOf(hwnd);
  if (data == nullptr && message != WM_NCCREATE)
    return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE: {
      auto* fresh = new EditData;
      fresh->hwnd = hwnd;
      SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(fresh));
      SetFont(*fresh, nullptr);
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create != nullptr && reinterpret_cast<uintptr_t>(create->lpszName) > 0xFFFF) {
        fresh->model.SetText(ApplyCase(*fresh, create->lpszName));
      }
      // Multi-line edits hold documents; only single-line ones have the small default.
      if (create != nullptr && (create->style & ES_MULTILINE)) fresh->model.SetLimit(kUnlimited);
      if (create != nullptr) {
        fresh->vScrollBar = (create->style & WS_VSCROLL) != 0;
        fresh->hScrollBar = (create->style & WS_HSCROLL) != 0;
      }
      Relayout(*fresh);
      // The text lives in the model; the window keeps none of its own.
      CREATESTRUCTA copy = create != nullptr ? *create : CREATESTRUCTA{};
      copy.lpszName = nullptr;
      return DefWindowProcA(hwnd, message, wParam, reinterpret_cast<LPARAM>(&copy));
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, 0, 0);
      if (data->measure != nullptr) DeleteDC(data->measure);
      delete data;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_CREATE:
      Relayout(*data);
      UpdateScrollBars(*data);
      return 0;
    case WM_SIZE:
      Relayout(*data);
      ScrollToCaret(*data);
      Redraw(*data);
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_STYLECHANGED:
      Relayout(*data);
      Redraw(*data);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCPAINT: {
      LRESULT r = DefWindowProcA(hwnd, message, wParam, lParam);
      PaintFrame(*data);
      return r;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc != nullptr) Paint(*data, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(*data, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT:
      return SetText(*data, lParam);
    case WM_GETTEXT:
      return GetText(*data, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(data->model.size());
    case WM_SETFONT:
      SetFont(*data, reinterpret_cast<HFONT>(wParam));
      Relayout(*data);
      ScrollToCaret(*data);
      if (LOWORD(static_cast<uintptr_t>(lParam))) Redraw(*data);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(data->font != nullptr ? data->font
                                                             : GetStockObject(DEFAULT_GUI_FONT));
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (IsMultiLine(*data)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_SETFOCUS:
      data->focused = true;
      RestartBlink(*data);
      InvalidateRect(hwnd, nullptr, FALSE);
      RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      Notify(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      data->focused = false;
      // A caret blinks only where typing would go.
      KillTimer(hwnd, kCaretTimer);
      data->pendingLead = -1;
      if (data->tracking && GetCapture() == hwnd) ReleaseCapture();
      data->tracking = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      Notify(hwnd, EN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
      RestartBlink(*data);
      MouseDown(*data, lParam, false);
      return 0;
    case WM_LBUTTONDBLCLK:
      MouseDown(*data, lParam, true);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(*data, lParam);
      return 0;
    case WM_LBUTTONUP:
      if (data->tracking) {
        data->tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      data->tracking = false;
      return 0;
    case WM_MOUSEWHEEL: {
      if (!IsMultiLine(*data)) return DefWindowProcA(hwnd, message, wParam, lParam);
      int lines = -GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3;
      if (lines != 0 && ScrollBy(*data, lines, 0)) {
        Redraw(*data);
        Notify(hwnd, EN_VSCROLL);
      }
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(*data, message, wParam);
      return 0;
    case WM_KEYDOWN:
      RestartBlink(*data);
      KeyDown(*data, wParam);
      return 0;
    case WM_CHAR:
      RestartBlink(*data);
      Char(*data, static_cast<unsigned int>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam != kCaretTimer) return DefWindowProcA(hwnd, message, wParam, lParam);
      data->caretOn = !data->caretOn;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_CUT:
      Cut(*data);
      return 0;
    case WM_COPY:
      Copy(*data);
      return 0;
    case WM_PASTE:
      Paste(*data);
      return 0;
    case WM_CLEAR:
      Clear(*data);
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      return Undo(*data) ? TRUE : FALSE;
    case EM_CANUNDO:
      return data->model.CanUndo() ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
      data->model.EmptyUndo();
      return 0;
    case EM_GETSEL:
      return GetSel(*data, wParam, lParam);
    case EM_SETSEL:
      return SetSel(*data, wParam, lParam);
    case EM_REPLACESEL: {
      const char* text = reinterpret_cast<const char*>(lParam);
      if (text == nullptr) return 0;
      std::string insert = NormalizeBreaks(*data, text);
      bool whole = data->model.ReplaceSelection(insert, wParam != 0);
      if (!whole) Notify(hwnd, EN_MAXTEXT);
      if (IsWindow(hwnd)) AfterEdit(*data);
      return 0;
    }
    case EM_LIMITTEXT:
      data->model.SetLimit(wParam == 0 ? kUnlimited : static_cast<size_t>(wParam));
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(data->model.limit());
    case EM_SETREADONLY: {
      LONG style = GetWindowLongA(hwnd, GWL_STYLE);
      style = wParam ? (style | static_cast<LONG>(ES_READONLY))
                     : (style & ~static_cast<LONG>(ES_READONLY));
      SetWindowLongA(hwnd, GWL_STYLE, style);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case EM_SETPASSWORDCHAR: {
      if (IsMultiLine(*data)) return 0;
      data->passwordChar = static_cast<char>(wParam & 0xFF);
      LONG style = GetWindowLongA(hwnd, GWL_STYLE);
      style = data->passwordChar != 0 ? (style | static_cast<LONG>(ES_PASSWORD))
                                      : (style & ~static_cast<LONG>(ES_PASSWORD));
      SetWindowLongA(hwnd, GWL_STYLE, style);
      Relayout(*data);
      ScrollToCaret(*data);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case EM_GETPASSWORDCHAR:
      return (StyleOf(*data) & ES_PASSWORD) ? static_cast<unsigned char>(data->passwordChar) : 0;
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(std::max<size_t>(1, data->lines.size()));
    case EM_LINEINDEX: {
      size_t line = LineFromArg(*data, wParam);
      if (line >= data->lines.size()) return -1;
      return static_cast<LRESULT>(data->lines[line].start);
    }
    case EM_LINELENGTH:
      return LineLength(*data, wParam);
    case EM_LINEFROMCHAR: {
      if (static_cast<int>(wParam) < 0)
        return static_cast<LRESULT>(LineOf(
            *data, data->model.hasSelection() ? data->model.selStart() : data->model.caret()));
      return static_cast<LRESULT>(
          LineOf(*data, std::min<size_t>(static_cast<size_t>(wParam), data->model.size())));
    }
    case EM_GETLINE:
      return GetLine(*data, wParam, lParam);
    case EM_LINESCROLL:
      if (!IsMultiLine(*data)) return FALSE;
      if (ScrollBy(*data, static_cast<int>(lParam), static_cast<int>(wParam) * data->charWidth))
        Redraw(*data);
      return TRUE;
    case EM_SCROLL: {
      if (!IsMultiLine(*data)) return 0;
      int before = data->firstLine;
      int page = std::max(1, VisibleLines(*data) - 1);
      int delta = wParam == SB_LINEUP     ? -1
                  : wParam == SB_LINEDOWN ? 1
                  : wParam == SB_PAGEUP   ? -page
                  : wParam == SB_PAGEDOWN ? page
                                          : 0;
      if (delta == 0) return 0;
      if (ScrollBy(*data, delta, 0)) Redraw(*data);
      return MAKELPARAM(data->firstLine - before, TRUE);
    }
    case EM_SCROLLCARET:
      if (ScrollToCaret(*data)) Redraw(*data);
      return TRUE;
    case EM_GETFIRSTVISIBLELINE:
      if (IsMultiLine(*data)) return data->firstLine;
      return static_cast<LRESULT>(PosOfPoint(*data, POINT{FormatRect(*data).left, 0}));
    case EM_GETMODIFY:
      return data->model.modified() ? TRUE : FALSE;
    case EM_SETMODIFY:
      data->model.SetModified(wParam != 0);
      return 0;
    case EM_SETMARGINS: {
      int left = LOWORD(static_cast<uintptr_t>(lParam));
      int right = HIWORD(static_cast<uintptr_t>(lParam));
      if (wParam & EC_LEFTMARGIN) data->leftMargin = left == 0xFFFF ? 1 : left;
      if (wParam & EC_RIGHTMARGIN) data->rightMargin = right == 0xFFFF ? 1 : right;
      Relayout(*data);
      ScrollToCaret(*data);
      Redraw(*data);
      return 0;
    }
    case EM_GETMARGINS:
      return MAKELPARAM(data->leftMargin, data->rightMargin);
    case EM_GETRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (rect != nullptr) *rect = FormatRect(*data);
      return 0;
    }
    case EM_POSFROMCHAR: {
      size_t pos = static_cast<size_t>(wParam);
      if (pos > data->model.size()) return -1;
      POINT p = PointOfPos(*data, pos);
      return MAKELPARAM(p.x, p.y);
    }
    case EM_CHARFROMPOS: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      size_t pos = PosOfPoint(*data, p);
      return MAKELPARAM(static_cast<int>(pos), static_cast<int>(LineOf(*data, pos)));
    }
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterClass() {
  RegisterEditPainters();
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof cls;
  cls.style = CS_DBLCLKS;
  cls.lpfnWndProc = EditProc;
  cls.cbWndExtra = sizeof(void*);
  cls.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
  cls.lpszClassName = "EDIT";
  platform::user::RegisterSystemClass(cls);
}

}  // namespace platform::controls::edit

namespace platform::controls {

void RegisterEditClass() {
  edit::RegisterClass();
}

}  // namespace platform::controls
