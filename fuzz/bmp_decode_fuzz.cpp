// BMP files from untrusted bytes: whatever the reader accepts must fill exactly its block
// and turn into a device bitmap of the same size; everything else fails without touching
// memory it does not own.
//
// Seeds, kept outside the repository: mkdir -p /tmp/seeds-bmp && cp ../shared/testdata/bmp/*/*.bmp
// /tmp/seeds-bmp/
#include <cstdint>
#include <cstdlib>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"
#include "platform/wingdi.h"
#include "runtime/memory/RuntimeHeap.h"

namespace {

// Bigger pictures would measure the allocator, not the reader.
constexpr size_t kLargestBlock = 16u << 20;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pic::DecodedPicture record;
  if (!pic::DecodeBmp(data, size, &record, kLargestBlock)) {
    Check(record.pixels == nullptr);
    return 0;
  }
  Check(record.kind == pic::kPictureBmp && record.width > 0 && record.height > 0);
  Check(static_cast<size_t>(record.size) == static_cast<size_t>(record.width) * record.height * 3);
  // The block really is as long as reported.
  volatile uint8_t last = record.pixels[record.size - 1];
  (void)last;
  rt::FreeMem(record.pixels);

  // The GDI's own limit on a side is 32768 pixels.
  if (static_cast<size_t>(record.size) <= (1u << 20) && record.width <= 32768 &&
      record.height <= 32768) {
    HBITMAP bitmap = pic::PictureToBitmap(data, size);
    Check(bitmap != nullptr);
    BITMAP bm{};
    Check(GetObjectA(bitmap, sizeof bm, &bm) == static_cast<int>(sizeof bm));
    Check(bm.bmWidth == record.width && bm.bmHeight == record.height);
    DeleteObject(bitmap);
  }
  return 0;
}
