// The sixteen film-look filters. A pass walks columns x = 0..W and rows y = 0..H, both
// bounds included, reading and writing the same surface, so a pixel to the left or above
// has already been rewritten when a neighbour reads it. That, the white beyond the right
// and bottom edges, and the low-byte writes are part of each filter's look.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>

#include "app/filters/PixelSurface.h"

namespace app {

enum class FilterKind {
  kEmboss,
  kSharpen,
  kDiffuse,
  kRects,
  kBrightness,
  kIce,
  kDark,
  kHeat,
  kStrange,
  kAqua,
  kNight,
  kAfrika,
  kBlur,
  kGreyscale,
  kComic,
  kBlackAndWhite,
};

inline constexpr int kFilterCount = 16;

// The menu entry's text, in menu order.
std::string_view FilterName(FilterKind kind);

// Diffuse's offsets. The program seeds from the clock at the start of each pass; tests
// hand in a fixed sequence.
class FilterRandom {
 public:
  virtual ~FilterRandom() = default;
  virtual void SeedFromClock() = 0;
  // low..high, both included.
  virtual int32_t Between(int32_t low, int32_t high) = 0;
};

// The runtime's own generator, as every other random draw of the program uses it.
class RuntimeRandom final : public FilterRandom {
 public:
  void SeedFromClock() override;
  int32_t Between(int32_t low, int32_t high) override;
};

// Called after the last row of each column with trunc(x / W * 100); the window moves its
// progress bar there and pumps its events. False stops the pass: the window it works for
// may have been closed meanwhile.
using ColumnDone = std::function<bool(int32_t progress)>;

void RunFilterPass(FilterKind kind, PixelSurface& surface, FilterRandom& random,
                   const ColumnDone& columnDone = {});

// Conversion of a double to an integer toward zero as the runtime does it: a 64-bit
// result of which the low 32 bits are kept; NaN and values beyond 64 bits give 0.
int32_t TruncateLow32(double v);

}  // namespace app
