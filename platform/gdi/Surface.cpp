#include "platform/gdi/Surface.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/gdi/StandardPalettes.h"

namespace platform::gdi {

namespace {

bool IsSupportedBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

// A channel mask as a shift and a field width. The width spans from the lowest to the
// highest set bit, so a mask with holes still yields values that fit in `width` bits.
struct Field {
  int shift = 0;
  int width = 0;
};

Field FieldOf(DWORD mask) {
  if (mask == 0) return {};
  Field f;
  f.shift = __builtin_ctz(mask);
  f.width = 32 - __builtin_clz(mask) - f.shift;
  return f;
}

// Widens a field value to 8 bits by repeating its bits, so that all ones stays 255.
uint32_t WidenTo8(uint32_t value, int width) {
  if (width <= 0) return 0;
  if (width >= 8) return (value >> (width - 8)) & 0xFF;
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << width) | value;
    filled += width;
  }
  return (out >> (filled - 8)) & 0xFF;
}

uint32_t NarrowFrom8(uint32_t value, int width) {
  if (width <= 0) return 0;
  if (width <= 8) return value >> (8 - width);
  // Wider than 8 bits: repeat the byte downwards so that 255 becomes all ones.
  uint64_t out = 0;
  int filled = 0;
  while (filled < width) {
    out = (out << 8) | value;
    filled += 8;
  }
  return static_cast<uint32_t>(out >> (filled - width));
}

}  // namespace

int DibStride(int width, int bitCount) {
  if (width <= 0 || bitCount <= 0) return 0;
  int64_t bits = static_cast<int64_t>(width) * bitCount;
  int64_t stride = ((bits + 31) / 32) * 4;
  if (stride > std::numeric_limits<int>::max()) return 0;
  return static_cast<int>(stride);
}

Surface::Surface(int width, int height, int bitCount, bool topDown)
    : width_(width),
      height_(height),
      bitCount_(bitCount),
      stride_(DibStride(width, bitCount)),
      topDown_(topDown) {
  switch (bitCount) {
    case 1:
      palette_ = MonochromePalette();
      break;
    case 4:
      palette_ = VgaPalette();
      break;
    case 8:
      palette_ = HalftonePalette();
      break;
    case 16:
      SetMasks(0x7C00, 0x03E0, 0x001F);
      break;
    case 24:
    case 32:
      SetMasks(0xFF0000, 0x00FF00, 0x0000FF);
      break;
    default:
      break;
  }
}

std::shared_ptr<Surface> Surface::Create(int width, int height, int bitCount, bool topDown) {
  if (!IsSupportedBitCount(bitCount)) return nullptr;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  if (static_cast<int64_t>(width) * height > kMaxPixels) return nullptr;
  auto surface = std::make_shared<Surface>(width, height, bitCount, topDown);
  if (surface->stride() == 0) return nullptr;
  std::unique_ptr<uint8_t[]> storage(new (std::nothrow) uint8_t[surface->byteSize()]());
  if (!storage) return nullptr;
  surface->AttachStorage(std::move(storage));
  return surface;
}

void Surface::AttachStorage(std::unique_ptr<uint8_t[]> storage) {
  storage_ = std::move(storage);
  bits_ = storage_.get();
}

void Surface::SetMasks(DWORD red, DWORD green, DWORD blue) {
  masks_[0] = red;
  masks_[1] = green;
  masks_[2] = blue;
  plainBgrx_ = bitCount_ == 32 && red == 0xFF0000 && green == 0xFF00 && blue == 0xFF;
}

void Surface::TrackDamage(std::function<void()> onFirstDamage) {
  damage_ = std::make_unique<DamageRecord>();
  damage_->onFirstDamage = std::move(onFirstDamage);
  damage_->rects.Add(RECT{0, 0, width_, height_});
}

void Surface::AddDamage(const RECT& area) {
  const RECT clipped{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0),
                     std::min<LONG>(area.right, width_), std::min<LONG>(area.bottom, height_)};
  if (damage_->rects.Add(clipped) && damage_->onFirstDamage) damage_->onFirstDamage();
}

std::vector<RECT> Surface::TakeDamage() {
  return damage_ != nullptr ? damage_->rects.Take() : std::vector<RECT>{};
}

uint32_t Surface::RawMask() const {
  return bitCount_ >= 32 ? 0xFFFFFFFFu : ((1u << bitCount_) - 1);
}

uint32_t Surface::ReadRaw(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (bitCount_) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8:
      return row[x];
    case 16:
      return static_cast<uint32_t>(row[2 * x]) | (static_cast<uint32_t>(row[2 * x + 1]) << 8);
    case 24: {
      const uint8_t* p = row + 3 * x;
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16);
    }
    case 32: {
      uint32_t v;
      std::memcpy(&v, row + 4 * static_cast<size_t>(x), 4);
      return v;
    }
    default:
      return 0;
  }
}

void Surface::WriteRaw(int x, int y, uint32_t raw) {
  uint8_t* row = Row(y);
  switch (bitCount_) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      if (raw & 1)
        row[x >> 3] |= bit;
      else
        row[x >> 3] &= static_cast<uint8_t>(~bit);
      break;
    }
    case 4: {
      uint8_t& b = row[x >> 1];
      if (x & 1)
        b = static_cast<uint8_t>((b & 0xF0) | (raw & 0x0F));
      else
        b = static_cast<uint8_t>((b & 0x0F) | ((raw & 0x0F) << 4));
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(raw);
      break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(raw);
      row[2 * x + 1] = static_cast<uint8_t>(raw >> 8);
      break;
    case 24: {
      uint8_t* p = row + 3 * x;
      p[0] = static_cast<uint8_t>(raw);
      p[1] = static_cast<uint8_t>(raw >> 8);
      p[2] = static_cast<uint8_t>(raw >> 16);
      break;
    }
    case 32:
      std::memcpy(row + 4 * static_cast<size_t>(x), &raw, 4);
      break;
    default:
      break;
  }
}

COLORREF Surface::RawToColor(uint32_t raw) const {
  switch (bitCount_) {
    case 1:
    case 4:
    case 8: {
      if (raw >= palette_.size()) return RGB(0, 0, 0);
      const RGBQUAD& q = palette_[raw];
      return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    case 24:
      return BgrxToColor(raw & 0xFFFFFF);
    case 16:
    case 32: {
      if (plainBgrx_) return BgrxToColor(raw & 0xFFFFFF);
      uint32_t channel[3];
      for (int i = 0; i < 3; ++i) {
        Field f = FieldOf(masks_[i]);
        channel[i] = WidenTo8((raw & masks_[i]) >> f.shift, f.width);
      }
      return RGB(static_cast<BYTE>(channel[0]), static_cast<BYTE>(channel[1]),
                 static_cast<BYTE>(channel[2]));
    }
    default:
      return RGB(0, 0, 0);
  }
}

uint32_t Surface::ColorToRaw(COLORREF color) const {
  switch (bitCount_) {
    case 1:
    case 4:
    case 8:
      return NearestPaletteIndex(palette_, color);
    case 24:
      return ColorToBgrx(color);
    case 16:
    case 32: {
      if (plainBgrx_) return ColorToBgrx(color);
      const uint32_t channel[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
      uint32_t raw = 0;
      for (int i = 0; i < 3; ++i) {
        Field f = FieldOf(masks_[i]);
        if (f.width == 0) continue;
        raw |= (NarrowFrom8(channel[i], f.width) << f.shift) & masks_[i];
      }
      return raw & RawMask();
    }
    default:
      return 0;
  }
}

}  // namespace platform::gdi
