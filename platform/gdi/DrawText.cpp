// DrawTextA: lines, word wrapping, alignment in a rectangle, access-key prefixes and end
// ellipses, on top of the painter that TextOutA uses.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/LineBreak.h"
#include "platform/gdi/TextPainter.h"
#include "platform/wingdi.h"

using namespace platform::gdi;

namespace {

constexpr LONG kMaxCoordinate = 1 << 27;

struct Piece {
  TextChar ch;
  bool mark = false;  // the access key after '&'
};
using Line = std::vector<Piece>;

bool IsSpace(char32_t c) {
  return IsWrapSpace(c);
}

TextChar Ascii(char c) {
  return TextChar{static_cast<unsigned char>(c), 0, 1};
}

// Turns "&x" into an underlined x and "&&" into '&'.
std::vector<Piece> StripPrefixes(const std::vector<TextChar>& chars, UINT format) {
  std::vector<Piece> out;
  out.reserve(chars.size());
  const bool prefixes = !(format & DT_NOPREFIX);
  const bool showMarks = !(format & DT_HIDEPREFIX);
  for (size_t i = 0; i < chars.size(); ++i) {
    if (prefixes && chars[i].ch == U'&') {
      if (i + 1 == chars.size()) break;
      ++i;
      Piece p{chars[i]};
      p.mark = showMarks && chars[i].ch != U'&';
      out.push_back(p);
      continue;
    }
    out.push_back(Piece{chars[i]});
  }
  return out;
}

class LineMeasure {
 public:
  LineMeasure(const RealizedFont& font, UINT format)
      : font_(font), tabStop_((format & DT_EXPANDTABS) ? std::max(1, 8 * font.aveCharWidth) : 0) {}

  // The advance of a character that starts at pen position x.
  int Advance(const Piece& p, int x) const {
    if (p.ch.ch == U'\t' && tabStop_ > 0) return tabStop_ - ((x % tabStop_) + tabStop_) % tabStop_;
    return font_.GlyphFor(p.ch.ch)->advance;
  }
  int Width(const Line& line) const {
    int x = 0;
    for (const Piece& p : line) x += Advance(p, x);
    return x;
  }
  TextRun Run(const Line& line) const {
    std::vector<TextChar> chars;
    chars.reserve(line.size());
    for (const Piece& p : line) chars.push_back(p.ch);
    TextRun run = MeasureRun(font_, std::move(chars));
    if (tabStop_ > 0) {
      run.width = 0;
      for (size_t i = 0; i < line.size(); ++i) {
        run.advances[i] = Advance(line[i], run.width);
        run.width += run.advances[i];
      }
    }
    return run;
  }

 private:
  const RealizedFont& font_;
  int tabStop_;
};

// Greedy filling: break where LineBreak allows, and inside a word only when the word
// alone is wider than the line.
void WrapParagraph(const Line& text, int maxWidth, const LineMeasure& measure,
                   std::vector<Line>* lines) {
  size_t i = 0;
  const size_t end = text.size();
  if (end == 0) {
    lines->emplace_back();
    return;
  }
  while (i < end) {
    int x = 0;
    size_t j = i;
    size_t lastBreak = i;
    while (j < end) {
      int advance = measure.Advance(text[j], x);
      if (x + advance > maxWidth && j > i && !IsSpace(text[j].ch.ch)) break;
      x += advance;
      ++j;
      if (j < end && CanBreakBetween(text[j - 1].ch.ch, text[j].ch.ch)) lastBreak = j;
    }
    size_t lineEnd = j;
    if (j < end && lastBreak > i) {
      lineEnd = lastBreak;
    } else {
      // Cut inside a word: still never before a closing mark nor after an opening one.
      while (lineEnd > i + 1 && lineEnd < end &&
             (NeverStartsLine(text[lineEnd].ch.ch) || NeverEndsLine(text[lineEnd - 1].ch.ch))) {
        --lineEnd;
      }
    }
    size_t trimmed = lineEnd;
    while (trimmed > i && IsSpace(text[trimmed - 1].ch.ch)) --trimmed;
    lines->emplace_back(text.begin() + i, text.begin() + trimmed);
    i = lineEnd;
    while (i < end && IsSpace(text[i].ch.ch)) ++i;
  }
}

// Cuts the line until it fits with "..." after it.
void AddEllipsis(Line* line, int maxWidth, const LineMeasure& measure) {
  Line dots(3, Piece{Ascii('.')});
  const int dotsWidth = measure.Width(dots);
  while (!line->empty() && measure.Width(*line) + dotsWidth > maxWidth) line->pop_back();
  line->insert(line->end(), dots.begin(), dots.end());
}

}  // namespace

int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
  auto context = LookupDC(dc);
  if (context == nullptr || rect == nullptr || text == nullptr || length < -1) return 0;
  if (std::abs(rect->left) >= kMaxCoordinate || std::abs(rect->top) >= kMaxCoordinate ||
      std::abs(rect->right) >= kMaxCoordinate || std::abs(rect->bottom) >= kMaxCoordinate) {
    return 0;
  }
  auto font = SelectedFont(*context);
  if (font == nullptr) return 0;
  size_t bytes = length == -1 ? std::strlen(text) : static_cast<size_t>(length);
  std::vector<Piece> pieces = StripPrefixes(SplitGbk(text, bytes), format);

  LineMeasure measure(*font, format);
  const int maxWidth = rect->right - rect->left;
  const bool single = (format & DT_SINGLELINE) != 0;
  const bool wrap = (format & DT_WORDBREAK) && !single;
  std::vector<Line> lines;
  if (single) {
    lines.emplace_back(pieces.begin(), pieces.end());
  } else {
    Line paragraph;
    for (size_t i = 0; i <= pieces.size(); ++i) {
      const bool atEnd = i == pieces.size();
      const char32_t c = atEnd ? 0 : pieces[i].ch.ch;
      if (!atEnd && c != U'\r' && c != U'\n') {
        paragraph.push_back(pieces[i]);
        continue;
      }
      // A text that ends with a line break has no empty line after it.
      if (atEnd && paragraph.empty() && !lines.empty()) break;
      if (wrap) {
        WrapParagraph(paragraph, maxWidth, measure, &lines);
      } else {
        lines.push_back(paragraph);
      }
      paragraph.clear();
      if (!atEnd && c == U'\r' && i + 1 < pieces.size() && pieces[i + 1].ch.ch == U'\n') ++i;
    }
  }
  if (pieces.empty()) lines.clear();

  const int lineHeight = font->height();
  if ((format & DT_END_ELLIPSIS) && !(format & DT_CALCRECT)) {
    if (wrap) {
      // Wrapped text ends with "..." on the last line that fits the rectangle's height.
      const int rectHeight = rect->bottom - rect->top;
      size_t fit = std::max<size_t>(1, rectHeight / std::max(1, lineHeight));
      if (lines.size() > fit) {
        lines.resize(fit);
        AddEllipsis(&lines.back(), maxWidth, measure);
      }
    } else {
      for (Line& line : lines) {
        if (measure.Width(line) > maxWidth) AddEllipsis(&line, maxWidth, measure);
      }
    }
  }

  std::vector<TextRun> runs;
  std::vector<std::vector<bool>> marks;
  int widest = 0;
  for (const Line& line : lines) {
    runs.push_back(measure.Run(line));
    widest = std::max(widest, runs.back().width);
    std::vector<bool> lineMarks(line.size());
    for (size_t i = 0; i < line.size(); ++i) lineMarks[i] = line[i].mark;
    marks.push_back(std::move(lineMarks));
  }
  const int total = static_cast<int>(
      std::min<int64_t>(int64_t{lineHeight} * static_cast<int64_t>(lines.size()), kMaxCoordinate));
  int top = rect->top;
  if (single && (format & DT_VCENTER)) {
    top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
  } else if (single && (format & DT_BOTTOM)) {
    top = rect->bottom - lineHeight;
  }
  const int result =
      (single && (format & (DT_VCENTER | DT_BOTTOM))) ? top + total - rect->top : total;

  if (format & DT_CALCRECT) {
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }

  POINT a = context->LogicalToDevice(rect->left, rect->top);
  POINT b = context->LogicalToDevice(rect->right, rect->bottom);
  RECT deviceRect = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x),
                     std::max(a.y, b.y)};
  TextPainter painter(*context, (format & DT_NOCLIP) ? nullptr : &deviceRect);
  const COLORREF background = context->state.bkColor;
  const COLORREF* fill = context->state.bkMode == OPAQUE ? &background : nullptr;
  for (size_t n = 0; n < runs.size(); ++n) {
    const int64_t lineTop = int64_t{top} + int64_t{lineHeight} * static_cast<int64_t>(n);
    if (lineTop >= kMaxCoordinate) break;
    const TextRun& run = runs[n];
    int x = rect->left;
    if (format & DT_CENTER) {
      x = rect->left + (maxWidth - run.width) / 2;
    } else if (format & DT_RIGHT) {
      x = rect->right - run.width;
    }
    POINT origin = context->LogicalToDevice(x, static_cast<int>(lineTop));
    painter.PaintRun(*font, run, origin.x, origin.y + font->ascent, context->state.textColor, fill,
                     &marks[n]);
  }
  return result;
}
