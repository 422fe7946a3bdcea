#include "pictures/decoders/GifFrames.h"

#include <cstring>

#include "pictures/decoders/Lzw.h"
#include "runtime/memory/RuntimeHeap.h"

namespace pic {
namespace {

inline int Word(const uint8_t* p) {
  return p[0] | (p[1] << 8);
}

inline void PutDword(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}
inline void PutWord(uint8_t* p, uint16_t v) {
  std::memcpy(p, &v, 2);
}

// Rows in the order an interlaced image sends them. A pass whose first row lies past a short
// image is skipped rather than swallowing pixels meant for the next pass.
void InterlacedRows(int height, std::vector<int>* rows) {
  rows->clear();
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int row = kStart[pass]; row < height; row += kStep[pass]) rows->push_back(row);
  }
}

}  // namespace

GifFrame::~GifFrame() {
  rt::FreeMem(dib);
}

uint8_t* GifFrame::ReleaseDib() {
  uint8_t* block = dib;
  dib = nullptr;
  dibSize = 0;
  return block;
}

bool GifStream::Open(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr || length < 14) return false;
  if (std::memcmp(bytes, "GIF87a", 6) != 0 && std::memcmp(bytes, "GIF89a", 6) != 0) return false;
  data_ = bytes;
  length_ = length;
  screenWidth_ = Word(bytes + 6);
  screenHeight_ = Word(bytes + 8);
  const uint8_t flags = bytes[10];
  size_t pos = 13;
  globalTable_ = nullptr;
  globalCount_ = 0;
  if (flags & 0x80) {
    const int count = 1 << ((flags & 7) + 1);
    if (pos + static_cast<size_t>(count) * 3 > length) return false;
    globalTable_ = bytes + pos;
    globalCount_ = count;
    pos += static_cast<size_t>(count) * 3;
  }
  firstFrame_ = pos_ = pos;
  imageSinceStart_ = false;
  pendingDisposal_ = 0;
  pendingTransparent_ = false;
  pendingIndex_ = 0;
  pendingDelay_ = 0;
  return true;
}

bool GifStream::SkipSubBlocks() {
  for (;;) {
    if (pos_ >= length_) return false;
    const size_t size = data_[pos_];
    if (size == 0) {
      ++pos_;
      return true;
    }
    if (size + 1 > length_ - pos_) return false;
    pos_ += size + 1;
  }
}

bool GifStream::NextFrame(GifFrame* frame, bool* wrapped, bool wrap, int64_t maxPixels) {
  *wrapped = false;
  frameTooLarge_ = false;
  if (data_ == nullptr) return false;
  for (;;) {
    // Running off the end is read like a trailer, so an animation cut short still plays the
    // frames it has.
    const int byte = pos_ < length_ ? data_[pos_++] : 0x3B;
    if (byte == 0x2C) {
      if (!DecodeImage(frame, maxPixels)) return false;
      imageSinceStart_ = true;
      return true;
    }
    if (byte == 0x00 || byte == 0x3B) {
      // A pass over the whole stream without one image would go round for ever.
      if (!imageSinceStart_) return false;
      if (!wrap) {
        *wrapped = true;
        return false;
      }
      imageSinceStart_ = false;
      pos_ = firstFrame_;
      pendingDisposal_ = 0;
      pendingTransparent_ = false;
      pendingDelay_ = 0;
      *wrapped = true;
      continue;
    }
    if (byte != 0x21 || pos_ >= length_) return false;
    const uint8_t label = data_[pos_++];
    if (label == 0xF9 && pos_ < length_ && data_[pos_] >= 4 && length_ - pos_ >= 5) {
      const uint8_t packed = data_[pos_ + 1];
      pendingDisposal_ = packed & 0x1C;
      pendingTransparent_ = (packed & 1) != 0;
      pendingDelay_ = Word(data_ + pos_ + 2);
      pendingIndex_ = data_[pos_ + 4];
    }
    // Every extension, known or not, is a chain of sub-blocks: the fixed headers of the
    // plain-text and application extensions are sub-blocks of their own (a length byte of 12
    // or 11), so one skip covers header and data alike, and an extension we have no use for
    // is passed over the same way instead of costing the whole picture.
    if (!SkipSubBlocks()) return false;
  }
}

bool GifStream::DecodeImage(GifFrame* frame, int64_t maxPixels) {
  if (length_ - pos_ < 9) return false;
  const uint8_t* d = data_ + pos_;
  const int left = Word(d), top = Word(d + 2), width = Word(d + 4), height = Word(d + 6);
  const uint8_t flags = d[8];
  pos_ += 9;

  const uint8_t* table = globalTable_;
  int tableCount = globalCount_;
  if (flags & 0x80) {
    tableCount = 1 << ((flags & 7) + 1);
    if (static_cast<size_t>(tableCount) * 3 > length_ - pos_) return false;
    table = data_ + pos_;
    pos_ += static_cast<size_t>(tableCount) * 3;
  }

  const int64_t pixels = int64_t{width} * height;
  if (pixels > kMaxGifFramePixels || pixels > maxPixels) {
    frameTooLarge_ = true;
    return false;
  }
  const int stride = (width + 3) & ~3;
  const size_t area = static_cast<size_t>(stride) * static_cast<size_t>(height);
  const size_t dibSize = kGifDibHeaderBytes + area;
  if (dibSize > static_cast<size_t>(INT32_MAX)) return false;

  if (pos_ >= length_) return false;
  const int minCodeSize = data_[pos_++];

  // Join the sub-blocks. A length byte of 0 ends them; one that runs past the data ends them
  // too (the stream then continues at the end of the data).
  codes_.clear();
  for (;;) {
    if (pos_ >= length_) break;
    const size_t size = data_[pos_];
    if (size == 0) {
      ++pos_;
      break;
    }
    if (size + 1 > length_ - pos_) {
      pos_ = length_;
      break;
    }
    codes_.insert(codes_.end(), data_ + pos_ + 1, data_ + pos_ + 1 + size);
    pos_ += size + 1;
  }
  // Only now is it known how much the frame's own data could fill: a few bytes that claim a
  // huge frame are refused here rather than allocated for.
  if (pixels > static_cast<int64_t>(codes_.size()) * kMaxGifPixelsPerCodeByte) return false;

  auto* dib = static_cast<uint8_t*>(rt::AllocMemUnchecked(static_cast<int32_t>(dibSize)));
  if (dib == nullptr) return false;
  std::memset(dib, 0, kGifDibHeaderBytes);
  PutDword(dib, 40);
  PutDword(dib + 4, static_cast<uint32_t>(width));
  PutDword(dib + 8, static_cast<uint32_t>(-height));
  PutWord(dib + 12, 1);
  PutWord(dib + 14, 8);
  PutDword(dib + 32, 256);
  PutDword(dib + 36, 256);
  uint8_t* palette = dib + 40;
  for (int i = 0; i < tableCount && i < 256; ++i) {
    palette[i * 4] = table[i * 3 + 2];
    palette[i * 4 + 1] = table[i * 3 + 1];
    palette[i * 4 + 2] = table[i * 3];
  }
  uint8_t* out = dib + kGifDibHeaderBytes;

  const size_t count = static_cast<size_t>(pixels);
  size_t written = 0;
  const bool inPlace = !(flags & 0x40) && stride == width;
  uint8_t* target = out;
  if (!inPlace) {
    if (linear_.size() < count) linear_.resize(count);
    target = linear_.data();
  }
  const LzwStatus status =
      DecodeLzw(minCodeSize, codes_.data(), codes_.size(), target, count, &written);
  if (status == LzwStatus::kCorrupt) {
    rt::FreeMem(dib);
    return false;
  }
  if (inPlace) {
    std::memset(out + written, 0, area - written);
  } else if (count > 0) {
    // Pixels never sent stay index 0, as do the padding bytes of each row.
    std::memset(linear_.data() + written, 0, count - written);
    if (flags & 0x40) {
      InterlacedRows(height, &rowOrder_);
    } else {
      rowOrder_.resize(static_cast<size_t>(height));
      for (int r = 0; r < height; ++r) rowOrder_[static_cast<size_t>(r)] = r;
    }
    for (int r = 0; r < height; ++r) {
      uint8_t* row = out + static_cast<size_t>(rowOrder_[static_cast<size_t>(r)]) * stride;
      std::memcpy(row, linear_.data() + static_cast<size_t>(r) * width, static_cast<size_t>(width));
      std::memset(row + width, 0, static_cast<size_t>(stride - width));
    }
  }

  rt::FreeMem(frame->dib);
  frame->dib = dib;
  frame->dibSize = dibSize;
  frame->left = left;
  frame->top = top;
  frame->width = width;
  frame->height = height;
  frame->stride = stride;
  frame->interlaced = (flags & 0x40) != 0;
  frame->disposal = pendingDisposal_;
  frame->transparent = pendingTransparent_;
  frame->transparentIndex = pendingIndex_;
  frame->delay = pendingDelay_;
  const uint8_t* key = palette + pendingIndex_ * 4;
  frame->transparentColor =
      pendingTransparent_ ? static_cast<uint32_t>(key[2]) | (key[1] << 8) | (key[0] << 16) : 0;
  pendingDisposal_ = 0;
  pendingTransparent_ = false;
  pendingDelay_ = 0;
  return true;
}

}  // namespace pic
