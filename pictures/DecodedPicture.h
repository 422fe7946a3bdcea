// Decoded pictures: what every unit that shows a picture holds, found from the picture's
// leading bytes (never its file name).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wingdi.h"

namespace pic {

enum PictureKind : int32_t {
  kPictureUnknown = 0,
  kPictureJpeg = 1,
  kPictureBmp = 2,
  kPictureIcon = 3,
  kPictureCursor = 4,
  kPictureGif = 5,
  kPicturePcx8 = 6,
  kPicturePcx1 = 7,
};

// The pixel block's layout depends on the kind:
//  - JPEG, BMP: 24-bit B,G,R pixels, rows bottom-up, exactly width * 3 bytes a row;
//  - GIF, PCX 8-bit: a packed DIB (40-byte header, 8 bits, negative height = top-down,
//    256 palette entries B,G,R,0, rows padded to 4 bytes);
//  - PCX 1-bit: 1-bit rows padded to an even byte count, top-down;
//  - icons and cursors: no pixel block, the icon handle instead.
struct DecodedPicture {
  int32_t kind = kPictureUnknown;
  int32_t width = 0;
  int32_t height = 0;
  HICON icon = nullptr;
  uint8_t* pixels = nullptr;  // runtime heap block, owned
  int32_t size = 0;           // bytes in the pixel block
};

PictureKind DetectPictureKind(const uint8_t* bytes, size_t length);
// A new record (released with ReleasePicture), or null.
DecodedPicture* DecodePicture(const uint8_t* bytes, size_t length);
DecodedPicture* DecodePictureFile(const char* path);
void ReleasePicture(DecodedPicture* picture);
// Whether the record's block is a bottom-up 24-bit DIB as it stands (JPEG and BMP rows that
// come to whole words), and if so the header to draw it with (StretchDIBits, SetDIBits).
bool DibRowsOf(const DecodedPicture& picture, BITMAPINFO* info);
// A device bitmap in the screen's format (icons and cursors drawn on white), or null.
HBITMAP PictureToBitmap(const uint8_t* bytes, size_t length);
// The same from a decoded record; a GIF gives its first frame's own size.
HBITMAP DecodedPictureToBitmap(const DecodedPicture& picture);
// The same two for callers with a budget of their own: a picture of more than maxPixels
// pixels is refused from its headers, before anything is decoded. Icons are never larger
// than a million pixels and are not measured.
DecodedPicture* DecodePictureWithin(const uint8_t* bytes, size_t length, uint64_t maxPixels);
HBITMAP PictureToBitmapWithin(const uint8_t* bytes, size_t length, uint64_t maxPixels);
// Lends PictureToBitmap to the runtime as its picture request (1003) for other libraries.
void RegisterPictureServices();

}  // namespace pic
