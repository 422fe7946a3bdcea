#include "skin/SkinFormat.h"

#include <array>
#include <cstring>

namespace skin {

namespace {

constexpr char kMagic[4] = {'V', 'S', 'K', 'N'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeaderSize = 16;
constexpr size_t kShapeBytes = 5;
constexpr int kMetricCount = 9;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Store32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Load32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t Load16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | at[1] << 8);
}

void Section(std::vector<uint8_t>& out, const char tag[4], const std::vector<uint8_t>& body) {
  out.insert(out.end(), tag, tag + 4);
  Put32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

void MetricSlots(VelmoraThemeMetrics& m, std::array<int32_t*, kMetricCount>& slots) {
  slots = {&m.fixedBorder,         &m.resizableBorder,    &m.toolFixedBorder,
           &m.toolResizableBorder, &m.captionHeight,      &m.toolCaptionHeight,
           &m.menuBarHeight,       &m.captionButtonWidth, &m.scrollBarSize};
}

bool InRange(int32_t v, int low, int high) {
  return v >= low && v <= high;
}

// The same limits the window manager puts on a theme, so that a block that reads is one
// that installs.
bool SaneMetrics(const VelmoraThemeMetrics& m) {
  return m.fixedBorder == 6 && m.captionHeight == 24 && InRange(m.resizableBorder, 1, 32) &&
         InRange(m.toolFixedBorder, 0, 32) && InRange(m.toolResizableBorder, 1, 32) &&
         InRange(m.toolCaptionHeight, 8, 64) && InRange(m.menuBarHeight, 12, 64) &&
         InRange(m.captionButtonWidth, 12, 96) && InRange(m.scrollBarSize, 8, 48);
}

// Colours are COLORREFs: a set top byte would be a palette index, which we do not have.
bool ReadColors(const uint8_t* p, size_t length, size_t count, COLORREF* out) {
  if (length < 4 + 4 * count) return false;
  for (size_t i = 0; i < count; ++i) {
    out[i] = Load32(p + 4 + 4 * i);
    if ((out[i] & 0xFF000000u) != 0) return false;
  }
  return true;
}

bool ReadPalette(const uint8_t* p, size_t length, Skin& skin) {
  if (length < 4) return false;
  const uint32_t count = Load32(p);
  if (count == 0 || count > kMaxPaletteColors || length != 4 + 4 * size_t{count}) return false;
  skin.palette.resize(count);
  return ReadColors(p, length, count, skin.palette.data());
}

bool ReadMetrics(const uint8_t* p, size_t length, Skin& skin) {
  if (length != 4 * kMetricCount) return false;
  std::array<int32_t*, kMetricCount> slots;
  MetricSlots(skin.metrics, slots);
  for (int i = 0; i < kMetricCount; ++i) *slots[i] = static_cast<int32_t>(Load32(p + 4 * i));
  return SaneMetrics(skin.metrics);
}

bool ReadStyle(const uint8_t* p, size_t length, Skin& skin) {
  if (length < 4) return false;
  const uint32_t count = Load32(p);
  if (count != kStyleColorCount && count != kOlderStyleColorCount) return false;
  const size_t colors = 4 + 4 * size_t{count};
  if (length != colors + kShapeBytes) return false;
  if (!ReadColors(p, length, count, skin.style.colors)) return false;
  if (count == kOlderStyleColorCount) {
    // Those skins wrote their bars with the text inks.
    skin.style.colors[kBarInk] = skin.style.colors[kInk];
    skin.style.colors[kBarDimInk] = skin.style.colors[kDimInk];
  }
  const uint8_t* shape = p + colors;
  if (shape[0] > static_cast<uint8_t>(CaptionFill::Plain) ||
      shape[1] > static_cast<uint8_t>(ButtonFill::Gradient) ||
      shape[2] > static_cast<uint8_t>(CaptionButtons::Glyph) ||
      shape[3] > static_cast<uint8_t>(CaptionAlign::Centre) || shape[4] > kMaxCorner) {
    return false;
  }
  skin.style.captionFill = static_cast<CaptionFill>(shape[0]);
  skin.style.buttonFill = static_cast<ButtonFill>(shape[1]);
  skin.style.captionButtons = static_cast<CaptionButtons>(shape[2]);
  skin.style.captionAlign = static_cast<CaptionAlign>(shape[3]);
  skin.style.corner = shape[4];
  return true;
}

bool ReadName(const uint8_t* p, size_t length, Skin& skin) {
  if (length == 0 || length > kMaxNameLength || std::memchr(p, 0, length) != nullptr) return false;
  skin.name.assign(reinterpret_cast<const char*>(p), length);
  return true;
}

}  // namespace

uint32_t SkinChecksum(const uint8_t* data, size_t length) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

bool SealSkin(uint8_t* data, size_t length) {
  if (data == nullptr || length < kHeaderSize) return false;
  Store32(data + 12, SkinChecksum(data + kHeaderSize, length - kHeaderSize));
  return true;
}

std::vector<uint8_t> EncodeSkin(const Skin& skin) {
  std::vector<uint8_t> out(kMagic, kMagic + 4);
  Put16(out, kVersion);
  Put16(out, 4);
  Put32(out, 0);  // total length and checksum, filled in below
  Put32(out, 0);

  Section(out, "NAME", std::vector<uint8_t>(skin.name.begin(), skin.name.end()));
  std::vector<uint8_t> body;
  Put32(body, static_cast<uint32_t>(skin.palette.size()));
  for (COLORREF c : skin.palette) Put32(body, c);
  Section(out, "PALT", body);
  body.clear();
  VelmoraThemeMetrics metrics = skin.metrics;
  std::array<int32_t*, kMetricCount> slots;
  MetricSlots(metrics, slots);
  for (int32_t* v : slots) Put32(body, static_cast<uint32_t>(*v));
  Section(out, "METR", body);
  body.clear();
  Put32(body, kStyleColorCount);
  for (COLORREF c : skin.style.colors) Put32(body, c);
  const SkinStyle& s = skin.style;
  for (auto b :
       {static_cast<uint8_t>(s.captionFill), static_cast<uint8_t>(s.buttonFill),
        static_cast<uint8_t>(s.captionButtons), static_cast<uint8_t>(s.captionAlign), s.corner}) {
    body.push_back(b);
  }
  Section(out, "STYL", body);

  Store32(out.data() + 8, static_cast<uint32_t>(out.size()));
  SealSkin(out.data(), out.size());
  return out;
}

std::optional<Skin> DecodeSkin(const uint8_t* data, size_t length) {
  if (data == nullptr || length < kHeaderSize || std::memcmp(data, kMagic, 4) != 0) return {};
  if (Load16(data + 4) != kVersion || Load32(data + 8) != length) return {};
  if (Load32(data + 12) != SkinChecksum(data + kHeaderSize, length - kHeaderSize)) return {};
  const size_t sections = Load16(data + 6);

  Skin skin;
  bool seen[4] = {};
  size_t at = kHeaderSize;
  for (size_t i = 0; i < sections; ++i) {
    if (length - at < 8) return {};
    const uint8_t* tag = data + at;
    const size_t size = Load32(data + at + 4);
    at += 8;
    if (size > length - at) return {};
    const uint8_t* body = data + at;
    at += size;
    static constexpr const char* kKnown[4] = {"NAME", "PALT", "METR", "STYL"};
    int which = -1;
    for (int k = 0; k < 4; ++k) {
      if (std::memcmp(tag, kKnown[k], 4) == 0) which = k;
    }
    if (which < 0) continue;
    if (seen[which]) return {};
    seen[which] = true;
    bool ok = false;
    switch (which) {
      case 0:
        ok = ReadName(body, size, skin);
        break;
      case 1:
        ok = ReadPalette(body, size, skin);
        break;
      case 2:
        ok = ReadMetrics(body, size, skin);
        break;
      default:
        ok = ReadStyle(body, size, skin);
        break;
    }
    if (!ok) return {};
  }
  // Bytes after the last section would be data nobody reads: the block is not what it says.
  if (at != length) return {};
  for (bool s : seen) {
    if (!s) return {};
  }
  return skin;
}

}  // namespace skin
