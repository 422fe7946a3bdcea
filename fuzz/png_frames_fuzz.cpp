// PNG data from untrusted bytes through libpng: a frame either fails or holds exactly
// width x height pixels.
//
// Seeds, kept outside the repository:
//   mkdir -p /tmp/seeds-png && cp ../shared/testdata/png/*.png /tmp/seeds-png/
#include <cstdint>
#include <vector>

#include "pictures/decoders/PngFrames.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  if (!pic::DecodePngFrame(data, size, &width, &height, &pixels)) return 0;
  Check(width > 0 && height > 0);
  Check(pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height));
  return 0;
}
