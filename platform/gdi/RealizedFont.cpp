#include "platform/gdi/RealizedFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

#include "platform/gdi/FontMatcher.h"

namespace platform::gdi {

struct FontFaceHandle {
  FT_Face face = nullptr;
  FontFile file;
};

namespace {

// Sizes beyond this would only make glyph bitmaps nobody can see whole.
constexpr double kMaxEmPixels = 2000;
constexpr LONG kDefaultEmPixels = 12;
// tan(12 degrees): the slant of a synthesized oblique.
constexpr double kObliqueShear = 0.2126;

struct GlyphKey {
  uint64_t font;
  char32_t ch;
  bool operator==(const GlyphKey& o) const { return font == o.font && ch == o.ch; }
};
struct GlyphKeyHash {
  size_t operator()(const GlyphKey& k) const {
    return std::hash<uint64_t>()(k.font * 0x9E3779B97F4A7C15ull ^ k.ch);
  }
};

// FreeType faces are not thread-safe, so everything that touches one happens under this
// lock; drawing works on finished glyph bitmaps and needs no lock of ours.
class FontSystem {
 public:
  static FontSystem& Get() {
    static FontSystem* system = new FontSystem();  // lives until exit: faces are shared widely
    return *system;
  }

  std::mutex lock;

  std::shared_ptr<FontFaceHandle> OpenFace(const FontFile& file) {
    auto key = std::make_pair(file.path, file.index);
    auto found = faces_.find(key);
    if (found != faces_.end()) return found->second;
    std::shared_ptr<FontFaceHandle> handle;
    FT_Face face = nullptr;
    if (library_ != nullptr && FT_New_Face(library_, file.path.c_str(), file.index, &face) == 0) {
      if (FT_IS_SCALABLE(face) && face->units_per_EM > 0) {
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        handle = std::make_shared<FontFaceHandle>();
        handle->face = face;
        handle->file = file;
      } else {
        FT_Done_Face(face);
      }
    }
    faces_[key] = handle;  // a face that failed stays failed
    return handle;
  }

  std::shared_ptr<const Glyph> FindGlyph(const GlyphKey& key) {
    auto found = glyphIndex_.find(key);
    if (found == glyphIndex_.end()) return nullptr;
    glyphs_.splice(glyphs_.begin(), glyphs_, found->second);
    return found->second->second;
  }
  void StoreGlyph(const GlyphKey& key, std::shared_ptr<const Glyph> glyph) {
    glyphBytes_ += GlyphBytes(*glyph);
    glyphs_.emplace_front(key, std::move(glyph));
    glyphIndex_[key] = glyphs_.begin();
    while (glyphBytes_ > kGlyphCacheByteLimit && glyphs_.size() > 1) {
      glyphBytes_ -= GlyphBytes(*glyphs_.back().second);
      glyphIndex_.erase(glyphs_.back().first);
      glyphs_.pop_back();
    }
  }
  size_t glyphCount() const { return glyphs_.size(); }
  size_t glyphBytes() const { return glyphBytes_; }

  std::map<std::string, std::pair<uint64_t, std::shared_ptr<const RealizedFont>>> realized;
  uint64_t realizeClock = 0;
  uint64_t nextFontId = 1;

 private:
  FontSystem() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  static size_t GlyphBytes(const Glyph& g) { return g.coverage.size() + sizeof(Glyph) + 64; }

  FT_Library library_ = nullptr;
  std::map<std::pair<std::string, int>, std::shared_ptr<FontFaceHandle>> faces_;
  std::list<std::pair<GlyphKey, std::shared_ptr<const Glyph>>> glyphs_;
  std::unordered_map<GlyphKey, decltype(glyphs_)::iterator, GlyphKeyHash> glyphIndex_;
  size_t glyphBytes_ = 0;
};

// The face's Windows line metrics in font units: what GDI calls ascent and descent.
void WinAscentDescent(FT_Face face, double* ascent, double* descent) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    *ascent = os2->usWinAscent;
    *descent = os2->usWinDescent;
  } else {
    *ascent = face->ascender;
    *descent = -face->descender;
  }
  if (*ascent + *descent <= 0) {
    *ascent = face->units_per_EM * 0.8;
    *descent = face->units_per_EM * 0.2;
  }
}

void SetSize(FT_Face face, double emPixels) {
  FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(emPixels * 64));
  FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(size, 1), 72, 72);
}

std::string KeyOf(const LOGFONTA& lf) {
  char key[96];
  int n = std::snprintf(key, sizeof key, "%d/%d/%d/%d/%d/%d/%d/", lf.lfHeight, lf.lfWidth,
                        lf.lfEscapement, lf.lfWeight, lf.lfItalic ? 1 : 0, lf.lfUnderline ? 1 : 0,
                        lf.lfStrikeOut ? 1 : 0);
  std::string s(key, static_cast<size_t>(std::max(n, 0)));
  s.append(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  return s;
}

std::shared_ptr<const Glyph> RenderGlyph(const RealizedFont& font, char32_t ch) {
  auto glyph = std::make_shared<Glyph>();
  if (ch < 0x20 || ch == 0x7F) return glyph;  // control characters take no room
  FontFaceHandle* handle = font.face.get();
  FT_UInt index = FT_Get_Char_Index(handle->face, ch);
  if (index == 0 && font.fallback != nullptr) {
    FT_UInt other = FT_Get_Char_Index(font.fallback->face, ch);
    if (other != 0) {
      handle = font.fallback.get();
      index = other;
    }
  }
  FT_Face face = handle->face;
  SetSize(face, font.emPixels);
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) return glyph;
  FT_GlyphSlot slot = face->glyph;

  double advance = slot->linearHoriAdvance / 65536.0 * font.xScale;
  int boldStrength = 0;  // 26.6
  if (font.syntheticBold) {
    boldStrength = std::max(64, static_cast<int>(std::lround(font.emPixels * 64 / 24)));
    boldStrength = (boldStrength + 32) & ~63;  // whole pixels keep advances integral
  }
  glyph->advance = static_cast<int>(std::lround(advance)) + boldStrength / 64;

  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return glyph;
  if (boldStrength > 0) {
    FT_Outline_Embolden(&slot->outline, boldStrength);
    FT_Outline_Translate(&slot->outline, boldStrength / 2, 0);
  }
  // Width scale and oblique shear in glyph space, then the baseline's rotation.
  double shear = font.syntheticItalic ? kObliqueShear : 0.0;
  double c = std::cos(font.escapementRadians), s = std::sin(font.escapementRadians);
  double xx = c * font.xScale, xy = c * shear - s, yx = s * font.xScale, yy = s * shear + c;
  if (xx != 1.0 || xy != 0.0 || yx != 0.0 || yy != 1.0) {
    FT_Matrix m;
    m.xx = static_cast<FT_Fixed>(std::lround(xx * 65536));
    m.xy = static_cast<FT_Fixed>(std::lround(xy * 65536));
    m.yx = static_cast<FT_Fixed>(std::lround(yx * 65536));
    m.yy = static_cast<FT_Fixed>(std::lround(yy * 65536));
    FT_Outline_Transform(&slot->outline, &m);
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0)
    return glyph;
  glyph->left = slot->bitmap_left;
  glyph->top = slot->bitmap_top;
  glyph->width = static_cast<int>(bitmap.width);
  glyph->height = static_cast<int>(bitmap.rows);
  glyph->coverage.resize(static_cast<size_t>(glyph->width) * glyph->height);
  const int pitch = bitmap.pitch;
  for (int y = 0; y < glyph->height; ++y) {
    const unsigned char* row =
        pitch >= 0 ? bitmap.buffer + static_cast<ptrdiff_t>(y) * pitch
                   : bitmap.buffer + static_cast<ptrdiff_t>(glyph->height - 1 - y) * -pitch;
    std::memcpy(glyph->coverage.data() + static_cast<size_t>(y) * glyph->width, row, glyph->width);
  }
  return glyph;
}

BYTE FamilyBits(const std::string& family, bool fixed) {
  if (fixed) return FF_MODERN;
  if (family.find("Ming") != std::string::npos || family.find("Serif") != std::string::npos)
    return FF_ROMAN;
  if (family.find("Kai") != std::string::npos) return FF_SCRIPT;
  return FF_SWISS;
}

std::shared_ptr<RealizedFont> Realize(FontSystem& system, const LOGFONTA& requested) {
  LOGFONTA lf = requested;
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  const bool wantBold = lf.lfWeight >= FW_SEMIBOLD;
  const bool wantItalic = lf.lfItalic != 0;
  FontFile file;
  if (!MatchFont(std::string_view(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE)), wantBold,
                 wantItalic, &file)) {
    return nullptr;
  }
  auto face = system.OpenFace(file);
  if (face == nullptr) {
    if (!MatchExactFamily(kFallbackFamily, wantBold, wantItalic, &file)) return nullptr;
    face = system.OpenFace(file);
    if (face == nullptr) return nullptr;
  }
  auto font = std::make_shared<RealizedFont>();
  font->logFont = lf;
  font->family = file.family;
  font->face = face;
  FontFile fallbackFile;
  if (file.family != kFallbackFamily &&
      MatchExactFamily(kFallbackFamily, false, false, &fallbackFile)) {
    font->fallback = system.OpenFace(fallbackFile);
  }
  FT_Face ft = face->face;
  const double upem = ft->units_per_EM;
  double winAscent, winDescent;
  WinAscentDescent(ft, &winAscent, &winDescent);

  // Negative heights name the em square, positive ones the whole cell, as on Windows.
  LONG height = lf.lfHeight == 0 ? -kDefaultEmPixels : lf.lfHeight;
  double em;
  if (height < 0) {
    em = std::min<double>(-static_cast<double>(height), kMaxEmPixels);
    font->ascent = static_cast<int>(std::lround(winAscent * em / upem));
    font->descent = static_cast<int>(std::lround(winDescent * em / upem));
  } else {
    double cell = std::min<double>(height, kMaxEmPixels);
    em = cell * upem / (winAscent + winDescent);
    font->ascent = static_cast<int>(std::lround(winAscent * em / upem));
    font->descent = static_cast<int>(cell) - font->ascent;
  }
  font->emPixels = em;
  font->internalLeading = std::max(0, font->height() - static_cast<int>(std::lround(em)));
  const double scale = em / upem;

  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
  double naturalAverage = 0;
  if (os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0)
    naturalAverage = os2->xAvgCharWidth * scale;
  if (naturalAverage <= 0) {
    SetSize(ft, em);
    FT_UInt x = FT_Get_Char_Index(ft, 'x');
    if (x != 0 && FT_Load_Glyph(ft, x, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0) {
      naturalAverage = ft->glyph->linearHoriAdvance / 65536.0;
    }
    if (naturalAverage <= 0) naturalAverage = em / 2;
  }
  LONG width = lf.lfWidth < 0 ? -lf.lfWidth : lf.lfWidth;
  if (width > 0)
    font->xScale = std::clamp(std::min<double>(width, kMaxEmPixels) / naturalAverage, 0.05, 20.0);

  // The face's own tables have the last word on its style.
  const bool faceBold = (ft->style_flags & FT_STYLE_FLAG_BOLD) ||
                        (os2 != nullptr && os2->version != 0xFFFF && os2->usWeightClass >= 600);
  const bool faceItalic = (ft->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  font->syntheticBold = wantBold && !faceBold;
  font->syntheticItalic = wantItalic && !faceItalic;
  font->weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<LONG>(lf.lfWeight, 1, 1000);
  font->italic = wantItalic;
  font->underline = lf.lfUnderline != 0;
  font->strikeOut = lf.lfStrikeOut != 0;
  int boldExtra = font->syntheticBold ? std::max(1, static_cast<int>(std::lround(em / 24))) : 0;
  font->aveCharWidth =
      std::max(1, static_cast<int>(std::lround(naturalAverage * font->xScale)) + boldExtra);
  font->maxCharWidth = std::max(
      font->aveCharWidth,
      static_cast<int>(std::lround(ft->max_advance_width * scale * font->xScale)) + boldExtra);
  font->fixedPitch = FT_IS_FIXED_WIDTH(ft);
  font->charSet = FT_Get_Char_Index(ft, 0x4E2D) != 0 ? GB2312_CHARSET : ANSI_CHARSET;  // 中
  font->pitchAndFamily =
      static_cast<BYTE>((font->fixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                        FamilyBits(file.family, font->fixedPitch));

  int underlineThickness = static_cast<int>(std::lround(ft->underline_thickness * scale));
  font->underlineThickness = std::max(1, underlineThickness);
  int underlinePosition = static_cast<int>(std::lround(-ft->underline_position * scale));
  font->underlineOffset = std::clamp(underlinePosition - font->underlineThickness / 2, 1,
                                     std::max(1, font->descent - font->underlineThickness));
  double strikeSize = 0, strikePosition = 0;
  if (os2 != nullptr && os2->version != 0xFFFF) {
    strikeSize = os2->yStrikeoutSize * scale;
    strikePosition = os2->yStrikeoutPosition * scale;
  }
  if (strikeSize <= 0) strikeSize = font->underlineThickness;
  if (strikePosition <= 0) strikePosition = em * 0.25;
  font->strikeOutThickness = std::max(1, static_cast<int>(std::lround(strikeSize)));
  font->strikeOutOffset = -static_cast<int>(std::lround(strikePosition));

  // Escapement is in tenths of a degree, counter-clockwise.
  LONG tenths = lf.lfEscapement % 3600;
  font->rotated = tenths != 0;
  font->escapementRadians = tenths * 3.14159265358979323846 / 1800.0;
  font->id = system.nextFontId++;
  return font;
}

}  // namespace

void RealizedFont::Glyphs(const char32_t* chars, size_t count,
                          std::vector<std::shared_ptr<const Glyph>>* out) const {
  FontSystem& system = FontSystem::Get();
  std::lock_guard guard(system.lock);
  out->reserve(out->size() + count);
  for (size_t i = 0; i < count; ++i) {
    GlyphKey key{id, chars[i]};
    auto glyph = system.FindGlyph(key);
    if (glyph == nullptr) {
      glyph = RenderGlyph(*this, chars[i]);
      system.StoreGlyph(key, glyph);
    }
    out->push_back(std::move(glyph));
  }
}

std::shared_ptr<const Glyph> RealizedFont::GlyphFor(char32_t ch) const {
  std::vector<std::shared_ptr<const Glyph>> one;
  Glyphs(&ch, 1, &one);
  return one.front();
}

std::shared_ptr<const RealizedFont> RealizeFont(const LOGFONTA& logFont) {
  FontSystem& system = FontSystem::Get();
  std::lock_guard guard(system.lock);
  std::string key = KeyOf(logFont);
  auto found = system.realized.find(key);
  if (found != system.realized.end()) {
    found->second.first = ++system.realizeClock;
    return found->second.second;
  }
  std::shared_ptr<const RealizedFont> font = Realize(system, logFont);
  if (font == nullptr) return nullptr;
  constexpr size_t kRealizedLimit = 128;
  if (system.realized.size() >= kRealizedLimit) {
    auto oldest = std::min_element(
        system.realized.begin(), system.realized.end(),
        [](const auto& a, const auto& b) { return a.second.first < b.second.first; });
    system.realized.erase(oldest);
  }
  system.realized[key] = {++system.realizeClock, font};
  return font;
}

size_t GlyphCacheEntries() {
  FontSystem& system = FontSystem::Get();
  std::lock_guard guard(system.lock);
  return system.glyphCount();
}

size_t GlyphCacheBytes() {
  FontSystem& system = FontSystem::Get();
  std::lock_guard guard(system.lock);
  return system.glyphBytes();
}

}  // namespace platform::gdi
