// The animation box's loader on untrusted bytes (GIF, PNG, or anything PictureToBitmap takes):
// success means at least one frame, every frame width x height pixels, and a key that is
// either the given one or a colour.
//
// Seeds, kept outside the repository:
//   mkdir -p /tmp/seeds-anim && cp ../shared/testdata/gif/*.gif ../shared/testdata/png/b*.png \
//     ../shared/testdata/bmp/g/*.bmp ../shared/testdata/pcx/*.pcx /tmp/seeds-anim/
#include <cstdint>

#include "pictures/AnimationFrames.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pic::AnimationFrames frames;
  const bool automatic = size > 0 && (data[size - 1] & 1);
  if (!pic::LoadAnimationFrames(data, size, automatic, 0x00123456, &frames)) {
    Check(frames.frames.empty());
    return 0;
  }
  Check(!frames.frames.empty() && frames.width > 0 && frames.height > 0);
  for (const auto& frame : frames.frames) {
    Check(frame.size() == static_cast<size_t>(frames.width) * static_cast<size_t>(frames.height));
  }
  Check(automatic ? (frames.transparentKey >> 24) == 0 : frames.transparentKey == 0x00123456);
  return 0;
}
