// Stepping over GBK texts: a byte 0x80-0xFF is the lead byte of a two-byte character and
// the byte after it is the trail byte, whatever its value. Searches may only report a
// match where a character starts, so the helpers here decide character starts without
// walking the text byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace cmd::gbk {

inline constexpr size_t kNotFound = static_cast<size_t>(-1);

inline bool IsLeadByte(uint8_t b) {
  return b >= 0x80;
}

// Only the ASCII letters fold; bytes of two-byte characters always compare exactly.
inline uint8_t FoldAscii(uint8_t b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<uint8_t>(b + ('a' - 'A')) : b;
}

inline bool EqualIgnoringAsciiCase(const uint8_t* a, const uint8_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Answers "does a character start here?" for increasing positions of one text.
//
// A byte below 0x80 always ends a character (it is a one-byte character or a trail byte),
// so the byte after it starts one. Inside a run of bytes >= 0x80 that begins at a
// character start, lead and trail bytes alternate. Position p therefore starts a
// character exactly when the run of bytes >= 0x80 just before it (counted back no further
// than the last position known to start a character) has even length. Moving that known
// start forward with every answer keeps the backward counts from overlapping, so a whole
// pass costs linear time however many positions are asked about.
class CharacterGrid {
 public:
  CharacterGrid(const uint8_t* text, size_t knownStart) : text_(text), known_(knownStart) {}

  // Declares p a character start: the scan continues from here after a match, whatever
  // the bytes before it were.
  void Restart(size_t p) { known_ = p; }

  // p must not lie before the last known start.
  bool IsStart(size_t p) {
    size_t q = p;
    while (q > known_ && IsLeadByte(text_[q - 1])) --q;
    if (((p - q) & 1) == 0) {
      known_ = p;
      return true;
    }
    // p is a trail byte, so the character after it starts at p + 1.
    known_ = p + 1;
    return false;
  }

 private:
  const uint8_t* text_;
  size_t known_;
};

// Finds exact occurrences of a needle that begin at character starts. Raw candidates come
// from memmem, which is far faster than comparing at every character; a candidate that
// falls on a trail byte is dropped and the search goes on from the next byte.
class ExactFinder {
 public:
  ExactFinder(const uint8_t* text, size_t length, std::string_view needle, size_t start)
      : text_(text),
        length_(length),
        needle_(reinterpret_cast<const uint8_t*>(needle.data())),
        needleLength_(needle.size()),
        grid_(text, start) {}

  // The first match at a character start at or after `from`, where `from` is itself taken
  // as a character start; kNotFound when none is left. The needle must not be empty.
  size_t Next(size_t from) {
    grid_.Restart(from);
    size_t pos = from;
    while (pos < length_ && length_ - pos >= needleLength_) {
      const void* hit = memmem(text_ + pos, length_ - pos, needle_, needleLength_);
      if (hit == nullptr) return kNotFound;
      size_t candidate = static_cast<size_t>(static_cast<const uint8_t*>(hit) - text_);
      if (grid_.IsStart(candidate)) return candidate;
      pos = candidate + 1;
    }
    return kNotFound;
  }

 private:
  const uint8_t* text_;
  size_t length_;
  const uint8_t* needle_;
  size_t needleLength_;
  CharacterGrid grid_;
};

// The same for matches that ignore the case of ASCII letters. Candidates are the places
// where the needle's first byte occurs in either case, found with memchr; the next place
// of each case is remembered so that no byte is searched twice.
class FoldingFinder {
 public:
  FoldingFinder(const uint8_t* text, size_t length, std::string_view needle, size_t start)
      : text_(text),
        length_(length),
        needle_(reinterpret_cast<const uint8_t*>(needle.data())),
        needleLength_(needle.size()),
        grid_(text, start) {
    uint8_t first = FoldAscii(needle_[0]);
    variants_[0] = first;
    variants_[1] =
        (first >= 'a' && first <= 'z') ? static_cast<uint8_t>(first - ('a' - 'A')) : first;
  }

  // As ExactFinder::Next. The needle must not be empty.
  size_t Next(size_t from) {
    grid_.Restart(from);
    size_t pos = from;
    while (pos < length_ && length_ - pos >= needleLength_) {
      size_t candidate = NextCandidate(pos);
      if (candidate == kNotFound || length_ - candidate < needleLength_) return kNotFound;
      if (grid_.IsStart(candidate) &&
          EqualIgnoringAsciiCase(text_ + candidate, needle_, needleLength_)) {
        return candidate;
      }
      pos = candidate + 1;
    }
    return kNotFound;
  }

 private:
  size_t NextCandidate(size_t pos) {
    size_t best = kNotFound;
    for (int v = 0; v < 2; ++v) {
      if (!known_[v] || (next_[v] != kNotFound && next_[v] < pos)) {
        const void* hit = std::memchr(text_ + pos, variants_[v], length_ - pos);
        next_[v] = hit == nullptr ? kNotFound
                                  : static_cast<size_t>(static_cast<const uint8_t*>(hit) - text_);
        known_[v] = true;
      }
      if (next_[v] < best) best = next_[v];
    }
    return best;
  }

  const uint8_t* text_;
  size_t length_;
  const uint8_t* needle_;
  size_t needleLength_;
  uint8_t variants_[2];
  bool known_[2] = {false, false};
  size_t next_[2] = {kNotFound, kNotFound};
  CharacterGrid grid_;
};

}  // namespace cmd::gbk
