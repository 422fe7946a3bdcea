#include "platform/gdi/GbkChars.h"

#include <array>
#include <mutex>
#include <string>

#include "platform/kernel/CodePage.h"

namespace platform::gdi {
namespace {

constexpr int kLeadFirst = 0x81, kLeadLast = 0xFE;
constexpr int kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr int kTrailCount = kTrailLast - kTrailFirst + 1;

bool IsTrail(unsigned char c) {
  return c >= kTrailFirst && c <= kTrailLast && c != 0x7F;
}

// Every double-byte character decoded once: layout looks characters up often and one
// iconv round trip per character would dominate measuring short texts.
const std::array<char16_t, (kLeadLast - kLeadFirst + 1) * kTrailCount>& PairTable() {
  static std::array<char16_t, (kLeadLast - kLeadFirst + 1) * kTrailCount> table;
  static std::once_flag once;
  std::call_once(once, [] {
    std::u16string decoded;
    for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
      for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
        char16_t value = u'?';
        if (trail != 0x7F) {
          const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
          decoded.clear();
          if (kernel::DecodeGbk(std::string_view(pair, 2), true, decoded) && decoded.size() == 1) {
            value = decoded[0];
          }
        }
        table[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] = value;
      }
    }
  });
  return table;
}

}  // namespace

std::vector<TextChar> SplitGbk(const char* text, size_t length) {
  std::vector<TextChar> chars;
  if (text == nullptr) return chars;
  chars.reserve(length);
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < length) {
    unsigned char b = s[i];
    if (b < 0x80) {
      chars.push_back({b, static_cast<int>(i), 1});
      ++i;
    } else if (b >= kLeadFirst && b <= kLeadLast && i + 1 < length && IsTrail(s[i + 1])) {
      char16_t ch = PairTable()[(b - kLeadFirst) * kTrailCount + (s[i + 1] - kTrailFirst)];
      chars.push_back({ch, static_cast<int>(i), 2});
      i += 2;
    } else {
      chars.push_back(
          {b == 0x80 ? U'\u20AC' : U'?', static_cast<int>(i), 1});  // 0x80 is the euro sign in 936
      ++i;
    }
  }
  return chars;
}

std::vector<TextChar> SplitUtf16(const char16_t* text, size_t length) {
  std::vector<TextChar> chars;
  if (text == nullptr) return chars;
  chars.reserve(length);
  size_t i = 0;
  while (i < length) {
    char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      char32_t ch = 0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00);
      chars.push_back({ch, static_cast<int>(i), 2});
      i += 2;
      continue;
    }
    chars.push_back(
        {(u >= 0xD800 && u <= 0xDFFF) ? U'\uFFFD' : char32_t{u}, static_cast<int>(i), 1});
    ++i;
  }
  return chars;
}

}  // namespace platform::gdi
