// What programs ask of an edit control: the EM_ messages (selection, lines, limits,
// margins, scrolling, positions) and the clipboard and undo commands.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/controls/EditControl.h"
#include "platform/controls/SystemClasses.h"

namespace platform::controls::edit {

namespace {

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

// A program's edit: unlike typing it is not refused when read-only, and the program says
// whether it can be undone.
void ReplaceSel(EditData& data, const char* text, bool canUndo) {
  if (text == nullptr) return;
  std::string insert = NormalizeBreaks(data, text);
  bool whole = data.model.ReplaceSelection(insert, canUndo);
  if (!whole) NotifyParent(data.hwnd, EN_MAXTEXT);
  if (IsWindow(data.hwnd)) AfterEdit(data);
}

void SetStyleBit(const EditData& data, DWORD bit, bool on) {
  LONG style = GetWindowLongA(data.hwnd, GWL_STYLE);
  style = on ? (style | static_cast<LONG>(bit)) : (style & ~static_cast<LONG>(bit));
  SetWindowLongA(data.hwnd, GWL_STYLE, style);
}

// Zero shows the text again. Multi-line edits never hide their text.
void SetPasswordChar(EditData& data, char c) {
  if (IsMultiLine(data)) return;
  data.passwordChar = c;
  SetStyleBit(data, ES_PASSWORD, c != 0);
  Relayout(data);
  ScrollToCaret(data);
  InvalidateRect(data.hwnd, nullptr, TRUE);
}

// EM_SCROLL: by a line or a page; answers how many lines the view moved.
LRESULT ScrollByCode(EditData& data, WPARAM code) {
  if (!IsMultiLine(data)) return 0;
  int before = data.firstLine;
  int page = std::max(1, VisibleLines(data) - 1);
  int delta = code == SB_LINEUP     ? -1
              : code == SB_LINEDOWN ? 1
              : code == SB_PAGEUP   ? -page
              : code == SB_PAGEDOWN ? page
                                    : 0;
  if (delta == 0) return 0;
  if (ScrollBy(data, delta, 0)) Redraw(data);
  return MAKELPARAM(data.firstLine - before, TRUE);
}

// 0xFFFF for a margin asks for the font's default, which is one pixel here.
void SetMargins(EditData& data, WPARAM which, LPARAM margins) {
  int left = LOWORD(static_cast<uintptr_t>(margins));
  int right = HIWORD(static_cast<uintptr_t>(margins));
  if (which & EC_LEFTMARGIN) data.leftMargin = left == 0xFFFF ? 1 : left;
  if (which & EC_RIGHTMARGIN) data.rightMargin = right == 0xFFFF ? 1 : right;
  Relayout(data);
  ScrollToCaret(data);
  Redraw(data);
}

}  // namespace

LRESULT EditCommand(EditData& data, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CUT:
      Cut(data);
      return 0;
    case WM_COPY:
      Copy(data);
      return 0;
    case WM_PASTE:
      Paste(data);
      return 0;
    case WM_CLEAR:
      Clear(data);
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      return Undo(data) ? TRUE : FALSE;
    case EM_CANUNDO:
      return data.model.CanUndo() ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
      data.model.EmptyUndo();
      return 0;
    case EM_GETSEL:
      return GetSel(data, wParam, lParam);
    case EM_SETSEL:
      return SetSel(data, wParam, lParam);
    case EM_REPLACESEL:
      ReplaceSel(data, reinterpret_cast<const char*>(lParam), wParam != 0);
      return 0;
    case EM_LIMITTEXT:
      data.model.SetLimit(wParam == 0 ? kUnlimited : static_cast<size_t>(wParam));
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(data.model.limit());
    case EM_SETREADONLY:
      SetStyleBit(data, ES_READONLY, wParam != 0);
      InvalidateRect(data.hwnd, nullptr, TRUE);
      return TRUE;
    case EM_SETPASSWORDCHAR:
      SetPasswordChar(data, static_cast<char>(wParam & 0xFF));
      return 0;
    case EM_GETPASSWORDCHAR:
      return (StyleOf(data) & ES_PASSWORD) ? static_cast<unsigned char>(data.passwordChar) : 0;
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(std::max<size_t>(1, data.lines.size()));
    case EM_LINEINDEX: {
      size_t line = LineFromArg(data, wParam);
      if (line >= data.lines.size()) return -1;
      return static_cast<LRESULT>(data.lines[line].start);
    }
    case EM_LINELENGTH:
      return LineLength(data, wParam);
    case EM_LINEFROMCHAR: {
      if (static_cast<int>(wParam) < 0)
        return static_cast<LRESULT>(
            LineOf(data, data.model.hasSelection() ? data.model.selStart() : data.model.caret()));
      return static_cast<LRESULT>(
          LineOf(data, std::min<size_t>(static_cast<size_t>(wParam), data.model.size())));
    }
    case EM_GETLINE:
      return GetLine(data, wParam, lParam);
    case EM_LINESCROLL:
      if (!IsMultiLine(data)) return FALSE;
      if (ScrollBy(data, static_cast<int>(lParam), static_cast<int>(wParam) * data.charWidth))
        Redraw(data);
      return TRUE;
    case EM_SCROLL:
      return ScrollByCode(data, wParam);
    case EM_SCROLLCARET:
      if (ScrollToCaret(data)) Redraw(data);
      return TRUE;
    case EM_GETFIRSTVISIBLELINE:
      if (IsMultiLine(data)) return data.firstLine;
      return static_cast<LRESULT>(PosOfPoint(data, POINT{FormatRect(data).left, 0}));
    case EM_GETMODIFY:
      return data.model.modified() ? TRUE : FALSE;
    case EM_SETMODIFY:
      data.model.SetModified(wParam != 0);
      return 0;
    case EM_SETMARGINS:
      SetMargins(data, wParam, lParam);
      return 0;
    case EM_GETMARGINS:
      return MAKELPARAM(data.leftMargin, data.rightMargin);
    case EM_GETRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (rect != nullptr) *rect = FormatRect(data);
      return 0;
    }
    case EM_POSFROMCHAR: {
      size_t pos = static_cast<size_t>(wParam);
      if (pos > data.model.size()) return -1;
      POINT p = PointOfPos(data, pos);
      return MAKELPARAM(p.x, p.y);
    }
    case EM_CHARFROMPOS: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      size_t pos = PosOfPoint(data, p);
      return MAKELPARAM(static_cast<int>(pos), static_cast<int>(LineOf(data, pos)));
    }
    default:
      return DefWindowProcA(data.hwnd, message, wParam, lParam);
  }
}

}  // namespace platform::controls::edit
