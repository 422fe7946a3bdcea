// A LOGFONTA turned into a FreeType face at a pixel size with its style, its Windows-style
// metrics and a cache of rendered glyphs. Realized fonts are shared and immutable; any
// thread may draw with them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

// One rendered glyph: 8-bit coverage (row-major, `width` bytes a row) placed with its
// top-left corner at (pen.x + left, pen.y - top), y growing downward, and the pen's advance
// in whole pixels along the baseline so that measuring and drawing agree exactly.
struct Glyph {
  int advance = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;
};

struct FontFaceHandle;  // the FreeType side, private to RealizedFont.cpp

class RealizedFont {
 public:
  LOGFONTA logFont{};   // as selected, with the face name terminated
  std::string family;   // UTF-8 name of the face that draws
  double emPixels = 0;  // character height (em square) in pixels
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  LONG weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  BYTE charSet = ANSI_CHARSET;
  BYTE pitchAndFamily = 0;  // TEXTMETRIC form (TMPF_* | FF_*)
  bool fixedPitch = false;
  // Lines below and above the baseline: top edge offset (positive = down) and thickness.
  int underlineOffset = 1;
  int underlineThickness = 1;
  int strikeOutOffset = -4;
  int strikeOutThickness = 1;
  // Direction of the baseline, counter-clockwise from the x axis.
  double escapementRadians = 0;
  bool rotated = false;

  int height() const { return ascent + descent; }

  // Glyphs for the given characters, in order (a missing glyph is the face's default
  // glyph; control characters are empty and take no room).
  void Glyphs(const char32_t* chars, size_t count,
              std::vector<std::shared_ptr<const Glyph>>* out) const;
  std::shared_ptr<const Glyph> GlyphFor(char32_t ch) const;

  // Internal to the realizer.
  std::shared_ptr<FontFaceHandle> face;
  std::shared_ptr<FontFaceHandle> fallback;  // for characters the face lacks; may be null
  uint64_t id = 0;
  double xScale = 1.0;
  bool syntheticBold = false;
  bool syntheticItalic = false;
};

// The realized font for a LOGFONTA (cached); null only when no font file at all is usable.
std::shared_ptr<const RealizedFont> RealizeFont(const LOGFONTA& logFont);

// How many glyphs the cache holds now (for tests of its bound).
size_t GlyphCacheEntries();
size_t GlyphCacheBytes();
inline constexpr size_t kGlyphCacheByteLimit = size_t{8} << 20;

}  // namespace platform::gdi
