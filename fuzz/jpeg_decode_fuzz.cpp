// JPEG streams from untrusted bytes through libjpeg: every libjpeg error must come back as
// a failure, and a picture must fill exactly its block.
//
// Seeds, kept outside the repository: mkdir -p /tmp/seeds-jpeg && cp ../shared/testdata/jpeg/*.jpg
// /tmp/seeds-jpeg/
#include <cstdint>
#include <cstdlib>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/JpegDecoder.h"
#include "runtime/memory/RuntimeHeap.h"

namespace {

constexpr size_t kLargestBlock = 16u << 20;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pic::DecodedPicture record;
  if (!pic::DecodeJpeg(data, size, &record, kLargestBlock)) {
    Check(record.pixels == nullptr);
    return 0;
  }
  Check(record.kind == pic::kPictureJpeg && record.width > 0 && record.height > 0);
  Check(static_cast<size_t>(record.size) == static_cast<size_t>(record.width) * record.height * 3);
  // The block really is as long as reported.
  volatile uint8_t last = record.pixels[record.size - 1];
  (void)last;
  rt::FreeMem(record.pixels);
  return 0;
}
