#include "platform/gdi/TextPainter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::gdi {
namespace {

bool Intersect(const RECT& a, const RECT& b, RECT* out) {
  out->left = std::max(a.left, b.left);
  out->top = std::max(a.top, b.top);
  out->right = std::min(a.right, b.right);
  out->bottom = std::min(a.bottom, b.bottom);
  return out->left < out->right && out->top < out->bottom;
}

inline uint32_t Mix(uint32_t dst, uint32_t src, uint32_t a) {
  // Rounded (src * a + dst * (255 - a)) / 255 per channel.
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    uint32_t d = (dst >> shift) & 0xFF, s = (src >> shift) & 0xFF;
    uint32_t v = s * a + d * (255 - a) + 128;
    v = (v + (v >> 8)) >> 8;
    out |= v << shift;
  }
  return out;
}

constexpr int kMaxAdvance = 1 << 16;
constexpr int64_t kMaxRunWidth = int64_t{1} << 27;

bool IsPlainBgrx(const Surface& s) {
  if (s.bitCount() != 32) return false;
  const DWORD* m = s.masks();
  return (m[0] == 0 && m[1] == 0 && m[2] == 0) ||
         (m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF);
}

}  // namespace

LOGFONTA DefaultGuiLogFont() {
  LOGFONTA lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(lf.lfFaceName, "WenQuanYi Micro Hei", LF_FACESIZE - 1);
  return lf;
}

std::shared_ptr<const RealizedFont> SelectedFont(const DeviceContext& dc) {
  if (dc.state.font != nullptr) {
    if (auto font = RealizeFont(dc.state.font->logFont)) return font;
  }
  return RealizeFont(DefaultGuiLogFont());
}

TextRun MeasureRun(const RealizedFont& font, std::vector<TextChar> chars, const INT* dx,
                   size_t dxCount) {
  TextRun run;
  run.chars = std::move(chars);
  std::vector<char32_t> codes(run.chars.size());
  for (size_t i = 0; i < run.chars.size(); ++i) codes[i] = run.chars[i].ch;
  font.Glyphs(codes.data(), codes.size(), &run.glyphs);
  run.advances.resize(run.chars.size());
  int64_t width = 0;
  for (size_t i = 0; i < run.chars.size(); ++i) {
    int advance = run.glyphs[i]->advance;
    if (dx != nullptr) {
      advance = 0;
      for (int b = 0; b < run.chars[i].bytes; ++b) {
        size_t at = static_cast<size_t>(run.chars[i].offset + b);
        if (at < dxCount) advance += dx[at];
      }
    }
    // Absurd spacing from a caller must not overflow the pen.
    advance = std::clamp(advance, -kMaxAdvance, kMaxAdvance);
    run.advances[i] = advance;
    width += advance;
  }
  run.width = static_cast<int>(std::clamp<int64_t>(width, -kMaxRunWidth, kMaxRunWidth));
  return run;
}

TextPainter::TextPainter(DeviceContext& dc, const RECT* deviceClip) {
  if (dc.surface == nullptr) return;
  origin_ = dc.surfaceOrigin;
  Region area = dc.ClipArea();
  if (deviceClip != nullptr) {
    RECT r = {deviceClip->left + origin_.x, deviceClip->top + origin_.y,
              deviceClip->right + origin_.x, deviceClip->bottom + origin_.y};
    area.IntersectWith(r);
  }
  clip_ = area.rects();
  surface_ = dc.surface;
  lock_ = std::unique_lock(surface_->lock());
}

TextPainter::~TextPainter() {
  if (surface_ != nullptr && touched_.right > touched_.left) surface_->NoteDrawn(touched_);
}

void TextPainter::Touch(const RECT& r) {
  if (touched_.right <= touched_.left) {
    touched_ = r;
    return;
  }
  touched_ = {std::min(touched_.left, r.left), std::min(touched_.top, r.top),
              std::max(touched_.right, r.right), std::max(touched_.bottom, r.bottom)};
}

void TextPainter::FillSurfaceRect(const RECT& rect, uint32_t raw) {
  Surface& s = *surface_;
  for (const RECT& c : clip_) {
    RECT r;
    if (!Intersect(rect, c, &r)) continue;
    Touch(r);
    for (int y = r.top; y < r.bottom; ++y) {
      if (s.bitCount() == 32) {
        auto* row = reinterpret_cast<uint32_t*>(s.Row(y));
        std::fill(row + r.left, row + r.right, raw);
      } else {
        for (int x = r.left; x < r.right; ++x) s.WriteRaw(x, y, raw);
      }
    }
  }
}

void TextPainter::FillDeviceRect(const RECT& rect, COLORREF color) {
  if (!CanDraw()) return;
  RECT r = {rect.left + origin_.x, rect.top + origin_.y, rect.right + origin_.x,
            rect.bottom + origin_.y};
  FillSurfaceRect(r, surface_->ColorToRaw(color));
}

void TextPainter::FillBox(const RealizedFont& font, double ox, double oy, int u0, int u1, int v0,
                          int v1, COLORREF color) {
  if (u0 >= u1 || v0 >= v1) return;
  if (!font.rotated) {
    int x = static_cast<int>(std::lround(ox)), y = static_cast<int>(std::lround(oy));
    FillDeviceRect({x + u0, y + v0, x + u1, y + v1}, color);
    return;
  }
  const double c = std::cos(font.escapementRadians), s = std::sin(font.escapementRadians);
  // Corners in surface coordinates bound the pixels whose centres may fall inside.
  double sx = ox + origin_.x, sy = oy + origin_.y;
  double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18;
  for (int u : {u0, u1}) {
    for (int v : {v0, v1}) {
      double px = sx + u * c + v * s, py = sy - u * s + v * c;
      minX = std::min(minX, px), maxX = std::max(maxX, px);
      minY = std::min(minY, py), maxY = std::max(maxY, py);
    }
  }
  const double limit = 1 << 30;
  if (minX < -limit || minY < -limit || maxX > limit || maxY > limit) return;
  RECT bounds = {static_cast<LONG>(std::floor(minX)), static_cast<LONG>(std::floor(minY)),
                 static_cast<LONG>(std::ceil(maxX)) + 1, static_cast<LONG>(std::ceil(maxY)) + 1};
  const uint32_t raw = surface_->ColorToRaw(color);
  for (const RECT& clip : clip_) {
    RECT r;
    if (!Intersect(bounds, clip, &r)) continue;
    Touch(r);
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        double rx = x + 0.5 - sx, ry = y + 0.5 - sy;
        double u = rx * c - ry * s, v = rx * s + ry * c;
        if (u >= u0 && u < u1 && v >= v0 && v < v1) surface_->WriteRaw(x, y, raw);
      }
    }
  }
}

void TextPainter::DrawGlyph(const Glyph& glyph, int x, int y, COLORREF color) {
  if (glyph.width <= 0 || glyph.height <= 0) return;
  Surface& s = *surface_;
  const RECT box = {x + origin_.x, y + origin_.y, x + origin_.x + glyph.width,
                    y + origin_.y + glyph.height};
  const uint32_t raw = s.ColorToRaw(color);
  const bool bgrx = IsPlainBgrx(s);
  const uint32_t src = bgrx ? raw & 0xFFFFFF : ColorToBgrx(color);
  for (const RECT& clip : clip_) {
    RECT r;
    if (!Intersect(box, clip, &r)) continue;
    Touch(r);
    for (int py = r.top; py < r.bottom; ++py) {
      const uint8_t* line = glyph.coverage.data() + static_cast<size_t>(py - box.top) * glyph.width;
      auto cover = [&](int px) -> uint32_t { return line[px - box.left]; };
      if (bgrx) {
        auto* row = reinterpret_cast<uint32_t*>(s.Row(py));
        for (int px = r.left; px < r.right; ++px) {
          uint32_t a = cover(px);
          if (a == 0) continue;
          row[px] = a == 255 ? src : Mix(row[px] & 0xFFFFFF, src, a);
        }
      } else if (s.bitCount() == 1) {
        // No shades on a monochrome bitmap: a pixel is ink when mostly covered.
        for (int px = r.left; px < r.right; ++px) {
          if (cover(px) >= 128) s.WriteRaw(px, py, raw);
        }
      } else {
        for (int px = r.left; px < r.right; ++px) {
          uint32_t a = cover(px);
          if (a == 0) continue;
          if (a == 255) {
            s.WriteRaw(px, py, raw);
            continue;
          }
          uint32_t under = ColorToBgrx(s.RawToColor(s.ReadRaw(px, py)));
          s.WriteRaw(px, py, s.ColorToRaw(BgrxToColor(Mix(under, src, a))));
        }
      }
    }
  }
}

void TextPainter::PaintRun(const RealizedFont& font, const TextRun& run, double x, double y,
                           COLORREF text, const COLORREF* background,
                           const std::vector<bool>* marks) {
  if (!CanDraw()) return;
  if (background != nullptr)
    FillBox(font, x, y, 0, run.width, -font.ascent, font.descent, *background);
  const double c = std::cos(font.escapementRadians), s = std::sin(font.escapementRadians);
  int pen = 0;
  for (size_t i = 0; i < run.glyphs.size(); ++i) {
    const Glyph& g = *run.glyphs[i];
    int gx, gy;
    if (font.rotated) {
      gx = static_cast<int>(std::lround(x + pen * c)) + g.left;
      gy = static_cast<int>(std::lround(y - pen * s)) - g.top;
    } else {
      gx = static_cast<int>(std::lround(x)) + pen + g.left;
      gy = static_cast<int>(std::lround(y)) - g.top;
    }
    DrawGlyph(g, gx, gy, text);
    if (marks != nullptr && i < marks->size() && (*marks)[i]) {
      FillBox(font, x, y, pen, pen + run.advances[i], font.underlineOffset,
              font.underlineOffset + font.underlineThickness, text);
    }
    pen += run.advances[i];
  }
  if (font.underline) {
    FillBox(font, x, y, 0, run.width, font.underlineOffset,
            font.underlineOffset + font.underlineThickness, text);
  }
  if (font.strikeOut) {
    FillBox(font, x, y, 0, run.width, font.strikeOutOffset,
            font.strikeOutOffset + font.strikeOutThickness, text);
  }
}

}  // namespace platform::gdi
