#include "platform/gdi/LineBreak.h"

#include <algorithm>
#include <array>

namespace platform::gdi {

namespace {

// Full-width and ideographic closing marks, closing quotes and brackets, and their ASCII
// forms (which follow Chinese text as often as not).
constexpr std::array<char32_t, 31> kClosing = {
    U'，', U'。', U'、', U'；', U'：', U'？', U'！', U'．', U'…',  U'”',  U'’',
    U'）', U'】', U'》', U'〉', U'」', U'』', U'〕', U'］', U'｝', U'〗', U'〙',
    U'〛', U',',  U'.',  U';',  U':',  U'?',  U'!',  U')',  U']'};
constexpr std::array<char32_t, 16> kOpening = {U'“',  U'‘',  U'（', U'【', U'《', U'〈',
                                               U'「', U'『', U'〔', U'［', U'｛', U'〖',
                                               U'〘', U'〚', U'(',  U'['};

template <size_t N>
bool Holds(const std::array<char32_t, N>& set, char32_t c) {
  return std::find(set.begin(), set.end(), c) != set.end();
}

}  // namespace

bool IsWrapSpace(char32_t c) {
  return c == U' ' || c == U'\t' || c == 0x3000;
}

bool IsCjkChar(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

bool NeverStartsLine(char32_t c) {
  return Holds(kClosing, c) || c == U'}';
}

bool NeverEndsLine(char32_t c) {
  return Holds(kOpening, c) || c == U'{';
}

bool CanBreakBetween(char32_t before, char32_t after) {
  if (NeverStartsLine(after) || NeverEndsLine(before)) return false;
  return IsWrapSpace(before) || IsCjkChar(before) || IsCjkChar(after);
}

}  // namespace platform::gdi
