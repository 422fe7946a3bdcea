// Pixel storage shared by bitmaps, DIB sections and window surfaces.
//
// Rows are `stride` bytes (a multiple of 4, as in DIBs). Row 0 in memory is the top row of
// the picture when `topDown`, else its bottom row. Device-dependent bitmaps are 32-bit
// BGRX top-down or 1-bit top-down; DIB sections keep the layout their header asked for so
// that the program can write their bits directly.
//
// Raw pixel values are the bits a pixel holds in its own format (an index for 1, 4 and 8
// bits, packed fields for 16, 0x00RRGGBB for 24 and 32 bits). Colours are COLORREF
// (0x00BBGGRR). Raster operations work on raw values, as on Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gdi/SurfaceDamage.h"
#include "platform/gdi/SurfaceMutex.h"
#include "platform/wingdi.h"

namespace platform::gdi {

class Surface {
 public:
  // A zero-filled surface; null when the size is not representable (negative, zero or
  // beyond the limits below).
  static std::shared_ptr<Surface> Create(int width, int height, int bitCount, bool topDown);
  // A surface over caller-owned memory (the bits of a DIB section live as long as the
  // section object, which owns them through `owned`).
  Surface(int width, int height, int bitCount, bool topDown);

  // Largest side and largest pixel count we accept for one surface.
  static constexpr int kMaxSide = 1 << 15;
  static constexpr int64_t kMaxPixels = int64_t{1} << 28;

  int width() const { return width_; }
  int height() const { return height_; }
  int bitCount() const { return bitCount_; }
  int stride() const { return stride_; }
  bool topDown() const { return topDown_; }
  uint8_t* bits() { return bits_; }
  const uint8_t* bits() const { return bits_; }
  size_t byteSize() const { return static_cast<size_t>(stride_) * static_cast<size_t>(height_); }

  // The row that shows picture line y (0 = top), whatever the memory order.
  uint8_t* Row(int y) {
    return bits_ + static_cast<size_t>(topDown_ ? y : height_ - 1 - y) * stride_;
  }
  const uint8_t* Row(int y) const {
    return bits_ + static_cast<size_t>(topDown_ ? y : height_ - 1 - y) * stride_;
  }

  // Palette for 1, 4 and 8 bits (a 1-bit device bitmap has black, white).
  std::vector<RGBQUAD>& palette() { return palette_; }
  const std::vector<RGBQUAD>& palette() const { return palette_; }
  // Channel masks for 16 and 32 bits (defaults 0x7C00/0x03E0/0x001F and 0xFF0000/0xFF00/0xFF).
  void SetMasks(DWORD red, DWORD green, DWORD blue);
  const DWORD* masks() const { return masks_; }
  // 32 bits with the default masks: raw values are BGRX, the layout of window surfaces.
  bool isPlainBgrx() const { return plainBgrx_; }
  bool isMonochrome() const { return bitCount_ == 1; }

  // Unchecked access; callers clip first.
  uint32_t ReadRaw(int x, int y) const;
  void WriteRaw(int x, int y, uint32_t raw);
  COLORREF RawToColor(uint32_t raw) const;
  // Nearest palette entry for indexed formats; packed fields otherwise.
  uint32_t ColorToRaw(COLORREF color) const;
  // All bits of a raw value in this format set (1, 0xF, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF).
  uint32_t RawMask() const;

  // Taken once per drawing primitive: two threads may draw into one surface.
  SurfaceMutex& lock() { return lock_; }

  // Window surfaces record what is drawn on them, so that the screen copies only that.
  // From this call on the whole surface counts as drawn; `onFirstDamage` runs (with the
  // lock held, so it must not take the lock of any surface) each time the record goes from
  // empty to not empty, which tells whoever shows the surface once per batch of drawing.
  void TrackDamage(std::function<void()> onFirstDamage);
  bool tracksDamage() const { return damage_ != nullptr; }
  // With the lock held, by every primitive that writes: `area` (surface coordinates,
  // clipped to the surface) has new pixels. Costs one test on untracked surfaces.
  void NoteDrawn(const RECT& area) {
    if (damage_ != nullptr) AddDamage(area);
  }
  // With the lock held: what was drawn since the last call, emptied.
  std::vector<RECT> TakeDamage();

  // Storage: either owned here or handed in (DIB sections over their own buffer).
  void AttachStorage(std::unique_ptr<uint8_t[]> storage);
  void AttachExternal(uint8_t* bits) { bits_ = bits; }

 private:
  int width_;
  int height_;
  int bitCount_;
  int stride_;
  bool topDown_;
  uint8_t* bits_ = nullptr;
  std::unique_ptr<uint8_t[]> storage_;
  std::vector<RGBQUAD> palette_;
  DWORD masks_[3] = {0, 0, 0};
  bool plainBgrx_ = false;
  SurfaceMutex lock_;
  struct DamageRecord {
    SurfaceDamage rects;
    std::function<void()> onFirstDamage;
  };
  [[gnu::noinline]] void AddDamage(const RECT& area);
  std::unique_ptr<DamageRecord> damage_;
};

// Bytes in one DWORD-aligned row of `width` pixels at `bitCount` bits (0 on overflow).
int DibStride(int width, int bitCount);

inline uint32_t ColorToBgrx(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF BgrxToColor(uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

}  // namespace platform::gdi
