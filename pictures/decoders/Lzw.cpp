#include "pictures/decoders/Lzw.h"

#include <cstdint>
#include <cstring>

namespace pic {
namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxWidth = 12;

// Bits arrive least-significant first. Away from the end the accumulator is topped up with
// one unaligned 8-byte load; near the end a byte at a time, so it never looks past `end`.
class CodeReader {
 public:
  CodeReader(const uint8_t* data, size_t length) : p_(data), end_(data + length) {}

  // False when fewer than `width` bits remain: the stream ends there.
  bool Read(int width, unsigned* code) {
    if (bits_ < width) {
      if (end_ - p_ >= 8) {
        uint64_t word;
        std::memcpy(&word, p_, 8);
        acc_ |= word << bits_;
        p_ += (63 - bits_) >> 3;
        bits_ |= 56;
      }
      while (bits_ <= 56 && p_ < end_) {
        acc_ |= static_cast<uint64_t>(*p_++) << bits_;
        bits_ += 8;
      }
      if (bits_ < width) return false;
    }
    *code = static_cast<unsigned>(acc_) & ((1u << width) - 1);
    acc_ >>= width;
    bits_ -= width;
    return true;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  uint64_t acc_ = 0;
  int bits_ = 0;
};

// Every string the table holds has already been written out once: an entry made after the
// previous code P is P's string plus the next byte written, so it is a span of the output
// starting where P's string was written. Decoding a code is then a copy from earlier output,
// with no prefix chain to walk.
struct Span {
  uint32_t offset;
  uint32_t length;
};

// Copies len bytes from out + from to out + to (from + len <= to, so the spans never overlap).
// Short strings, the common case, move as two 8-byte words when the buffer has room for them;
// the bytes past len are rewritten by the strings that follow.
inline void CopyString(uint8_t* out, size_t from, size_t to, size_t len, size_t capacity) {
  if (len <= 16 && capacity - to >= 16) {
    uint64_t a, b;
    std::memcpy(&a, out + from, 8);
    std::memcpy(&b, out + from + 8, 8);
    std::memcpy(out + to, &a, 8);
    std::memcpy(out + to + 8, &b, 8);
  } else {
    std::memcpy(out + to, out + from, len);
  }
}

}  // namespace

LzwStatus DecodeLzw(int minCodeSize, const uint8_t* data, size_t length, uint8_t* out,
                    size_t capacity, size_t* written) {
  *written = 0;
  if (minCodeSize < 1 || minCodeSize > 8) return LzwStatus::kCorrupt;
  if (capacity == 0) return LzwStatus::kOutputFull;
  // Spans hold 32-bit offsets; no frame comes near that many pixels.
  if (capacity > UINT32_MAX) capacity = UINT32_MAX;

  const unsigned clear = 1u << minCodeSize;
  const unsigned endCode = clear + 1;
  const unsigned firstFree = clear + 2;
  Span table[kMaxCodes];

  CodeReader reader(data, length);
  int width = minCodeSize + 1;
  unsigned next = firstFree;
  bool havePrevious = false;
  size_t previousPos = 0, previousLen = 0;  // where the previous code's string was written
  size_t pos = 0;

  for (;;) {
    unsigned code;
    if (!reader.Read(width, &code)) {
      *written = pos;
      return LzwStatus::kDataExhausted;
    }
    if (code == clear) {
      width = minCodeSize + 1;
      next = firstFree;
      havePrevious = false;
      continue;
    }
    if (code == endCode) {
      *written = pos;
      return LzwStatus::kEndCode;
    }
    if (!havePrevious) {
      // Straight after a clear (or at the start) the table holds only literals: any other
      // code has no string, so the stream is corrupt.
      if (code >= clear) {
        *written = pos;
        return LzwStatus::kCorrupt;
      }
      out[pos] = static_cast<uint8_t>(code);
      previousPos = pos;
      previousLen = 1;
      havePrevious = true;
      if (++pos == capacity) {
        *written = pos;
        return LzwStatus::kOutputFull;
      }
      // Only a 1-bit minimum size gets here with the first free code already at 2^width; the
      // encoder counts that code as taken and widens before the next one.
      if (next >= (1u << width)) ++width;
      continue;
    }

    // A code past the next free one is read as that free one: the previous string plus its
    // own first byte.
    if (code > next) code = next;
    const size_t room = capacity - pos;
    size_t len;
    if (code < clear) {
      len = 1;
      out[pos] = static_cast<uint8_t>(code);
    } else if (code < next) {
      len = table[code].length;
      if (len > room) {
        std::memcpy(out + pos, out + table[code].offset, room);
        *written = capacity;
        return LzwStatus::kOutputFull;
      }
      CopyString(out, table[code].offset, pos, len, capacity);
    } else {
      // code == next; a full table cannot get here, as a 12-bit code is below 4096.
      len = previousLen + 1;
      if (len > room) {
        std::memcpy(out + pos, out + previousPos, room);  // room <= previousLen here
        *written = capacity;
        return LzwStatus::kOutputFull;
      }
      CopyString(out, previousPos, pos, previousLen, capacity);
      out[pos + previousLen] = out[previousPos];
    }

    if (next < kMaxCodes) {
      table[next] =
          Span{static_cast<uint32_t>(previousPos), static_cast<uint32_t>(previousLen + 1)};
      ++next;
      // ">=" rather than "==": with a 1-bit minimum size N starts past 2^width, and waiting
      // for equality would pin the width for ever.
      if (next >= (1u << width) && width < kMaxWidth) ++width;
    }
    previousPos = pos;
    previousLen = len;
    pos += len;
    if (pos == capacity) {
      *written = pos;
      return LzwStatus::kOutputFull;
    }
  }
}

}  // namespace pic
