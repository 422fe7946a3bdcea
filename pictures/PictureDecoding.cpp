#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"
#include "pictures/decoders/GifDecoder.h"
#include "pictures/decoders/IconDecoder.h"
#include "pictures/decoders/JpegDecoder.h"
#include "pictures/decoders/PcxDecoder.h"
#include "platform/kernel32.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"

namespace pic {
namespace {

constexpr size_t kKindBytes = 6;
constexpr size_t kPackedDibHeadBytes = 40 + 256 * 4;

uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

bool ReadAll(HANDLE file, uint8_t* into, size_t count) {
  while (count > 0) {
    DWORD read = 0;
    const DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
    if (!ReadFile(file, into, chunk, &read, nullptr) || read == 0) return false;
    into += read;
    count -= read;
  }
  return true;
}

void FillBgrRowsHeader(const DecodedPicture& p, BITMAPINFO* info) {
  *info = BITMAPINFO{};
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = p.width;
  info->bmiHeader.biHeight = p.height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = 24;
  info->bmiHeader.biCompression = BI_RGB;
}

// 24-bit bottom-up rows without padding (JPEG, BMP) into a device bitmap. When the rows
// happen to be DIB-aligned the block is used as it is; otherwise bands of rows are padded
// on the way, so no second picture-sized copy is made.
HBITMAP BitmapFromBgrRows(const DecodedPicture& p) {
  BITMAPINFO info;
  if (DibRowsOf(p, &info)) {
    return CreateDIBitmap(nullptr, &info.bmiHeader, CBM_INIT, p.pixels, &info, DIB_RGB_COLORS);
  }
  if (p.pixels == nullptr) return nullptr;
  FillBgrRowsHeader(p, &info);
  const size_t rowBytes = static_cast<size_t>(p.width) * 3;
  HBITMAP bitmap = CreateDIBitmap(nullptr, &info.bmiHeader, 0, nullptr, nullptr, DIB_RGB_COLORS);
  if (bitmap == nullptr) return nullptr;
  const size_t stride = (rowBytes + 3) / 4 * 4;
  const size_t bandRows = std::max<size_t>(1, (256u << 10) / stride);
  std::vector<uint8_t> band(stride * bandRows, 0);
  for (size_t first = 0; first < static_cast<size_t>(p.height); first += bandRows) {
    const size_t n = std::min(bandRows, static_cast<size_t>(p.height) - first);
    for (size_t k = 0; k < n; ++k)
      std::memcpy(band.data() + k * stride, p.pixels + (first + k) * rowBytes, rowBytes);
    if (SetDIBits(nullptr, bitmap, static_cast<UINT>(first), static_cast<UINT>(n), band.data(),
                  &info, DIB_RGB_COLORS) != static_cast<int>(n)) {
      DeleteObject(bitmap);
      return nullptr;
    }
  }
  return bitmap;
}

HBITMAP BitmapFromPackedDib(const DecodedPicture& p) {
  if (p.pixels == nullptr || static_cast<size_t>(p.size) < kPackedDibHeadBytes) return nullptr;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(p.pixels);
  // The palette holds colours (B, G, R, 0), not indices into a logical palette.
  return CreateDIBitmap(nullptr, &info->bmiHeader, CBM_INIT, p.pixels + kPackedDibHeadBytes, info,
                        DIB_RGB_COLORS);
}

// The 1-bit rows are a monochrome bitmap's own layout; copying it into a screen bitmap maps
// its bits to black and white.
HBITMAP BitmapFromMonochrome(const DecodedPicture& p) {
  HBITMAP mono = CreateBitmap(p.width, p.height, 1, 1, p.pixels);
  if (mono == nullptr) return nullptr;
  HBITMAP colour = CreateCompatibleBitmap(nullptr, p.width, p.height);
  std::unique_ptr<void, DcDeleter> from(CreateCompatibleDC(nullptr)),
      to(CreateCompatibleDC(nullptr));
  bool ok = colour != nullptr && from && to;
  if (ok) {
    HGDIOBJ oldFrom = SelectObject(from.get(), mono);
    HGDIOBJ oldTo = SelectObject(to.get(), colour);
    ok = BitBlt(to.get(), 0, 0, p.width, p.height, from.get(), 0, 0, SRCCOPY) != FALSE;
    SelectObject(from.get(), oldFrom);
    SelectObject(to.get(), oldTo);
  }
  DeleteObject(mono);
  if (!ok && colour != nullptr) {
    DeleteObject(colour);
    colour = nullptr;
  }
  return colour;
}

HBITMAP BitmapFromIcon(const DecodedPicture& p) {
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, p.width, p.height);
  if (bitmap == nullptr) return nullptr;
  std::unique_ptr<void, DcDeleter> dc(CreateCompatibleDC(nullptr));
  bool ok = dc != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(dc.get(), bitmap);
    ok = PatBlt(dc.get(), 0, 0, p.width, p.height, WHITENESS) != FALSE &&
         DrawIconEx(dc.get(), 0, 0, p.icon, p.width, p.height, 0, nullptr, DI_NORMAL) != FALSE;
    SelectObject(dc.get(), old);
  }
  if (!ok) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

}  // namespace

bool DibRowsOf(const DecodedPicture& picture, BITMAPINFO* info) {
  if (picture.kind != kPictureJpeg && picture.kind != kPictureBmp) return false;
  if (picture.pixels == nullptr || picture.width <= 0 || picture.height <= 0) return false;
  if (picture.width % 4 != 0) return false;  // 3 * width bytes a row, padded to 4 in a DIB
  if (picture.size / 3 / picture.width < picture.height) return false;
  FillBgrRowsHeader(picture, info);
  return true;
}

PictureKind DetectPictureKind(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr || length < kKindBytes) return kPictureUnknown;
  if (bytes[0] == 'B' && bytes[1] == 'M') return kPictureBmp;
  if (bytes[0] == 0xFF && bytes[1] == 0xD8) return kPictureJpeg;
  if (Word(bytes) == 0 && Word(bytes + 4) > 0) {
    if (Word(bytes + 2) == 1) return kPictureIcon;
    if (Word(bytes + 2) == 2) return kPictureCursor;
  }
  if (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0)
    return kPictureGif;
  if (bytes[0] == 0x0A && bytes[2] == 1) {
    if (bytes[1] <= 5 && bytes[3] == 8) return kPicturePcx8;
    if (bytes[1] == 3 && bytes[3] == 1) return kPicturePcx1;
  }
  return kPictureUnknown;
}

DecodedPicture* DecodePicture(const uint8_t* bytes, size_t length) {
  return DecodePictureWithin(bytes, length, kAnyPixelCount);
}

DecodedPicture* DecodePictureWithin(const uint8_t* bytes, size_t length, uint64_t maxPixels) {
  if (bytes == nullptr || length == 0) return nullptr;
  auto record = std::make_unique<DecodedPicture>();
  bool ok = false;
  switch (DetectPictureKind(bytes, length)) {
    case kPictureJpeg:
      ok = DecodeJpeg(bytes, length, record.get(), kMaxPixelBlockBytes, maxPixels);
      break;
    case kPictureBmp:
      ok = DecodeBmp(bytes, length, record.get(), kMaxPixelBlockBytes, maxPixels);
      break;
    case kPictureIcon:
    case kPictureCursor:
      ok = DecodeIconFile(bytes, length, record.get());
      break;
    case kPictureGif:
      ok = DecodeGifStill(bytes, length, record.get(), maxPixels);
      break;
    case kPicturePcx8:
    case kPicturePcx1:
      ok = DecodePcx(bytes, length, record.get(), kMaxPixelBlockBytes, maxPixels);
      break;
    case kPictureUnknown:
      break;
  }
  return ok ? record.release() : nullptr;
}

DecodedPicture* DecodePictureFile(const char* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  // Others may read the file while we do, but not change it under us.
  FileHandle file(
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    (void)file.release();
    return nullptr;
  }
  DWORD high = 0;
  const DWORD low = GetFileSize(file.get(), &high);
  const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
  if (size < kKindBytes || size > kMaxPixelBlockBytes) return nullptr;
  std::vector<uint8_t> bytes;
  bytes.resize(kKindBytes);
  if (!ReadAll(file.get(), bytes.data(), kKindBytes)) return nullptr;
  if (DetectPictureKind(bytes.data(), kKindBytes) == kPictureUnknown) return nullptr;
  bytes.resize(static_cast<size_t>(size));
  if (!ReadAll(file.get(), bytes.data() + kKindBytes, bytes.size() - kKindBytes)) return nullptr;
  file.reset();
  return DecodePicture(bytes.data(), bytes.size());
}

void ReleasePicture(DecodedPicture* picture) {
  if (picture == nullptr) return;
  if (picture->icon != nullptr) DestroyIcon(picture->icon);
  rt::FreeMem(picture->pixels);
  picture->kind = kPictureUnknown;
  delete picture;
}

HBITMAP PictureToBitmap(const uint8_t* bytes, size_t length) {
  return PictureToBitmapWithin(bytes, length, kAnyPixelCount);
}

HBITMAP PictureToBitmapWithin(const uint8_t* bytes, size_t length, uint64_t maxPixels) {
  std::unique_ptr<DecodedPicture, void (*)(DecodedPicture*)> picture(
      DecodePictureWithin(bytes, length, maxPixels), ReleasePicture);
  if (!picture) return nullptr;
  return DecodedPictureToBitmap(*picture);
}

HBITMAP DecodedPictureToBitmap(const DecodedPicture& picture) {
  switch (picture.kind) {
    case kPictureJpeg:
    case kPictureBmp:
      return BitmapFromBgrRows(picture);
    case kPictureIcon:
    case kPictureCursor:
      return BitmapFromIcon(picture);
    case kPictureGif:
    case kPicturePcx8:
      return BitmapFromPackedDib(picture);
    case kPicturePcx1:
      return BitmapFromMonochrome(picture);
    default:
      return nullptr;
  }
}

}  // namespace pic

namespace pic {

void RegisterPictureServices() {
  rt::SetPictureBitmapService(
      [](const uint8_t* bytes, size_t length) -> void* { return PictureToBitmap(bytes, length); });
}

}  // namespace pic
