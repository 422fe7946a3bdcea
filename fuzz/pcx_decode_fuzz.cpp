// PCX files from untrusted bytes: runs that overshoot a line or the picture, short data and
// odd line lengths must all stay inside the block, and an 8-bit result must be a packed
// bitmap the GDI can read.
//
// Seeds, kept outside the repository: mkdir -p /tmp/seeds-pcx && cp ../shared/testdata/pcx/*.pcx
// /tmp/seeds-pcx/
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/PcxDecoder.h"
#include "platform/wingdi.h"
#include "runtime/memory/RuntimeHeap.h"

namespace {

constexpr size_t kLargestBlock = 16u << 20;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pic::DecodedPicture record;
  if (!pic::DecodePcx(data, size, &record, kLargestBlock)) {
    Check(record.pixels == nullptr);
    return 0;
  }
  Check(record.width > 0 && record.height > 0);
  const size_t w = static_cast<size_t>(record.width), h = static_cast<size_t>(record.height);
  if (record.kind == pic::kPicturePcx8) {
    Check(static_cast<size_t>(record.size) == 1064 + (w + 3) / 4 * 4 * h);
    // The GDI's own limit on a side is 32768 pixels.
    if (record.size <= (1 << 20) && record.width <= 32768 && record.height <= 32768) {
      const auto* info = reinterpret_cast<const BITMAPINFO*>(record.pixels);
      HBITMAP bitmap = CreateDIBitmap(nullptr, &info->bmiHeader, CBM_INIT, record.pixels + 1064,
                                      info, DIB_RGB_COLORS);
      Check(bitmap != nullptr);
      DeleteObject(bitmap);
    }
  } else {
    Check(record.kind == pic::kPicturePcx1);
    Check(static_cast<size_t>(record.size) == ((w + 7) / 8 + 1) / 2 * 2 * h);
  }
  volatile uint8_t last = record.pixels[record.size - 1];
  (void)last;
  rt::FreeMem(record.pixels);
  return 0;
}
