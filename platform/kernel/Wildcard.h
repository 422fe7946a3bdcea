// File-name wildcards as FindFirstFileA applies them. Besides '*' and '?', Windows keeps
// the DOS rules: "*.*" and "*." also match names without a dot, "*.ext" stops at the last
// dot, and a '?' before a dot or the end may match nothing ("a?.txt" finds "a.txt").
// ASCII letters match either case.
#pragma once

#include <string_view>
#include <vector>

namespace platform::kernel {

class WildcardPattern {
 public:
  explicit WildcardPattern(std::u16string_view pattern);
  bool Matches(std::u16string_view name) const;

 private:
  enum class Token { Literal, Star, DosStar, DosQuestion, DosDot };
  struct Element {
    Token token;
    char16_t c;
  };
  std::vector<Element> elements_;
};

}  // namespace platform::kernel
