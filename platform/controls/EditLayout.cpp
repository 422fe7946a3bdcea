// Where the edit control's text goes: lines (broken at line breaks, and wrapped in a
// multi-line edit that does not scroll sideways), positions to points and back, and the
// scrolling that keeps the caret in view.
#include <algorithm>

#include "platform/controls/EditControl.h"
#include "platform/controls/EditText.h"

namespace platform::controls::edit {

EditData::~EditData() {
  if (measure != nullptr) DeleteDC(measure);
}

DWORD StyleOf(const EditData& data) {
  return static_cast<DWORD>(GetWindowLongA(data.hwnd, GWL_STYLE));
}
bool IsMultiLine(const EditData& data) {
  return (StyleOf(data) & ES_MULTILINE) != 0;
}
bool IsPassword(const EditData& data) {
  // A multi-line edit never hides its text.
  DWORD style = StyleOf(data);
  return (style & ES_PASSWORD) && !(style & ES_MULTILINE) && data.passwordChar != 0;
}

void SetFont(EditData& data, HFONT font) {
  data.font = font;
  if (data.measure == nullptr) data.measure = CreateCompatibleDC(nullptr);
  HFONT use = font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SelectObject(data.measure, use);
  TEXTMETRICA tm{};
  if (GetTextMetricsA(data.measure, &tm)) {
    data.lineHeight = std::max<int>(1, tm.tmHeight);
    data.charWidth = std::max<int>(1, tm.tmAveCharWidth);
  }
}

RECT FormatRect(const EditData& data) {
  RECT r{};
  GetClientRect(data.hwnd, &r);
  r.left += data.leftMargin;
  r.right -= data.rightMargin;
  if (r.right < r.left) r.right = r.left;
  if (!IsMultiLine(data)) {
    // A single line sits in the middle of the control.
    int spare = (r.bottom - r.top) - data.lineHeight;
    if (spare > 0) r.top += spare / 2;
    r.bottom = r.top + data.lineHeight;
  }
  return r;
}

std::string Shown(const EditData& data, size_t start, size_t pos) {
  const std::string& text = data.model.text();
  pos = std::min(pos, text.size());
  if (pos <= start) return std::string();
  if (!IsPassword(data)) return text.substr(start, pos - start);
  size_t count = 0;
  for (size_t p = start; p < pos; p = NextCharPos(text, p)) ++count;
  return std::string(count, data.passwordChar);
}

int TextWidth(const EditData& data, const std::string& shown) {
  if (shown.empty() || data.measure == nullptr) return 0;
  // Tabs in a multi-line edit advance to the next stop of eight average characters.
  int width = 0;
  size_t from = 0;
  const int stop = data.charWidth * 8;
  while (from <= shown.size()) {
    size_t tab = shown.find('\t', from);
    size_t to = tab == std::string::npos ? shown.size() : tab;
    if (to > from) {
      SIZE size{};
      GetTextExtentPoint32A(data.measure, shown.data() + from, static_cast<int>(to - from), &size);
      width += size.cx;
    }
    if (tab == std::string::npos) break;
    width = (width / stop + 1) * stop;
    from = tab + 1;
  }
  return width;
}

namespace {

bool Wraps(const EditData& data) {
  DWORD style = StyleOf(data);
  return (style & ES_MULTILINE) && !(style & ES_AUTOHSCROLL) && !(style & WS_HSCROLL);
}

// Breaks [start, end) into lines no wider than `width`, after the last space that fits
// or, in a word too long for the line, between characters.
void WrapParagraph(const EditData& data, size_t start, size_t end, size_t next, int width,
                   std::vector<Line>& out) {
  const std::string& text = data.model.text();
  size_t lineStart = start;
  while (true) {
    size_t p = lineStart;
    size_t lastSpace = std::string::npos;
    while (p < end) {
      size_t q = NextCharPos(text, p);
      if (q > end) q = end;
      if (p > lineStart && TextWidth(data, Shown(data, lineStart, q)) > width) break;
      if (text[p] == ' ') lastSpace = q;
      p = q;
    }
    if (p >= end) {
      out.push_back({lineStart, end, next});
      return;
    }
    size_t cut = lastSpace != std::string::npos && lastSpace > lineStart ? lastSpace : p;
    out.push_back({lineStart, cut, cut});
    lineStart = cut;
  }
}

}  // namespace

void Relayout(EditData& data) {
  data.lines.clear();
  const std::string& text = data.model.text();
  if (!IsMultiLine(data)) {
    data.lines.push_back({0, text.size(), text.size()});
    return;
  }
  RECT fmt = FormatRect(data);
  int width = std::max<int>(1, fmt.right - fmt.left);
  bool wrap = Wraps(data);
  size_t start = 0;
  while (true) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string::npos ? text.size() : nl;
    size_t next = nl == std::string::npos ? text.size() : nl + 1;
    if (end > start && text[end - 1] == '\r' && nl != std::string::npos) --end;
    if (wrap)
      WrapParagraph(data, start, end, next, width, data.lines);
    else
      data.lines.push_back({start, end, next});
    if (nl == std::string::npos) break;
    start = next;
  }
  int last = static_cast<int>(data.lines.size()) - 1;
  data.firstLine = std::clamp(data.firstLine, 0, std::max(0, last));
}

size_t LineOf(const EditData& data, size_t pos) {
  if (data.lines.empty()) return 0;
  auto it = std::upper_bound(data.lines.begin(), data.lines.end(), pos,
                             [](size_t p, const Line& l) { return p < l.start; });
  size_t index = it == data.lines.begin() ? 0 : static_cast<size_t>(it - data.lines.begin()) - 1;
  // At a wrap point the position belongs to the next line, which starts there.
  return index;
}

int LineX(const EditData& data, size_t line) {
  RECT fmt = FormatRect(data);
  int x = fmt.left - data.xOffset;
  if (line >= data.lines.size()) return x;
  DWORD align = StyleOf(data) & (ES_CENTER | ES_RIGHT);
  if (align == 0) return x;
  const Line& l = data.lines[line];
  int spare = (fmt.right - fmt.left) - TextWidth(data, Shown(data, l.start, l.end));
  if (spare <= 0) return x;
  return x + (align == ES_CENTER ? spare / 2 : spare);
}

POINT PointOfPos(const EditData& data, size_t pos) {
  RECT fmt = FormatRect(data);
  size_t line = LineOf(data, pos);
  POINT p{};
  p.y = fmt.top + (static_cast<int>(line) - data.firstLine) * data.lineHeight;
  if (line < data.lines.size()) {
    const Line& l = data.lines[line];
    p.x = LineX(data, line) + TextWidth(data, Shown(data, l.start, std::min(pos, l.end)));
  } else {
    p.x = fmt.left;
  }
  return p;
}

size_t PosOfPoint(const EditData& data, POINT client) {
  if (data.lines.empty()) return 0;
  RECT fmt = FormatRect(data);
  int row = client.y < fmt.top ? -1 : (client.y - fmt.top) / data.lineHeight;
  if (client.y < fmt.top) row = (client.y - fmt.top - data.lineHeight + 1) / data.lineHeight;
  int index = std::clamp(data.firstLine + row, 0, static_cast<int>(data.lines.size()) - 1);
  if (!IsMultiLine(data)) index = 0;
  const Line& l = data.lines[static_cast<size_t>(index)];
  const std::string& text = data.model.text();
  int x0 = LineX(data, static_cast<size_t>(index));
  size_t best = l.start;
  int bestDistance = std::abs(client.x - x0);
  for (size_t p = l.start; p < l.end;) {
    size_t q = std::min(NextCharPos(text, p), l.end);
    int x = x0 + TextWidth(data, Shown(data, l.start, q));
    int distance = std::abs(client.x - x);
    if (distance < bestDistance) {
      best = q;
      bestDistance = distance;
    }
    if (x > client.x) break;
    p = q;
  }
  return best;
}

int VisibleLines(const EditData& data) {
  RECT fmt = FormatRect(data);
  return std::max(1, static_cast<int>((fmt.bottom - fmt.top) / data.lineHeight));
}

namespace {

int LongestLine(const EditData& data) {
  int widest = 0;
  for (const Line& l : data.lines) {
    widest = std::max(widest, TextWidth(data, Shown(data, l.start, l.end)));
  }
  return widest;
}

}  // namespace

bool ScrollToCaret(EditData& data) {
  int oldFirst = data.firstLine, oldX = data.xOffset;
  size_t caret = data.model.caret();
  if (IsMultiLine(data)) {
    int line = static_cast<int>(LineOf(data, caret));
    int visible = VisibleLines(data);
    if (line < data.firstLine) data.firstLine = line;
    if (line >= data.firstLine + visible) data.firstLine = line - visible + 1;
  }
  if (!Wraps(data)) {
    RECT fmt = FormatRect(data);
    int width = fmt.right - fmt.left;
    size_t line = LineOf(data, caret);
    const Line& l = data.lines[std::min(line, data.lines.size() - 1)];
    int x = TextWidth(data, Shown(data, l.start, caret));
    // Jump by a third of the width so typing does not scroll on every character.
    if (x - data.xOffset > width - 1) data.xOffset = x - width + 1 + width / 3;
    if (x < data.xOffset) data.xOffset = std::max(0, x - width / 3);
    if (data.xOffset > 0) {
      int widest = IsMultiLine(data) ? LongestLine(data) : TextWidth(data, Shown(data, 0, l.end));
      // Do not leave blank space on the right once the text fits again.
      if (widest - data.xOffset < width - 1)
        data.xOffset = std::max(0, std::min(data.xOffset, widest - width + 1));
      if (x < data.xOffset) data.xOffset = x;
    }
  } else {
    data.xOffset = 0;
  }
  return oldFirst != data.firstLine || oldX != data.xOffset;
}

bool ScrollBy(EditData& data, int lines, int pixels) {
  int oldFirst = data.firstLine, oldX = data.xOffset;
  if (IsMultiLine(data)) {
    int maxFirst = std::max(0, static_cast<int>(data.lines.size()) - 1);
    data.firstLine = std::clamp(data.firstLine + lines, 0, maxFirst);
  }
  if (!Wraps(data)) {
    int widest = LongestLine(data);
    data.xOffset = std::clamp(data.xOffset + pixels, 0, std::max(0, widest));
  }
  return oldFirst != data.firstLine || oldX != data.xOffset;
}

void UpdateScrollBars(EditData& data) {
  // The bars stay in place, greyed while everything fits, as a text field's bars do.
  if (data.vScrollBar) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, static_cast<int>(data.lines.size()) - 1);
    si.nPage = static_cast<UINT>(VisibleLines(data));
    si.nPos = data.firstLine;
    SetScrollInfo(data.hwnd, SB_VERT, &si, TRUE);
  }
  if (data.hScrollBar) {
    RECT fmt = FormatRect(data);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, LongestLine(data));
    si.nPage = static_cast<UINT>(std::max<LONG>(1, fmt.right - fmt.left));
    si.nPos = data.xOffset;
    SetScrollInfo(data.hwnd, SB_HORZ, &si, TRUE);
  }
}

}  // namespace platform::controls::edit
