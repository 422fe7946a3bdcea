// Walking a GIF stream frame by frame: header, extensions, image descriptors, and each
// frame decoded into a packed 8-bit DIB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pic {

// A frame's pixel area is limited to this many pixels (e.g. 16384 x 8192). Nothing real comes
// near it, and it keeps a few header bytes from asking for gigabytes.
constexpr int64_t kMaxGifFramePixels = int64_t{1} << 27;

// The most pixels one byte of LZW code data can yield. A code read at width w is below 2^w.
// A literal is one pixel, and each table entry is one byte longer than an earlier code's
// string, so entry K's string is at most K - clear bytes long: a code gives fewer than 2^w
// pixels for its w bits. 2^w / w grows with w and peaks at the 12-bit limit, 4096 / 12
// pixels a bit or 2730.7 a byte. A frame larger than its code data times this can never be
// filled, however it is encoded.
constexpr int64_t kMaxGifPixelsPerCodeByte = 2731;

// Size of the packed DIB's header and palette: BITMAPINFOHEADER plus 256 RGBQUADs.
constexpr size_t kGifDibHeaderBytes = 40 + 256 * 4;

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  int stride = 0;  // bytes per pixel row, width rounded up to 4
  bool interlaced = false;
  int disposal = 0;  // the graphic control byte & 0x1C: 4, 8 or 12 for methods 1, 2, 3
  bool transparent = false;
  uint8_t transparentIndex = 0;
  uint32_t transparentColor = 0;  // 0x00BBGGRR, meaningful when `transparent`
  int delay = 0;                  // hundredths of a second
  // Packed DIB (header, palette, top-down rows) in a runtime heap block owned by the frame.
  uint8_t* dib = nullptr;
  size_t dibSize = 0;

  GifFrame() = default;
  GifFrame(const GifFrame&) = delete;
  GifFrame& operator=(const GifFrame&) = delete;
  ~GifFrame();
  // Hands the block over to the caller, who frees it with rt::FreeMem.
  uint8_t* ReleaseDib();
  const uint8_t* Pixels() const { return dib + kGifDibHeaderBytes; }
  const uint8_t* Palette() const { return dib + 40; }  // B,G,R,0 per entry
};

class GifStream {
 public:
  // Reads the header and global colour table; false when they are missing or cut off.
  bool Open(const uint8_t* bytes, size_t length);

  int ScreenWidth() const { return screenWidth_; }
  int ScreenHeight() const { return screenHeight_; }

  // Decodes the next frame. After the trailer (or a 0 byte, or the end of the data) the walk
  // starts again at the first frame and *wrapped is set; with `wrap` false it stops there
  // instead and returns false with *wrapped set. False on any error, and when the stream holds
  // no image at all (which would otherwise loop for ever). A frame of more than `maxPixels`
  // pixels is refused before anything is allocated for it, and FrameTooLarge() then says so.
  bool NextFrame(GifFrame* frame, bool* wrapped, bool wrap = true,
                 int64_t maxPixels = kMaxGifFramePixels);

  // Whether the last NextFrame failed because the frame was larger than allowed.
  bool FrameTooLarge() const { return frameTooLarge_; }

 private:
  bool DecodeImage(GifFrame* frame, int64_t maxPixels);
  bool SkipSubBlocks();

  const uint8_t* data_ = nullptr;
  size_t length_ = 0;
  size_t firstFrame_ = 0;  // offset of the stream after the header and global table
  size_t pos_ = 0;
  int screenWidth_ = 0, screenHeight_ = 0;
  const uint8_t* globalTable_ = nullptr;
  int globalCount_ = 0;
  bool imageSinceStart_ = false;
  bool frameTooLarge_ = false;
  // Graphic control values waiting for the next image; they apply to that image only.
  int pendingDisposal_ = 0;
  bool pendingTransparent_ = false;
  uint8_t pendingIndex_ = 0;
  int pendingDelay_ = 0;
  std::vector<uint8_t> codes_;   // the image's sub-blocks joined
  std::vector<uint8_t> linear_;  // pixels in stream order, when they cannot go in place
  std::vector<int> rowOrder_;
};

}  // namespace pic
