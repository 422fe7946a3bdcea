// Rows of raw pixel values in any surface format, and the conversion of raw values from
// one surface's format into another's. Blits and shapes work one row at a time on plain
// uint32_t arrays so that a raster operation never cares what format it runs on.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/Surface.h"

namespace platform::gdi {

// Unchecked: callers clip first.
void ReadRawRow(const Surface& surface, int x, int y, int count, uint32_t* out);
void WriteRawRow(Surface& surface, int x, int y, int count, const uint32_t* in);
// out[i] = raw value at (columns[i], y).
void GatherRawRow(const Surface& surface, const int* columns, int y, int count, uint32_t* out);

// Whether the surface is 32-bit with the usual BGRX channel layout, whose raw values are
// the BGRX words the fast paths work on.
bool IsBgrx32(const Surface& surface);

// The colours that decide conversions to and from monochrome bitmaps.
struct MonoColours {
  // Colour -> monochrome: source pixels of this colour become 1, all others 0.
  COLORREF sourceBk = RGB(255, 255, 255);
  // Monochrome -> colour: 1 becomes destBk, 0 becomes destText.
  COLORREF destText = RGB(0, 0, 0);
  COLORREF destBk = RGB(255, 255, 255);
  // Only device-dependent monochrome bitmaps take their colours from the DC; a 1-bit DIB
  // keeps its own colour table.
  bool sourceIsMonoDevice = false;
};

// Turns raw values of one format into raw values of another, chosen once per primitive.
class RawConverter {
 public:
  RawConverter(const Surface& source, const Surface& dest, const MonoColours& colours);
  ~RawConverter();
  RawConverter(const RawConverter&) = delete;
  RawConverter& operator=(const RawConverter&) = delete;

  // Raw values pass unchanged.
  bool identity() const { return kind_ == Kind::Identity; }
  void Convert(uint32_t* values, int count);
  uint32_t ConvertOne(uint32_t raw);

 private:
  enum class Kind { Identity, Table, ToMono, RgbMask, General };
  Kind kind_ = Kind::General;
  const Surface& source_;
  const Surface& dest_;
  uint32_t table_[256] = {};
  uint32_t compareMask_ = 0;
  uint32_t compareValue_ = 0;
  // Only for indexed destinations, whose nearest-colour search is costly.
  class NearestCache;
  std::unique_ptr<NearestCache> nearest_;
  uint32_t lastRaw_ = 0;
  uint32_t lastResult_ = 0;
  bool haveLast_ = false;
};

// A row of any format as BGRX words (what the area-averaging stretch works on). Monochrome
// device bitmaps become the given colours.
class BgrxRowReader {
 public:
  BgrxRowReader(const Surface& source, const MonoColours& colours);
  // Returns a pointer to `count` BGRX words of row y from x: straight into the surface when
  // it is already BGRX, else into `scratch`.
  const uint32_t* Read(int x, int y, int count, uint32_t* scratch) const;

 private:
  const Surface& source_;
  bool direct_ = false;
  bool indexed_ = false;
  uint32_t table_[256] = {};
};

}  // namespace platform::gdi
