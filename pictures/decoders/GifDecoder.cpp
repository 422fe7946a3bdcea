#include "pictures/decoders/GifDecoder.h"

#include <algorithm>

#include "pictures/decoders/GifFrames.h"

namespace pic {

bool DecodeGifStill(const uint8_t* bytes, size_t length, DecodedPicture* out, uint64_t maxPixels) {
  GifStream stream;
  if (!stream.Open(bytes, length)) return false;
  GifFrame frame;
  bool wrapped = false;
  const auto limit = static_cast<int64_t>(std::min<uint64_t>(maxPixels, kMaxGifFramePixels));
  if (!stream.NextFrame(&frame, &wrapped, true, limit)) return false;
  out->kind = kPictureGif;
  out->width = stream.ScreenWidth();
  out->height = stream.ScreenHeight();
  out->icon = nullptr;
  out->size = static_cast<int32_t>(frame.dibSize);
  out->pixels = frame.ReleaseDib();
  return true;
}

}  // namespace pic
