// Plain transcriptions of the documented text scans, one byte at a time, as the reference
// that the fast searches of the text commands must agree with. Shared by the tests and the
// text fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace textref {

using Pieces = std::vector<std::optional<std::string>>;

inline bool SameBytes(const std::string& t, size_t p, const std::string& s, bool foldCase) {
  for (size_t i = 0; i < s.size(); ++i) {
    auto a = static_cast<unsigned char>(t[p + i]);
    auto b = static_cast<unsigned char>(s[i]);
    if (foldCase) {
      if (a >= 'A' && a <= 'Z') a += 32;
      if (b >= 'A' && b <= 'Z') b += 32;
    }
    if (a != b) return false;
  }
  return true;
}

// The byte after the text (the terminating zero) is read as std::string's own zero.
inline bool Lead(const std::string& t, size_t p) {
  return static_cast<unsigned char>(t[p]) >= 0x80;
}

inline int32_t ReferenceFind(const std::string& t, const std::string& s,
                             std::optional<int32_t> start, int32_t foldWord) {
  int64_t L = static_cast<int64_t>(t.size()), S = static_cast<int64_t>(s.size());
  int64_t pos = start ? std::max<int64_t>(int64_t{*start} - 1, 0) : 0;
  int64_t R = L;
  if (pos > 0) R = pos < L ? L - pos : 0;
  if (S == 0) return R > 0 ? 1 : -1;
  while (R >= S) {
    if (SameBytes(t, static_cast<size_t>(pos), s, foldWord == 1))
      return static_cast<int32_t>(pos + 1);
    if (Lead(t, static_cast<size_t>(pos))) {
      if (t[static_cast<size_t>(pos) + 1] == 0) return -1;
      ++pos;
      --R;
    }
    ++pos;
    --R;
  }
  return -1;
}

inline std::string ReferenceReplace(const std::string& t, const std::string& s,
                                    const std::string& r, std::optional<int32_t> start,
                                    std::optional<int32_t> count, bool matchCase) {
  int64_t L = static_cast<int64_t>(t.size()), S = static_cast<int64_t>(s.size());
  int64_t d = start ? std::max<int64_t>(int64_t{*start} - 1, 0) : 0;
  int64_t n = count ? *count : -1;
  if (L == 0 || S == 0 || d >= L || n == 0) return t;
  std::string out = t.substr(0, static_cast<size_t>(d));
  int64_t p = d, R = L - d;
  while (R >= S) {
    if (SameBytes(t, static_cast<size_t>(p), s, !matchCase)) {
      out += r;
      p += S;
      R -= S;
      if (n != -1) {
        if (n == 1) break;
        --n;
      }
    } else if (Lead(t, static_cast<size_t>(p))) {
      if (t[static_cast<size_t>(p) + 1] == 0) {
        ++p;  // dropped
        break;
      }
      out += t.substr(static_cast<size_t>(p), 2);
      p += 2;
      R -= 2;
    } else {
      out += t[static_cast<size_t>(p)];
      ++p;
      --R;
    }
  }
  out += t.substr(static_cast<size_t>(p));
  return out;
}

inline Pieces ReferenceSplit(const std::string& t, const std::string& delimiter,
                             std::optional<int32_t> maximum) {
  int64_t m = maximum ? (*maximum < 0 ? 0 : *maximum) : -1;
  int64_t D = static_cast<int64_t>(delimiter.size());
  Pieces out;
  auto piece = [&](size_t from, size_t to) {
    if (to > from) {
      out.emplace_back(t.substr(from, to - from));
    } else {
      out.emplace_back(std::nullopt);
    }
  };
  if (t.empty() || m == 0) return out;
  if (D == 0) return {t};
  size_t q = 0, p = 0;
  int64_t R = static_cast<int64_t>(t.size());
  while (R >= D) {
    if (SameBytes(t, p, delimiter, false)) {
      piece(q, p);
      p += static_cast<size_t>(D);
      q = p;
      R -= D;
      if (m != -1 && --m == 0) break;
    } else if (Lead(t, p)) {
      if (t[p + 1] == 0) break;
      p += 2;
      R -= 2;
    } else {
      ++p;
      --R;
    }
  }
  if (q < t.size() && m != 0) piece(q, t.size());
  return out;
}

}  // namespace textref
