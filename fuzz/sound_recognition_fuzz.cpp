// Any bytes given to sound recognition: the chunks it finds must lie inside the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/sound/SoundRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const rt::RecognisedSound sound = rt::RecogniseSound(data, size);
  if (sound.format == rt::SoundFormat::Wave) {
    if (sound.formatOffset + sound.formatSize > size || sound.dataOffset + sound.dataSize > size) {
      abort();
    }
  }
  return 0;
}
