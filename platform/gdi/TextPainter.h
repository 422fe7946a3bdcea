// Measuring and painting lines of text for TextOutA, ExtTextOutA and DrawTextA. A painter
// clips once and holds the target surface's lock for its whole life, so one call draws
// all its lines under a single lock.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GbkChars.h"
#include "platform/gdi/RealizedFont.h"

namespace platform::gdi {

// The font a DC draws with now (the default GUI font when none was selected).
std::shared_ptr<const RealizedFont> SelectedFont(const DeviceContext& dc);
// LOGFONTA of DEFAULT_GUI_FONT.
LOGFONTA DefaultGuiLogFont();

// One line of text with each character's glyph and pen advance.
struct TextRun {
  std::vector<TextChar> chars;
  std::vector<std::shared_ptr<const Glyph>> glyphs;
  std::vector<int> advances;
  int width = 0;
};

// `dx`, when given, holds one advance per byte of the text the characters came from (as
// ExtTextOutA's array does); a double-byte character advances by the sum of its two.
TextRun MeasureRun(const RealizedFont& font, std::vector<TextChar> chars, const INT* dx = nullptr,
                   size_t dxCount = 0);

class TextPainter {
 public:
  // `deviceClip`, when given, limits drawing to that device rectangle as well.
  TextPainter(DeviceContext& dc, const RECT* deviceClip);
  // Records what was drawn while the lock is still held.
  ~TextPainter();
  TextPainter(const TextPainter&) = delete;
  TextPainter& operator=(const TextPainter&) = delete;

  bool CanDraw() const { return surface_ != nullptr && !clip_.empty(); }
  void FillDeviceRect(const RECT& rect, COLORREF color);
  // Paints a run whose baseline starts at device point (x, y) along the font's escapement.
  // With `background`, the text cell (advance by ascent + descent) is filled first;
  // `marks` flags characters to underline (access keys).
  void PaintRun(const RealizedFont& font, const TextRun& run, double x, double y, COLORREF text,
                const COLORREF* background, const std::vector<bool>* marks = nullptr);

 private:
  // A box in the run's frame: u along the baseline from (ox, oy), v downward across it.
  void FillBox(const RealizedFont& font, double ox, double oy, int u0, int u1, int v0, int v1,
               COLORREF color);
  void DrawGlyph(const Glyph& glyph, int x, int y, COLORREF color);
  void FillSurfaceRect(const RECT& rect, uint32_t raw);
  // Grows the bounds of what this painter drew.
  void Touch(const RECT& surfaceRect);

  std::shared_ptr<Surface> surface_;
  std::unique_lock<SurfaceMutex> lock_;
  std::vector<RECT> clip_;    // surface coordinates
  POINT origin_{0, 0};        // device -> surface
  RECT touched_{0, 0, 0, 0};  // surface coordinates; empty until something is drawn
};

}  // namespace platform::gdi
