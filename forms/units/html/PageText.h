// Turning the bytes of a page into the UTF-8 that the layout engine reads: the encoding comes
// from a byte-order mark, the server's Content-Type, or a <meta> declaration near the top, in
// that order; a page that declares nothing is taken as UTF-8 when it is valid UTF-8, else as
// GBK when it decodes as GBK, else as Latin-1 (as Windows-1252, which every browser uses for
// it). Bytes that do not decode become U+FFFD; nothing is dropped silently.
#pragma once

#include <string>
#include <string_view>

namespace forms::html {

enum class PageEncoding { Utf8, Utf16Le, Utf16Be, Gbk, Latin1 };

// The encoding a charset label names, or false for a label we do not know.
bool EncodingFromLabel(std::string_view label, PageEncoding* out);
// The charset parameter of a Content-Type value ("text/html; charset=gbk"), or empty.
std::string CharsetOfContentType(std::string_view contentType);
PageEncoding DetectPageEncoding(std::string_view bytes, std::string_view contentType);
std::string DecodeToUtf8(std::string_view bytes, PageEncoding encoding);
inline std::string PageToUtf8(std::string_view bytes, std::string_view contentType) {
  return DecodeToUtf8(bytes, DetectPageEncoding(bytes, contentType));
}

}  // namespace forms::html
