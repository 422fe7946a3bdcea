// GBK texts split into characters that remember where their bytes are, so that layout can
// measure, break and advance per character and never split a double-byte character.
#pragma once

#include <cstddef>
#include <vector>

namespace platform::gdi {

struct TextChar {
  char32_t ch;
  int offset;  // first byte in the text
  int bytes;   // 1 or 2
};

// A lead byte without its trail byte (or with an invalid one) becomes '?' on its own.
std::vector<TextChar> SplitGbk(const char* text, size_t length);
// UTF-16 texts for the wide entry points; `offset` and `bytes` count code units. An unpaired
// surrogate becomes U+FFFD.
std::vector<TextChar> SplitUtf16(const char16_t* text, size_t length);

}  // namespace platform::gdi
