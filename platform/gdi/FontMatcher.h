// Which font file draws a LOGFONTA. Face names arrive in GBK and are the names programs
// know from Windows; we map the ones we ship a stand-in for and let fontconfig find the rest.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::gdi {

// The face everything falls back to: it covers both CJK and Latin.
inline constexpr const char kFallbackFamily[] = "WenQuanYi Micro Hei";

struct FontFile {
  std::string path;
  int index = 0;        // face index inside a collection
  std::string family;   // UTF-8, as fontconfig names it
  bool bold = false;    // the face itself is bold (no emboldening needed)
  bool italic = false;  // the face itself is italic or oblique
};

// The family we ask fontconfig for when a program names `gbkFace` (UTF-8). Names we map
// give our stand-in; any other name is returned converted, and empty for an empty name.
std::string RequestedFamily(std::string_view gbkFace);

// The file to draw with. Never fails while the fallback family is installed; returns
// false only when fontconfig finds no usable face at all.
bool MatchFont(std::string_view gbkFace, bool bold, bool italic, FontFile* out);

// The plain face of a family known to be installed (no aliasing), for glyph fallback.
bool MatchExactFamily(const std::string& family, bool bold, bool italic, FontFile* out);

struct FontFamilyStyle {
  std::string style;  // UTF-8 ("Regular", "Bold" ...)
  FontFile file;
};
struct FontFamily {
  std::string name;  // UTF-8
  std::vector<FontFamilyStyle> styles;
};
// Every scalable family fontconfig knows, sorted by name.
std::vector<FontFamily> ListFontFamilies();

}  // namespace platform::gdi
