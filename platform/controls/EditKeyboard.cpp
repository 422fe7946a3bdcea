// Typing into an edit control: navigation keys move the caret (Shift extends the
// selection, Ctrl moves by words), characters arrive as single bytes or as the two bytes of
// a GBK character in two WM_CHARs, and control characters are the editing shortcuts.
#include <algorithm>
#include <cctype>
#include <string>

#include "platform/controls/EditControl.h"
#include "platform/controls/SystemClasses.h"

namespace platform::controls::edit {

namespace {

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

}  // namespace

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

}  // namespace platform::controls::edit
