#include "platform/gdi/PixelRows.h"

#include <cstring>

#include "platform/gdi/StandardPalettes.h"

namespace platform::gdi {

void ReadRawRow(const Surface& surface, int x, int y, int count, uint32_t* out) {
  if (count <= 0) return;
  const uint8_t* row = surface.Row(y);
  switch (surface.bitCount()) {
    case 32:
      std::memcpy(out, row + 4 * static_cast<size_t>(x), 4 * static_cast<size_t>(count));
      return;
    case 24: {
      const uint8_t* p = row + 3 * static_cast<size_t>(x);
      for (int i = 0; i < count; ++i, p += 3)
        out[i] = p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
      return;
    }
    case 16: {
      const uint8_t* p = row + 2 * static_cast<size_t>(x);
      for (int i = 0; i < count; ++i, p += 2) out[i] = p[0] | (static_cast<uint32_t>(p[1]) << 8);
      return;
    }
    case 8: {
      const uint8_t* p = row + x;
      for (int i = 0; i < count; ++i) out[i] = p[i];
      return;
    }
    case 4:
      for (int i = 0; i < count; ++i) {
        int c = x + i;
        uint8_t b = row[c >> 1];
        out[i] = (c & 1) ? (b & 0x0F) : (b >> 4);
      }
      return;
    case 1:
      for (int i = 0; i < count; ++i) {
        int c = x + i;
        out[i] = (row[c >> 3] >> (7 - (c & 7))) & 1;
      }
      return;
    default:
      std::memset(out, 0, 4 * static_cast<size_t>(count));
      return;
  }
}

void WriteRawRow(Surface& surface, int x, int y, int count, const uint32_t* in) {
  if (count <= 0) return;
  uint8_t* row = surface.Row(y);
  switch (surface.bitCount()) {
    case 32:
      std::memcpy(row + 4 * static_cast<size_t>(x), in, 4 * static_cast<size_t>(count));
      return;
    case 24: {
      uint8_t* p = row + 3 * static_cast<size_t>(x);
      for (int i = 0; i < count; ++i, p += 3) {
        p[0] = static_cast<uint8_t>(in[i]);
        p[1] = static_cast<uint8_t>(in[i] >> 8);
        p[2] = static_cast<uint8_t>(in[i] >> 16);
      }
      return;
    }
    case 16: {
      uint8_t* p = row + 2 * static_cast<size_t>(x);
      for (int i = 0; i < count; ++i, p += 2) {
        p[0] = static_cast<uint8_t>(in[i]);
        p[1] = static_cast<uint8_t>(in[i] >> 8);
      }
      return;
    }
    case 8: {
      uint8_t* p = row + x;
      for (int i = 0; i < count; ++i) p[i] = static_cast<uint8_t>(in[i]);
      return;
    }
    case 4:
      for (int i = 0; i < count; ++i) {
        int c = x + i;
        uint8_t& b = row[c >> 1];
        if (c & 1)
          b = static_cast<uint8_t>((b & 0xF0) | (in[i] & 0x0F));
        else
          b = static_cast<uint8_t>((b & 0x0F) | ((in[i] & 0x0F) << 4));
      }
      return;
    case 1: {
      int i = 0;
      // Whole bytes at a time once aligned: masks of pictures are written this way.
      for (; i < count && ((x + i) & 7) != 0; ++i) {
        int c = x + i;
        uint8_t bit = static_cast<uint8_t>(0x80 >> (c & 7));
        row[c >> 3] =
            static_cast<uint8_t>((in[i] & 1) ? (row[c >> 3] | bit) : (row[c >> 3] & ~bit));
      }
      for (; i + 8 <= count; i += 8) {
        uint8_t b = 0;
        for (int k = 0; k < 8; ++k) b = static_cast<uint8_t>((b << 1) | (in[i + k] & 1));
        row[(x + i) >> 3] = b;
      }
      for (; i < count; ++i) {
        int c = x + i;
        uint8_t bit = static_cast<uint8_t>(0x80 >> (c & 7));
        row[c >> 3] =
            static_cast<uint8_t>((in[i] & 1) ? (row[c >> 3] | bit) : (row[c >> 3] & ~bit));
      }
      return;
    }
    default:
      return;
  }
}

void GatherRawRow(const Surface& surface, const int* columns, int y, int count, uint32_t* out) {
  const uint8_t* row = surface.Row(y);
  switch (surface.bitCount()) {
    case 32: {
      for (int i = 0; i < count; ++i)
        std::memcpy(&out[i], row + 4 * static_cast<size_t>(columns[i]), 4);
      return;
    }
    case 8:
      for (int i = 0; i < count; ++i) out[i] = row[columns[i]];
      return;
    default:
      for (int i = 0; i < count; ++i) out[i] = surface.ReadRaw(columns[i], y);
      return;
  }
}

bool IsBgrx32(const Surface& surface) {
  const DWORD* m = surface.masks();
  return surface.bitCount() == 32 && m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF;
}

namespace {

bool SamePalette(const Surface& a, const Surface& b) {
  const auto& pa = a.palette();
  const auto& pb = b.palette();
  if (pa.size() != pb.size()) return false;
  for (size_t i = 0; i < pa.size(); ++i) {
    if (pa[i].rgbRed != pb[i].rgbRed || pa[i].rgbGreen != pb[i].rgbGreen ||
        pa[i].rgbBlue != pb[i].rgbBlue)
      return false;
  }
  return true;
}

bool SameMasks(const Surface& a, const Surface& b) {
  return a.masks()[0] == b.masks()[0] && a.masks()[1] == b.masks()[1] &&
         a.masks()[2] == b.masks()[2];
}

// Raw values of 24-bit and BGRX surfaces are the same 0x00RRGGBB.
bool IsRgb24Layout(const Surface& s) {
  return s.bitCount() == 24 || IsBgrx32(s);
}

}  // namespace

class RawConverter::NearestCache {
 public:
  explicit NearestCache(const std::vector<RGBQUAD>& palette) : cache(palette) {}
  NearestIndexCache cache;
};

RawConverter::RawConverter(const Surface& source, const Surface& dest, const MonoColours& colours)
    : source_(source), dest_(dest) {
  const int sb = source.bitCount();
  const int db = dest.bitCount();
  if (sb == db && (sb <= 8 ? (SamePalette(source, dest) || (sb == 1 && colours.sourceIsMonoDevice))
                           : SameMasks(source, dest))) {
    kind_ = Kind::Identity;
    return;
  }
  if (sb == 1 && colours.sourceIsMonoDevice) {
    kind_ = Kind::Table;
    table_[0] = dest.ColorToRaw(colours.destText);
    table_[1] = dest.ColorToRaw(colours.destBk);
    return;
  }
  if (sb <= 8) {
    // Few enough source values to convert each once, whatever the destination.
    kind_ = Kind::Table;
    const uint32_t n = 1u << sb;
    for (uint32_t i = 0; i < n; ++i) {
      COLORREF c = source.RawToColor(i);
      table_[i] = db == 1 ? (c == (colours.sourceBk & 0xFFFFFF) ? 1u : 0u) : dest.ColorToRaw(c);
    }
    return;
  }
  if (db == 1) {
    // Compared in the source's own format: the background colour as that format holds it.
    kind_ = Kind::ToMono;
    compareMask_ =
        sb == 24 ? 0xFFFFFFu : (source.masks()[0] | source.masks()[1] | source.masks()[2]);
    compareValue_ = source.ColorToRaw(colours.sourceBk & 0xFFFFFF) & compareMask_;
    return;
  }
  if (IsRgb24Layout(source) && IsRgb24Layout(dest)) {
    kind_ = Kind::RgbMask;
    return;
  }
  kind_ = Kind::General;
  if (db <= 8) nearest_ = std::make_unique<NearestCache>(dest.palette());
}

RawConverter::~RawConverter() = default;

uint32_t RawConverter::ConvertOne(uint32_t raw) {
  switch (kind_) {
    case Kind::Identity:
      return raw;
    case Kind::Table:
      return table_[raw & 0xFF];
    case Kind::ToMono:
      return (raw & compareMask_) == compareValue_ ? 1u : 0u;
    case Kind::RgbMask:
      return raw & 0xFFFFFFu;
    case Kind::General:
      break;
  }
  if (haveLast_ && raw == lastRaw_) return lastResult_;
  COLORREF c = source_.RawToColor(raw);
  uint32_t result = nearest_ ? nearest_->cache.Find(c) : dest_.ColorToRaw(c);
  lastRaw_ = raw;
  lastResult_ = result;
  haveLast_ = true;
  return result;
}

void RawConverter::Convert(uint32_t* values, int count) {
  switch (kind_) {
    case Kind::Identity:
      return;
    case Kind::Table:
      for (int i = 0; i < count; ++i) values[i] = table_[values[i] & 0xFF];
      return;
    case Kind::ToMono:
      for (int i = 0; i < count; ++i)
        values[i] = (values[i] & compareMask_) == compareValue_ ? 1u : 0u;
      return;
    case Kind::RgbMask:
      for (int i = 0; i < count; ++i) values[i] &= 0xFFFFFFu;
      return;
    case Kind::General:
      for (int i = 0; i < count; ++i) values[i] = ConvertOne(values[i]);
      return;
  }
}

BgrxRowReader::BgrxRowReader(const Surface& source, const MonoColours& colours) : source_(source) {
  if (IsBgrx32(source)) {
    direct_ = true;
    return;
  }
  if (source.bitCount() <= 8) {
    indexed_ = true;
    const uint32_t n = 1u << source.bitCount();
    for (uint32_t i = 0; i < n; ++i) table_[i] = ColorToBgrx(source.RawToColor(i));
    if (source.bitCount() == 1 && colours.sourceIsMonoDevice) {
      table_[0] = ColorToBgrx(colours.destText);
      table_[1] = ColorToBgrx(colours.destBk);
    }
  }
}

const uint32_t* BgrxRowReader::Read(int x, int y, int count, uint32_t* scratch) const {
  if (direct_) return reinterpret_cast<const uint32_t*>(source_.Row(y)) + x;
  ReadRawRow(source_, x, y, count, scratch);
  if (indexed_) {
    for (int i = 0; i < count; ++i) scratch[i] = table_[scratch[i] & 0xFF];
  } else if (source_.bitCount() == 24) {
    // 24-bit raw values are already 0x00RRGGBB.
  } else {
    for (int i = 0; i < count; ++i) scratch[i] = ColorToBgrx(source_.RawToColor(scratch[i]));
  }
  return scratch;
}

}  // namespace platform::gdi
