// Icon and cursor files from untrusted bytes: the directory walk and the entry's bounds
// must hold whatever the counts and offsets say, and an accepted file gives an icon that
// draws at its reported size.
//
// Seeds, kept outside the repository: mkdir -p /tmp/seeds-icon && cp ../shared/testdata/ico/*
// /tmp/seeds-icon/
#include <cstdint>
#include <cstdlib>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/IconDecoder.h"
#include "platform/wingdi.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pic::DecodedPicture record;
  if (pic::DecodeIconFile(data, size, &record)) {
    Check(record.icon != nullptr && record.pixels == nullptr);
    Check(record.kind == pic::kPictureIcon || record.kind == pic::kPictureCursor);
    Check(record.width >= 0 && record.width <= 1024 && record.height >= 0 && record.height <= 1024);
    DestroyIcon(record.icon);
    HBITMAP bitmap = pic::PictureToBitmap(data, size);
    if (bitmap != nullptr) DeleteObject(bitmap);
  } else {
    Check(record.icon == nullptr);
  }
  HCURSOR cursor = pic::CursorFromFileData(data, size);
  if (cursor != nullptr) DestroyCursor(cursor);
  return 0;
}
