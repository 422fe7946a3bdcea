// GIF files from untrusted bytes: the still decoder either fails with nothing allocated or
// fills a packed DIB exactly as long as its header says; the frame walk, driven round the
// trailer twice, must end every frame within the data.
//
// Seeds, kept outside the repository:
//   mkdir -p /tmp/seeds-gif && cp ../shared/testdata/gif/*.gif
//   ../shared/testdata/gif/pygif-test-suite/*.gif /tmp/seeds-gif/
#include <cstdint>
#include <cstring>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/GifDecoder.h"
#include "pictures/decoders/GifFrames.h"
#include "runtime/memory/RuntimeHeap.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

int32_t Dword(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pic::DecodedPicture record;
  if (pic::DecodeGifStill(data, size, &record)) {
    Check(record.kind == pic::kPictureGif && record.pixels != nullptr);
    const int32_t width = Dword(record.pixels + 4);
    const int32_t height = -Dword(record.pixels + 8);
    Check(width >= 0 && height >= 0);
    Check(record.size == 1064 + ((width + 3) & ~3) * height);
    volatile uint8_t last = record.pixels[record.size - 1];
    (void)last;
    rt::FreeMem(record.pixels);
  } else {
    Check(record.pixels == nullptr);
  }

  pic::GifStream stream;
  if (!stream.Open(data, size)) return 0;
  pic::GifFrame frame;
  int wraps = 0;
  for (int i = 0; i < 64 && wraps < 2; ++i) {
    bool wrapped = false;
    if (!stream.NextFrame(&frame, &wrapped)) break;
    if (wrapped) ++wraps;
    Check(frame.stride >= frame.width && frame.stride % 4 == 0);
    Check(frame.dibSize ==
          pic::kGifDibHeaderBytes + static_cast<size_t>(frame.stride) * frame.height);
  }
  return 0;
}
