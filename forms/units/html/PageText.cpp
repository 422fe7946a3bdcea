#include "forms/units/html/PageText.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace forms::html {
namespace {

// Browsers look for the declaration in the first 1024 bytes.
constexpr size_t kSniffBytes = 1024;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.front())) || s.front() == '"' ||
                        s.front() == '\''))
    s.remove_prefix(1);
  while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) || s.back() == '"' ||
                        s.back() == '\''))
    s.remove_suffix(1);
  return s;
}

// The value after "charset" (then optional spaces, '=', optional quote) in `text`, from `from`.
std::string CharsetAfter(std::string_view text, size_t at) {
  at += 7;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at >= text.size() || text[at] != '=') return {};
  ++at;
  while (at < text.size() && (std::isspace(static_cast<unsigned char>(text[at])) ||
                              text[at] == '"' || text[at] == '\''))
    ++at;
  size_t end = at;
  while (end < text.size() &&
         (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '-' ||
          text[end] == '_' || text[end] == ':' || text[end] == '.'))
    ++end;
  return std::string(text.substr(at, end - at));
}

// A charset named by a <meta> tag among the first bytes.
std::string MetaCharset(std::string_view bytes) {
  const std::string head = Lower(bytes.substr(0, std::min(bytes.size(), kSniffBytes)));
  size_t meta = 0;
  while ((meta = head.find("<meta", meta)) != std::string::npos) {
    size_t close = head.find('>', meta);
    std::string_view tag = std::string_view(head).substr(
        meta, close == std::string::npos ? std::string::npos : close - meta);
    size_t at = tag.find("charset");
    if (at != std::string::npos) {
      std::string label = CharsetAfter(tag, at);
      if (!label.empty()) return label;
    }
    meta += 5;
  }
  return {};
}

// Overlong forms and surrogates are not checked: a page is only being classified here.
bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t trail = b < 0x80                  ? 0
                   : (b >= 0xC2 && b < 0xE0) ? 1
                   : (b & 0xF0) == 0xE0      ? 2
                   : (b >= 0xF0 && b < 0xF5) ? 3
                                             : 9;
    if (trail == 9) return false;
    for (size_t k = 1; k <= trail; ++k) {
      // A character cut off at the end of what arrived still counts as UTF-8.
      if (i + k >= s.size()) return true;
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += trail + 1;
  }
  return true;
}

// Whether every byte pair decodes as GBK (a truncated last character is allowed: pages are
// sniffed on what has arrived).
bool LooksLikeGbk(std::string_view s) {
  size_t i = 0;
  bool sawPair = false;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b == 0x80 || b == 0xFF) return false;
    if (i + 1 >= s.size()) break;
    auto t = static_cast<unsigned char>(s[i + 1]);
    if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
    sawPair = true;
    i += 2;
  }
  return sawPair;
}

const char* IconvName(PageEncoding e) {
  switch (e) {
    case PageEncoding::Utf8:
      return "UTF-8";
    case PageEncoding::Utf16Le:
      return "UTF-16LE";
    case PageEncoding::Utf16Be:
      return "UTF-16BE";
    case PageEncoding::Gbk:
      return "GB18030";  // a superset of GBK and GB2312, as browsers decode both labels
    case PageEncoding::Latin1:
      return "WINDOWS-1252";
  }
  return "UTF-8";
}

size_t UnitBytes(PageEncoding e) {
  return e == PageEncoding::Utf16Le || e == PageEncoding::Utf16Be ? 2 : 1;
}

}  // namespace

bool EncodingFromLabel(std::string_view label, PageEncoding* out) {
  const std::string l = Lower(Trim(label));
  struct Name {
    const char* label;
    PageEncoding encoding;
  };
  static constexpr Name kNames[] = {
      {"utf-8", PageEncoding::Utf8},
      {"utf8", PageEncoding::Utf8},
      {"unicode-1-1-utf-8", PageEncoding::Utf8},
      {"utf-16", PageEncoding::Utf16Le},
      {"utf-16le", PageEncoding::Utf16Le},
      {"utf-16be", PageEncoding::Utf16Be},
      {"gbk", PageEncoding::Gbk},
      {"gb2312", PageEncoding::Gbk},
      {"gb18030", PageEncoding::Gbk},
      {"x-gbk", PageEncoding::Gbk},
      {"cp936", PageEncoding::Gbk},
      {"windows-936", PageEncoding::Gbk},
      {"chinese", PageEncoding::Gbk},
      {"csgb2312", PageEncoding::Gbk},
      {"iso-8859-1", PageEncoding::Latin1},
      {"iso8859-1", PageEncoding::Latin1},
      {"latin1", PageEncoding::Latin1},
      {"l1", PageEncoding::Latin1},
      {"windows-1252", PageEncoding::Latin1},
      {"cp1252", PageEncoding::Latin1},
      {"us-ascii", PageEncoding::Latin1},
      {"ascii", PageEncoding::Latin1},
  };
  for (const Name& n : kNames) {
    if (l == n.label) {
      *out = n.encoding;
      return true;
    }
  }
  return false;
}

std::string CharsetOfContentType(std::string_view contentType) {
  const std::string lower = Lower(contentType);
  size_t at = lower.find("charset");
  if (at == std::string::npos) return {};
  return CharsetAfter(lower, at);
}

PageEncoding DetectPageEncoding(std::string_view bytes, std::string_view contentType) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return PageEncoding::Utf8;
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") return PageEncoding::Utf16Le;
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") return PageEncoding::Utf16Be;
  PageEncoding e;
  if (EncodingFromLabel(CharsetOfContentType(contentType), &e)) return e;
  if (EncodingFromLabel(MetaCharset(bytes), &e)) {
    // A page that reached us as bytes cannot really be UTF-16 when its own markup is ASCII.
    return e == PageEncoding::Utf16Le || e == PageEncoding::Utf16Be ? PageEncoding::Utf8 : e;
  }
  if (IsValidUtf8(bytes)) return PageEncoding::Utf8;
  if (LooksLikeGbk(bytes)) return PageEncoding::Gbk;
  return PageEncoding::Latin1;
}

std::string DecodeToUtf8(std::string_view bytes, PageEncoding encoding) {
  if (encoding == PageEncoding::Utf8 && bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
    bytes.remove_prefix(3);
  if ((encoding == PageEncoding::Utf16Le && bytes.substr(0, 2) == "\xFF\xFE") ||
      (encoding == PageEncoding::Utf16Be && bytes.substr(0, 2) == "\xFE\xFF"))
    bytes.remove_prefix(2);
  std::string out;
  iconv_t cd = iconv_open("UTF-8", IconvName(encoding));
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
  out.reserve(bytes.size() + bytes.size() / 2);
  char buffer[4096];
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  const size_t unit = UnitBytes(encoding);
  while (inLeft > 0) {
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buffer, static_cast<size_t>(o - buffer));
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // An invalid or truncated sequence: one replacement character, then resynchronise.
    out += "\xEF\xBF\xBD";
    size_t skip = std::min(inLeft, unit);
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace forms::html
