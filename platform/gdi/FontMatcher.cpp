#include "platform/gdi/FontMatcher.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/kernel/CodePage.h"

namespace platform::gdi {
namespace {

struct Alias {
  const char* name;  // UTF-8, compared without regard to ASCII case
  const char* family;
};

// The Chinese system faces and Calibri are what programs written for Windows ask for;
// these families are metric- or style-alike stand-ins that we install. fontconfig names
// the Arphic families per region, and the mainland one matches GB2312 text.
constexpr Alias kAliases[] = {
    {"\xE5\xAE\x8B\xE4\xBD\x93", "AR PL UMing CN"},              // 宋体
    {"\xE6\x96\xB0\xE5\xAE\x8B\xE4\xBD\x93", "AR PL UMing CN"},  // 新宋体
    {"SimSun", "AR PL UMing CN"},
    {"NSimSun", "AR PL UMing CN"},
    {"\xE6\xA5\xB7\xE4\xBD\x93", "AR PL UKai CN"},         // 楷体
    {"\xE6\xA5\xB7\xE4\xBD\x93_GB2312", "AR PL UKai CN"},  // 楷体_GB2312
    {"KaiTi", "AR PL UKai CN"},
    {"KaiTi_GB2312", "AR PL UKai CN"},
    {"Calibri", "Carlito"},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::mutex& MatcherLock() {
  static std::mutex lock;
  return lock;
}

bool EnsureFontconfig() {
  static const bool ready = FcInit() == FcTrue;
  return ready;
}

std::string PatternString(FcPattern* pattern, const char* object, int n = 0) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, n, &value) != FcResultMatch || value == nullptr)
    return {};
  return reinterpret_cast<const char*>(value);
}

bool FamilyListed(FcPattern* pattern, const std::string& family) {
  FcChar8* value = nullptr;
  for (int n = 0; FcPatternGetString(pattern, FC_FAMILY, n, &value) == FcResultMatch; ++n) {
    if (SameName(reinterpret_cast<const char*>(value), family)) return true;
  }
  return false;
}

void FillFontFile(FcPattern* pattern, FontFile* out) {
  out->path = PatternString(pattern, FC_FILE);
  int index = 0;
  FcPatternGetInteger(pattern, FC_INDEX, 0, &index);
  out->index = index;
  out->family = PatternString(pattern, FC_FAMILY);
  int weight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(pattern, FC_WEIGHT, 0, &weight);
  out->bold = weight >= FC_WEIGHT_DEMIBOLD;
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(pattern, FC_SLANT, 0, &slant);
  out->italic = slant != FC_SLANT_ROMAN;
  // fontconfig's own synthesis rules mark a regular face as bold or slanted when that was
  // asked for; such a face still needs emboldening or shearing by us.
  FcBool embolden = FcFalse;
  if (FcPatternGetBool(pattern, FC_EMBOLDEN, 0, &embolden) == FcResultMatch && embolden)
    out->bold = false;
  FcMatrix* matrix = nullptr;
  if (FcPatternGetMatrix(pattern, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix != nullptr &&
      matrix->xy != 0) {
    out->italic = false;
  }
}

// fontconfig's best face for a family, or null. With `exact` only that family counts: its
// own substitution rules would otherwise hand back a default face for a family we lack.
bool Match(const std::string& family, bool bold, bool italic, bool exact, FontFile* out) {
  if (!EnsureFontconfig()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool ok = !exact || FamilyListed(match, family);
  if (ok) {
    FillFontFile(match, out);
    ok = !out->path.empty();
  }
  FcPatternDestroy(match);
  return ok;
}

}  // namespace

std::string RequestedFamily(std::string_view gbkFace) {
  std::string face = kernel::GbkToUtf8(gbkFace, false).value_or(std::string());
  for (const Alias& alias : kAliases) {
    if (SameName(face, alias.name)) return alias.family;
  }
  return face;
}

bool MatchExactFamily(const std::string& family, bool bold, bool italic, FontFile* out) {
  std::lock_guard guard(MatcherLock());
  using Key = std::tuple<std::string, bool, bool>;
  static std::map<Key, std::pair<bool, FontFile>> cache;
  Key key{family, bold, italic};
  auto found = cache.find(key);
  if (found == cache.end()) {
    FontFile file;
    bool ok = Match(family, bold, italic, true, &file);
    found = cache.emplace(key, std::make_pair(ok, file)).first;
  }
  if (found->second.first) *out = found->second.second;
  return found->second.first;
}

bool MatchFont(std::string_view gbkFace, bool bold, bool italic, FontFile* out) {
  std::string family = RequestedFamily(gbkFace);
  const bool mapped = std::any_of(std::begin(kAliases), std::end(kAliases),
                                  [&](const Alias& a) { return family == a.family; });
  // Names outside ASCII that we do not map are Chinese faces we have no stand-in for; the
  // fallback family draws them better than whatever fontconfig's default would be.
  if (!family.empty() && (mapped || !IsAscii(family))) {
    if (mapped && MatchExactFamily(family, bold, italic, out)) return true;
  } else if (!family.empty()) {
    std::lock_guard guard(MatcherLock());
    if (Match(family, bold, italic, false, out)) return true;
  }
  if (MatchExactFamily(kFallbackFamily, bold, italic, out)) return true;
  std::lock_guard guard(MatcherLock());
  return Match("sans-serif", bold, italic, false, out);
}

std::vector<FontFamily> ListFontFamilies() {
  std::vector<FontFamily> families;
  std::lock_guard guard(MatcherLock());
  if (!EnsureFontconfig()) return families;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, FC_INDEX, FC_WEIGHT,
                                          FC_SLANT, FC_SCALABLE, nullptr);
  FcFontSet* set = (pattern && objects) ? FcFontList(nullptr, pattern, objects) : nullptr;
  std::map<std::string, FontFamily> byName;
  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* font = set->fonts[i];
      FcBool scalable = FcFalse;
      if (FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable) continue;
      FontFamilyStyle style;
      FillFontFile(font, &style.file);
      style.style = PatternString(font, FC_STYLE);
      if (style.file.family.empty() || style.file.path.empty()) continue;
      FontFamily& family = byName[style.file.family];
      family.name = style.file.family;
      family.styles.push_back(std::move(style));
    }
    FcFontSetDestroy(set);
  }
  if (objects != nullptr) FcObjectSetDestroy(objects);
  if (pattern != nullptr) FcPatternDestroy(pattern);
  for (auto& [name, family] : byName) {
    // Regular first, so that a family's first style is its plain face.
    std::stable_sort(family.styles.begin(), family.styles.end(),
                     [](const FontFamilyStyle& a, const FontFamilyStyle& b) {
                       return std::tie(a.file.bold, a.file.italic) <
                              std::tie(b.file.bold, b.file.italic);
                     });
    families.push_back(std::move(family));
  }
  return families;
}

}  // namespace platform::gdi

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VELMORA_ASAN)
// fontconfig loses a few blocks while parsing its configuration files (unreachable from
// the start, so no call of ours can free them); sanitizer builds would otherwise fail
// every process that draws text. Defined here so that it comes along with font matching.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif
