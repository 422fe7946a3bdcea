// Code pages 936 (GBK) and 65001 (UTF-8). UTF-8 is decoded here so that invalid input is
// replaced the way Windows does it (one U+FFFD per maximal invalid subsequence); GBK goes
// through iconv, whose "CP936" table maps 0x80 to the euro sign like Windows.
#include "platform/kernel/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

// iconv descriptors keep conversion state, so each thread gets its own pair.
class ThreadConverters {
 public:
  ~ThreadConverters() {
    if (fromGbk_ != Invalid()) iconv_close(fromGbk_);
    if (toGbk_ != Invalid()) iconv_close(toGbk_);
  }
  iconv_t FromGbk() { return Open(fromGbk_, "UTF-16LE", true); }
  iconv_t ToGbk() { return Open(toGbk_, "UTF-16LE", false); }

 private:
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  static iconv_t Open(iconv_t& slot, const char* unicode, bool fromGbk) {
    if (slot == Invalid()) {
      for (const char* gbk : {"CP936", "GBK"}) {
        slot = fromGbk ? iconv_open(unicode, gbk) : iconv_open(gbk, unicode);
        if (slot != Invalid()) break;
      }
    } else {
      iconv(slot, nullptr, nullptr, nullptr, nullptr);
    }
    return slot;
  }
  iconv_t fromGbk_ = Invalid();
  iconv_t toGbk_ = Invalid();
};

ThreadConverters& Converters() {
  thread_local ThreadConverters converters;
  return converters;
}

bool IsGbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool IsGbkTrail(unsigned char c) {
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

void AppendCodePoint(char32_t cp, std::u16string& out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Runs iconv over one run of input. emit receives converted bytes; onInvalid is called
// with the rest of the input at an unconvertible spot and returns how many bytes to skip,
// or 0 to give up.
template <class Emit, class OnInvalid>
bool ConvertRun(iconv_t cd, std::string_view run, std::vector<char>& buffer, Emit emit,
                OnInvalid onInvalid) {
  const bool usable = cd != reinterpret_cast<iconv_t>(-1);
  buffer.resize(run.size() * 2 + 16);
  char* inPtr = const_cast<char*>(run.data());
  size_t inLeft = run.size();
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    int error = EILSEQ;  // without a converter nothing beyond ASCII is representable
    if (usable) {
      size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
      error = result == static_cast<size_t>(-1) ? errno : 0;
    }
    emit(buffer.data(), static_cast<size_t>(outPtr - buffer.data()));
    if (error == 0) break;
    if (error == E2BIG) continue;
    size_t skip = onInvalid(std::string_view(inPtr, inLeft));
    if (skip == 0) return false;
    skip = std::min(skip, inLeft);
    inPtr += skip;
    inLeft -= skip;
    if (usable) iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

}  // namespace

bool DecodeUtf8(std::string_view in, bool strict, std::u16string& out) {
  const auto* s = reinterpret_cast<const unsigned char*>(in.data());
  size_t n = in.size();
  size_t i = 0;
  while (i < n) {
    unsigned char b = s[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3, cp = b & 0x0F;
      if (b == 0xE0) low = 0xA0;   // no overlong forms
      if (b == 0xED) high = 0x9F;  // no encoded surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4, cp = b & 0x07;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
    } else {
      if (strict) return false;
      out.push_back(kUtf8Replacement);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool valid = true;
    for (size_t k = 1; k < length; ++k, ++j) {
      unsigned char c = j < n ? s[j] : 0;
      unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
      if (j >= n || c < lo || c > hi) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!valid) {
      // The bytes that could still have begun a character count as one bad character.
      if (strict) return false;
      out.push_back(kUtf8Replacement);
      i = j;
      continue;
    }
    AppendCodePoint(cp, out);
    i = j;
  }
  return true;
}

bool DecodeGbk(std::string_view in, bool strict, std::u16string& out) {
  size_t i = 0;
  std::vector<char> buffer;
  while (i < in.size()) {
    // ASCII is the same in both and by far the most common.
    while (i < in.size() && static_cast<unsigned char>(in[i]) < 0x80) out.push_back(in[i++]);
    if (i == in.size()) break;
    size_t runEnd = i;
    while (runEnd < in.size() && static_cast<unsigned char>(in[runEnd]) >= 0x80) {
      // A trail byte may be ASCII (0x40-0x7E), so a pair always stays in the run.
      bool lead = IsGbkLead(static_cast<unsigned char>(in[runEnd]));
      runEnd += (lead && runEnd + 1 < in.size()) ? 2 : 1;
    }
    std::string_view run = in.substr(i, runEnd - i);
    bool ok = ConvertRun(
        Converters().FromGbk(), run, buffer,
        [&](const char* bytes, size_t size) {
          for (size_t k = 0; k + 1 < size; k += 2) {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) |
                                                (static_cast<unsigned char>(bytes[k + 1]) << 8)));
          }
        },
        [&](std::string_view rest) -> size_t {
          if (strict) return 0;
          out.push_back(kGbkReplacement);
          // A lead byte takes a valid trail byte with it, whatever the
          // pair decodes to; otherwise the next byte starts afresh.
          bool pair = rest.size() >= 2 && IsGbkLead(static_cast<unsigned char>(rest[0])) &&
                      IsGbkTrail(static_cast<unsigned char>(rest[1]));
          return pair ? 2 : 1;
        });
    if (!ok) return false;
    i = runEnd;
  }
  return true;
}

bool EncodeUtf8(std::u16string_view in, bool strict, std::string& out) {
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      if (strict) return false;
      c = 0xFFFD;
    }
    AppendUtf8(c, out);
  }
  return true;
}

bool EncodeGbk(std::u16string_view in, bool strict, std::string_view defaultChar, bool* usedDefault,
               std::string& out) {
  size_t i = 0;
  std::string input;
  std::vector<char> buffer;
  while (i < in.size()) {
    while (i < in.size() && in[i] < 0x80) out.push_back(static_cast<char>(in[i++]));
    if (i == in.size()) break;
    size_t runEnd = i;
    while (runEnd < in.size() && in[runEnd] >= 0x80) ++runEnd;
    input.clear();
    for (size_t k = i; k < runEnd; ++k) {
      input.push_back(static_cast<char>(in[k] & 0xFF));
      input.push_back(static_cast<char>(in[k] >> 8));
    }
    bool ok = ConvertRun(
        Converters().ToGbk(), input, buffer,
        [&](const char* bytes, size_t size) { out.append(bytes, size); },
        [&](std::string_view rest) -> size_t {
          if (strict) return 0;
          out.append(defaultChar);
          if (usedDefault) *usedDefault = true;
          // A surrogate pair is one character and gets one substitute.
          auto unit = [&](size_t k) {
            return static_cast<char16_t>(static_cast<unsigned char>(rest[2 * k]) |
                                         (static_cast<unsigned char>(rest[2 * k + 1]) << 8));
          };
          bool pair = rest.size() >= 4 && unit(0) >= 0xD800 && unit(0) <= 0xDBFF &&
                      unit(1) >= 0xDC00 && unit(1) <= 0xDFFF;
          return pair ? 4 : 2;
        });
    if (!ok) return false;
    i = runEnd;
  }
  return true;
}

std::optional<std::string> GbkToUtf8(std::string_view gbk, bool strict) {
  std::u16string wide;
  if (!DecodeGbk(gbk, strict, wide)) return std::nullopt;
  std::string utf8;
  EncodeUtf8(wide, false, utf8);
  return utf8;
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8, bool strict) {
  std::u16string wide;
  if (!DecodeUtf8(utf8, strict, wide)) return std::nullopt;
  std::string gbk;
  if (!EncodeGbk(wide, strict, "?", nullptr, gbk)) return std::nullopt;
  return gbk;
}

}  // namespace platform::kernel

using namespace platform::kernel;

namespace {

enum class Charset { Gbk, Utf8 };

bool CharsetOf(UINT codePage, Charset* charset) {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case CP_GBK:
      *charset = Charset::Gbk;
      return true;
    case CP_UTF8:
      *charset = Charset::Utf8;
      return true;
    default:
      return false;
  }
}

bool Overlaps(const void* a, size_t aBytes, const void* b, size_t bBytes) {
  auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
  return x < y + bBytes && y < x + aBytes;
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

UINT GetACP() {
  return CP_GBK;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst,
                        int dstChars) {
  Charset charset;
  if (!CharsetOf(codePage, &charset)) return Fail(ERROR_INVALID_PARAMETER);
  DWORD allowed = charset == Charset::Utf8
                      ? MB_ERR_INVALID_CHARS
                      : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((flags & ~allowed) != 0 || ((flags & MB_PRECOMPOSED) && (flags & MB_COMPOSITE))) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  if (src == nullptr || srcBytes == 0 || srcBytes < -1 || dstChars < 0 ||
      (dst == nullptr && dstChars != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  size_t length = srcBytes == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcBytes);
  if (dstChars > 0 && Overlaps(src, length, dst, static_cast<size_t>(dstChars) * sizeof(WCHAR))) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
  std::u16string wide;
  bool ok = charset == Charset::Utf8 ? DecodeUtf8(std::string_view(src, length), strict, wide)
                                     : DecodeGbk(std::string_view(src, length), strict, wide);
  if (!ok) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (wide.size() > INT_MAX) return Fail(ERROR_INSUFFICIENT_BUFFER);
  int needed = static_cast<int>(wide.size());
  if (dstChars == 0) return needed;
  if (needed > dstChars) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(dst, wide.data(), wide.size() * sizeof(WCHAR));
  return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst,
                        int dstBytes, LPCSTR defaultChar, LPBOOL usedDefault) {
  Charset charset;
  if (!CharsetOf(codePage, &charset)) return Fail(ERROR_INVALID_PARAMETER);
  DWORD allowed = charset == Charset::Utf8 ? WC_ERR_INVALID_CHARS
                                           : WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR |
                                                 WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS;
  if ((flags & ~allowed) != 0) return Fail(ERROR_INVALID_FLAGS);
  if (src == nullptr || srcChars == 0 || srcChars < -1 || dstBytes < 0 ||
      (dst == nullptr && dstBytes != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  // UTF-8 can represent everything, so Windows refuses a default character for it.
  if (charset == Charset::Utf8 && (defaultChar != nullptr || usedDefault != nullptr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  size_t length = static_cast<size_t>(srcChars);
  if (srcChars == -1) {
    length = 0;
    while (src[length] != 0) ++length;
    ++length;
  }
  if (dstBytes > 0 && Overlaps(src, length * sizeof(WCHAR), dst, static_cast<size_t>(dstBytes))) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::string narrow;
  std::u16string_view input(src, length);
  if (charset == Charset::Utf8) {
    if (!EncodeUtf8(input, (flags & WC_ERR_INVALID_CHARS) != 0, narrow)) {
      return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
  } else {
    // A double-byte default character is taken whole; anything else by its first byte.
    std::string_view substitute = "?";
    if (defaultChar != nullptr && defaultChar[0] != 0) {
      bool pair = IsGbkLead(static_cast<unsigned char>(defaultChar[0])) &&
                  IsGbkTrail(static_cast<unsigned char>(defaultChar[1]));
      substitute = std::string_view(defaultChar, pair ? 2 : 1);
    }
    bool used = false;
    EncodeGbk(input, false, substitute, &used, narrow);
    if (usedDefault != nullptr) *usedDefault = used ? TRUE : FALSE;
  }
  if (narrow.size() > INT_MAX) return Fail(ERROR_INSUFFICIENT_BUFFER);
  int needed = static_cast<int>(narrow.size());
  if (dstBytes == 0) return needed;
  if (needed > dstBytes) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(dst, narrow.data(), narrow.size());
  return needed;
}
