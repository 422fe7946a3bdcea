#include "pictures/AnimationFrames.h"

#include <algorithm>
#include <cstring>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/GifFrames.h"
#include "pictures/decoders/PngFrames.h"
#include "platform/wingdi.h"

namespace pic {
namespace {

struct Rect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

// Composes every frame onto one canvas. A frame with disposal 2 or 3 has the canvas under it
// saved first, and that area is put back before the next frame: so "restore to background"
// behaves exactly like "restore to previous" here, as it does in the picture box's player.
bool LoadGif(const uint8_t* bytes, size_t length, AnimationFrames* out) {
  GifStream stream;
  if (!stream.Open(bytes, length)) return false;
  const int w = stream.ScreenWidth(), h = stream.ScreenHeight();
  if (w <= 0 || h <= 0) return false;
  const size_t canvasPixels = static_cast<size_t>(w) * h;
  const int64_t frameBytes = static_cast<int64_t>(canvasPixels) * 4;
  if (frameBytes > kMaxAnimationBytes) return false;

  std::vector<uint32_t> canvas(canvasPixels, 0xFFFFFFFFu);
  std::vector<uint32_t> saved;
  Rect savedRect;
  bool restorePending = false;
  int64_t budget = kMaxAnimationBytes;
  GifFrame frame;
  out->width = w;
  out->height = h;

  for (;;) {
    // Each frame costs a canvas copy and its own decoded area (a byte a pixel) out of the
    // budget. The frame is measured from its descriptor before it is decoded: a tiny file can
    // declare huge frames.
    bool wrapped = false;
    if (!stream.NextFrame(&frame, &wrapped, /*wrap=*/false, budget - frameBytes)) {
      if (stream.FrameTooLarge()) {
        out->frames.clear();
        return false;
      }
      // The trailer ends the list; an error ends it too, keeping the frames already composed.
      break;
    }
    budget -= frameBytes + int64_t{frame.width} * frame.height;

    if (restorePending && !savedRect.Empty()) {
      for (int y = savedRect.y0; y < savedRect.y1; ++y) {
        const size_t n = static_cast<size_t>(savedRect.x1 - savedRect.x0);
        std::memcpy(canvas.data() + static_cast<size_t>(y) * w + savedRect.x0,
                    saved.data() + static_cast<size_t>(y - savedRect.y0) * n, n * 4);
      }
    }
    restorePending = false;

    // The frame's rectangle clipped to the screen (it may lie partly or wholly outside).
    Rect area{std::min(frame.left, w), std::min(frame.top, h),
              std::min(frame.left + frame.width, w), std::min(frame.top + frame.height, h)};
    if (frame.disposal == 8 || frame.disposal == 12) {
      savedRect = area;
      saved.clear();
      if (!area.Empty()) {
        const size_t n = static_cast<size_t>(area.x1 - area.x0);
        saved.resize(n * static_cast<size_t>(area.y1 - area.y0));
        for (int y = area.y0; y < area.y1; ++y) {
          std::memcpy(saved.data() + static_cast<size_t>(y - area.y0) * n,
                      canvas.data() + static_cast<size_t>(y) * w + area.x0, n * 4);
        }
      }
      restorePending = true;
    }

    if (!area.Empty()) {
      uint32_t palette[256];
      std::memcpy(palette, frame.Palette(), sizeof palette);
      const int n = area.x1 - area.x0;
      for (int y = area.y0; y < area.y1; ++y) {
        const uint8_t* src = frame.Pixels() + static_cast<size_t>(y - frame.top) * frame.stride;
        uint32_t* dst = canvas.data() + static_cast<size_t>(y) * w + area.x0;
        if (frame.transparent) {
          const uint8_t key = frame.transparentIndex;
          for (int x = 0; x < n; ++x) {
            if (src[x] != key) dst[x] = palette[src[x]];
          }
        } else {
          for (int x = 0; x < n; ++x) dst[x] = palette[src[x]];
        }
      }
    }
    out->frames.push_back(canvas);
  }
  return !out->frames.empty();
}

bool LoadPng(const uint8_t* bytes, size_t length, AnimationFrames* out) {
  std::vector<uint32_t> pixels;
  int w = 0, h = 0;
  if (!DecodePngFrame(bytes, length, &w, &h, &pixels)) return false;
  out->width = w;
  out->height = h;
  out->frames.push_back(std::move(pixels));
  return true;
}

bool LoadThroughBitmap(const uint8_t* bytes, size_t length, AnimationFrames* out) {
  // Measured before decoding, so a picture too large for the frames is never decoded.
  HBITMAP bitmap = PictureToBitmapWithin(bytes, length, kMaxAnimationBytes / 4);
  if (bitmap == nullptr) return false;
  BITMAP info{};
  bool ok = GetObjectA(bitmap, sizeof info, &info) != 0 && info.bmWidth > 0 && info.bmHeight > 0 &&
            int64_t{info.bmWidth} * info.bmHeight * 4 <= kMaxAnimationBytes;
  std::vector<uint32_t> pixels;
  if (ok) {
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    ok = dc != nullptr && GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                                    &request, DIB_RGB_COLORS) == info.bmHeight;
    if (dc != nullptr) DeleteDC(dc);
  }
  DeleteObject(bitmap);
  if (!ok) return false;
  out->width = info.bmWidth;
  out->height = info.bmHeight;
  out->frames.push_back(std::move(pixels));
  return true;
}

}  // namespace

bool LoadAnimationFrames(const uint8_t* bytes, size_t length, bool automaticKey, uint32_t givenKey,
                         AnimationFrames* out) {
  *out = AnimationFrames{};
  if (bytes == nullptr || length == 0) return false;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  bool ok;
  if (length >= 6 &&
      (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0)) {
    ok = LoadGif(bytes, length, out);
  } else if (length >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0) {
    ok = LoadPng(bytes, length, out);
  } else {
    ok = LoadThroughBitmap(bytes, length, out);
  }
  if (!ok) {
    *out = AnimationFrames{};
    return false;
  }
  if (automaticKey) {
    // Pixels hold B, G, R in their low three bytes; the key is a colour reference, red lowest.
    const uint32_t first = out->frames.front().empty() ? 0 : out->frames.front().front();
    out->transparentKey = ((first >> 16) & 0xFF) | (first & 0xFF00) | ((first & 0xFF) << 16);
  } else {
    out->transparentKey = givenKey;
  }
  return true;
}

}  // namespace pic
