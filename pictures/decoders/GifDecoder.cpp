#include "pictures/decoders/GifDecoder.h"

#include "pictures/decoders/GifFrames.h"

namespace pic {

bool DecodeGifStill(const uint8_t* bytes, size_t length, DecodedPicture* out) {
  GifStream stream;
  if (!stream.Open(bytes, length)) return false;
  GifFrame frame;
  bool wrapped = false;
  if (!stream.NextFrame(&frame, &wrapped)) return false;
  out->kind = kPictureGif;
  out->width = stream.ScreenWidth();
  out->height = stream.ScreenHeight();
  out->icon = nullptr;
  out->size = static_cast<int32_t>(frame.dibSize);
  out->pixels = frame.ReleaseDib();
  return true;
}

}  // namespace pic
