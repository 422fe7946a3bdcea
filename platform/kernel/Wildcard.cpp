#include "platform/kernel/Wildcard.h"

namespace platform::kernel {
namespace {

char16_t FoldAscii(char16_t c) {
  return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
}

}  // namespace

// The translation Windows makes before matching: '?' always, a '.' before a wildcard or at
// the end, and a '*' before a '.' take their DOS meanings.
WildcardPattern::WildcardPattern(std::u16string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    char16_t c = pattern[i];
    char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
    Token token = Token::Literal;
    if (c == u'?') {
      token = Token::DosQuestion;
    } else if (c == u'*') {
      token = next == u'.' ? Token::DosStar : Token::Star;
    } else if (c == u'.' && (next == u'?' || next == u'*' || next == 0)) {
      token = Token::DosDot;
    }
    elements_.push_back({token, FoldAscii(c)});
  }
}

bool WildcardPattern::Matches(std::u16string_view name) const {
  const size_t p = elements_.size(), n = name.size();
  size_t lastDot = name.rfind(u'.');
  // can[i][j]: elements i.. match name j..; filled from the end.
  std::vector<char> can((p + 1) * (n + 1), 0);
  auto at = [&](size_t i, size_t j) -> char& { return can[i * (n + 1) + j]; };
  at(p, n) = 1;
  for (size_t i = p; i-- > 0;) {
    const Element& e = elements_[i];
    for (size_t j = n + 1; j-- > 0;) {
      bool more = j < n;
      bool result = false;
      switch (e.token) {
        case Token::Literal:
          result = more && FoldAscii(name[j]) == e.c && at(i + 1, j + 1);
          break;
        case Token::Star:
          result = at(i + 1, j) || (more && at(i, j + 1));
          break;
        case Token::DosStar:
          // Any characters, but never the final dot.
          result = at(i + 1, j) || (more && j != lastDot && at(i, j + 1));
          break;
        case Token::DosQuestion:
          if (!more || name[j] == u'.') {
            // Before a dot or at the end, the whole run of '?' matches nothing.
            size_t k = i;
            while (k < p && elements_[k].token == Token::DosQuestion) ++k;
            result = at(k, j);
          } else {
            result = at(i + 1, j + 1);
          }
          break;
        case Token::DosDot:
          result = more ? (name[j] == u'.' && at(i + 1, j + 1)) : at(i + 1, j);
          break;
      }
      at(i, j) = result;
    }
  }
  return at(0, 0);
}

}  // namespace platform::kernel
