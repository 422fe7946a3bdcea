#include "forms/units/IconFiles.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/kernel32.h"

namespace forms {

namespace {

constexpr size_t kDirectoryBytes = 6;
constexpr size_t kEntryBytes = 16;

uint16_t Word16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Word32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
}

struct Image {
  std::span<const uint8_t> bits;
  uint16_t hotX = 0;
  uint16_t hotY = 0;
};

// The directory entry whose size is nearest to `size` (0 in a size byte means 256).
bool PickImage(std::span<const uint8_t> bytes, uint16_t kind, int size, Image* out) {
  if (bytes.size() < kDirectoryBytes) return false;
  const uint8_t* p = bytes.data();
  if (Word16(p) != 0 || Word16(p + 2) != kind) return false;
  uint16_t count = Word16(p + 4);
  if (count == 0 || bytes.size() < kDirectoryBytes + kEntryBytes * count) return false;
  int best = -1;
  int bestDistance = 0;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* entry = p + kDirectoryBytes + kEntryBytes * i;
    uint32_t length = Word32(entry + 8);
    uint32_t offset = Word32(entry + 12);
    if (offset > bytes.size() || length > bytes.size() - offset || length == 0) continue;
    int side = entry[0] == 0 ? 256 : entry[0];
    int distance = std::abs(side - size);
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  if (best < 0) return false;
  const uint8_t* entry = p + kDirectoryBytes + kEntryBytes * best;
  out->bits = bytes.subspan(Word32(entry + 12), Word32(entry + 8));
  out->hotX = Word16(entry + 4);
  out->hotY = Word16(entry + 6);
  return true;
}

// Standard cursors by number, in the order of the mouse-pointer choices (their IDC_ ids).
constexpr uint16_t kStandardCursors[] = {
    0, 32512, 32515, 32513, 32646, 32643, 32645, 32642, 32644, 32516, 32514, 32648, 32649, 32651,
};

}  // namespace

HICON IconFromFile(std::span<const uint8_t> bytes, int size) {
  Image image;
  if (!PickImage(bytes, 1, size, &image)) return nullptr;
  return CreateIconFromResourceEx(image.bits.data(), static_cast<DWORD>(image.bits.size()), TRUE,
                                  0x00030000, size, size, LR_DEFAULTCOLOR);
}

HCURSOR CursorFromFile(std::span<const uint8_t> bytes) {
  Image image;
  if (!PickImage(bytes, 2, 32, &image)) return nullptr;
  // A cursor resource is the image with its hotspot in front.
  std::vector<uint8_t> resource(4 + image.bits.size());
  resource[0] = static_cast<uint8_t>(image.hotX);
  resource[1] = static_cast<uint8_t>(image.hotX >> 8);
  resource[2] = static_cast<uint8_t>(image.hotY);
  resource[3] = static_cast<uint8_t>(image.hotY >> 8);
  std::memcpy(resource.data() + 4, image.bits.data(), image.bits.size());
  return CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()), FALSE,
                                  0x00030000, 0, 0, LR_DEFAULTCOLOR);
}

HCURSOR CursorFromUnitData(std::span<const uint8_t> data) {
  if (data.size() == 4) {
    uint32_t number = Word32(data.data());
    if (number == 0 || number >= std::size(kStandardCursors)) return nullptr;
    // Standard cursors are shared: a copy keeps DestroyCursor on the unit's slot harmless.
    HCURSOR shared = LoadCursorA(nullptr, MAKEINTRESOURCEA(kStandardCursors[number]));
    return shared != nullptr ? CopyIcon(shared) : nullptr;
  }
  if (data.size() < 4) return nullptr;
  return CursorFromFile(data);
}

}  // namespace forms
