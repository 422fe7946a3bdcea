// The crop of BMP bytes from untrusted sources: the first eight bytes choose the rectangle,
// the rest is the source. Whatever the crop gives must be a BMP of exactly the size its own
// header states; it must never read outside the source.
//
// Seeds, kept outside the repository: a few BMPs of each depth, each behind eight bytes, e.g.
// for f in ../shared/testdata/bmp/*/*.bmp; do (printf '\1\0\1\0\20\0\20\0'; cat "$f") >
// /tmp/seeds-crop/$(basename "$f"); done
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/capture/BmpCrop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

int16_t Signed16(const uint8_t* p) {
  return static_cast<int16_t>(p[0] | (p[1] << 8));
}

uint32_t Field(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  // Offsets take any 16-bit value; sizes stay small enough to measure the crop, not memset.
  const int32_t x = Signed16(data);
  const int32_t y = Signed16(data + 2);
  const int32_t w = Signed16(data + 4) % 1024;
  const int32_t h = Signed16(data + 6) % 1024;

  // An exact-size heap copy, so that any read past the end is caught.
  const size_t n = size - 8;
  void* source = n == 0 ? nullptr : rt::BuildByteSet(rt::AllocMemSized, data + 8, n);
  void* crop = app::capture::CropBmp(source, x, y, w, h);
  if (crop != nullptr) {
    const rt::ByteSetView out = rt::ViewByteSet(crop);
    Check(out.size >= 54 && w > 0 && h > 0 && x >= 0 && y >= 0);
    const uint32_t bpp = Field(out.data + 28, 2);
    Check(bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32);
    const uint32_t offset = Field(out.data + 10, 4);
    const uint64_t stride = ((static_cast<uint64_t>(w) * bpp + 31) >> 5) << 2;
    Check(offset == (bpp == 8 ? 1078u : 54u));
    Check(out.size == offset + stride * static_cast<uint64_t>(h));
    Check(Field(out.data + 2, 4) == out.size);
    Check(Field(out.data + 18, 4) == static_cast<uint32_t>(w));
    Check(Field(out.data + 22, 4) == static_cast<uint32_t>(h));
  }
  rt::FreeMem(crop);
  rt::FreeMem(source);
  return 0;
}
