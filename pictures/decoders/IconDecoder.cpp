#include "pictures/decoders/IconDecoder.h"

#include <algorithm>
#include <vector>

namespace pic {
namespace {

constexpr size_t kDirectoryBytes = 6;
constexpr size_t kEntryBytes = 16;
constexpr DWORD kIconFormat = 0x00030000;

uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Dword(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint32_t BigEndianDword(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// The image an entry points at, or false when it lies outside the data.
bool EntryImage(const uint8_t* bytes, size_t length, const uint8_t* entry, const uint8_t** image,
                size_t* size) {
  const uint64_t bytesInRes = Dword(entry + 8);
  const uint64_t offset = Dword(entry + 12);
  if (bytesInRes == 0 || offset > length || bytesInRes > length - offset) return false;
  *image = bytes + offset;
  *size = static_cast<size_t>(bytesInRes);
  return true;
}

bool IconSize(HICON icon, int32_t* width, int32_t* height) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  BITMAP bm{};
  const bool ok = GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bm,
                             &bm) == static_cast<int>(sizeof bm);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  if (!ok) return false;
  *width = bm.bmWidth;
  *height = info.hbmColor != nullptr ? bm.bmHeight : bm.bmHeight / 2;
  return true;
}

}  // namespace

bool DecodeIconFile(const uint8_t* bytes, size_t length, DecodedPicture* out) {
  if (bytes == nullptr || out == nullptr || length < kDirectoryBytes) return false;
  const unsigned type = Word(bytes + 2);
  const size_t count = Word(bytes + 4);
  if (Word(bytes) != 0 || (type != 1 && type != 2) || count == 0) return false;

  // The first 32-pixel entry with more than 15 colours is what every caller wants; failing
  // that, the last one. Entries are read in order, so a directory cut short before the
  // choice is made fails.
  const uint8_t* chosen = nullptr;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kDirectoryBytes + i * kEntryBytes;
    if (at + kEntryBytes > length) return false;
    chosen = bytes + at;
    if (chosen[2] > 15 && chosen[0] == 32) break;
  }
  const uint8_t* image = nullptr;
  size_t size = 0;
  if (!EntryImage(bytes, length, chosen, &image, &size)) return false;
  // The info header's width, and its height counting the mask too. A PNG image has no info
  // header: its own header chunk gives the size (the mask is not part of it).
  if (size < 16) return false;
  int32_t width = static_cast<int32_t>(Dword(image + 4));
  int32_t height = static_cast<int32_t>(Dword(image + 8)) / 2;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  const bool png = std::equal(kPngSignature, kPngSignature + 8, image);
  if (png) {
    if (size < 24) return false;
    width = static_cast<int32_t>(BigEndianDword(image + 16));
    height = static_cast<int32_t>(BigEndianDword(image + 20));
  }
  const unsigned bitCount = png ? 32 : Word(image + 14);

  HICON icon = CreateIconFromResourceEx(image, static_cast<DWORD>(size), TRUE, kIconFormat, width,
                                        height, 0);
  if (icon == nullptr && bitCount != 16) {
    icon = CreateIconFromResource(image, static_cast<DWORD>(size), TRUE, kIconFormat);
  }
  if (icon == nullptr) return false;
  // The second attempt makes an icon of the standard size, whatever the header claimed.
  int32_t madeWidth = 0, madeHeight = 0;
  if (!IconSize(icon, &madeWidth, &madeHeight)) {
    DestroyIcon(icon);
    return false;
  }
  out->kind = type == 1 ? kPictureIcon : kPictureCursor;
  out->width = madeWidth;
  out->height = madeHeight;
  out->icon = icon;
  out->pixels = nullptr;
  out->size = 0;
  return true;
}

HCURSOR CursorFromFileData(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr || length < 23) return nullptr;
  if (Word(bytes) != 0 || Word(bytes + 2) != 2 || Word(bytes + 4) == 0) return nullptr;
  const uint8_t* entry = bytes + kDirectoryBytes;
  const uint8_t* image = nullptr;
  size_t size = 0;
  if (!EntryImage(bytes, length, entry, &image, &size)) return nullptr;
  // Cursor resources carry their hot spot in front of the image.
  std::vector<uint8_t> resource(4 + size);
  resource[0] = entry[4];
  resource[1] = entry[5];
  resource[2] = entry[6];
  resource[3] = entry[7];
  std::copy(image, image + size, resource.begin() + 4);
  return CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()), FALSE,
                                  kIconFormat, entry[0], entry[1], 0);
}

}  // namespace pic
