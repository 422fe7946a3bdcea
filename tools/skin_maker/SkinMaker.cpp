// Writes the skin blocks from the readable table of skins: one file per row, named after
// its number (06.skin). Each row gives a face and an accent colour and the shapes; the
// rest of the look is worked out here so that every skin is coherent with its two colours.
//
//   skin_maker TABLE OUTPUT-FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "skin/SkinFormat.h"

namespace {

using skin::Skin;

constexpr COLORREF kWhite = 0xFFFFFF, kBlack = 0;

COLORREF Rgb(int r, int g, int b) {
  return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(b) << 16;
}
int R(COLORREF c) {
  return static_cast<int>(c & 0xFF);
}
int G(COLORREF c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
int B(COLORREF c) {
  return static_cast<int>((c >> 16) & 0xFF);
}

// `t` of the way from a to b, in percent.
COLORREF Mix(COLORREF a, COLORREF b, int t) {
  auto m = [t](int x, int y) { return (x * (100 - t) + y * t + 50) / 100; };
  return Rgb(m(R(a), R(b)), m(G(a), G(b)), m(B(a), B(b)));
}

int Luma(COLORREF c) {
  return (R(c) * 299 + G(c) * 587 + B(c) * 114) / 1000;
}

// Contrast as readability guidelines reckon it, from the relative luminance of each colour.
double Contrast(COLORREF a, COLORREF b) {
  auto luminance = [](COLORREF c) {
    auto linear = [](int v) {
      const double s = v / 255.0;
      return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(R(c)) + 0.7152 * linear(G(c)) + 0.0722 * linear(B(c));
  };
  const double x = luminance(a), y = luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

constexpr double kReadable = 4.5;

// Text that reads on every one of `grounds`: a near-white or a near-black tinted by `tint`,
// whichever stands out more; plain white or black where a tint would fall short. Empty
// when not even those read on all of them.
std::optional<COLORREF> InkOnAll(std::initializer_list<COLORREF> grounds, COLORREF tint) {
  auto worst = [&](COLORREF ink) {
    double w = 1e9;
    for (COLORREF g : grounds) w = std::min(w, Contrast(ink, g));
    return w;
  };
  const COLORREF light = Mix(kWhite, tint, 6), dark = Mix(Rgb(0x1A, 0x1A, 0x1A), tint, 10);
  const COLORREF tinted = worst(light) >= worst(dark) ? light : dark;
  if (worst(tinted) >= kReadable) return tinted;
  const COLORREF plain = worst(kWhite) >= worst(kBlack) ? kWhite : kBlack;
  if (worst(plain) >= kReadable) return plain;
  return std::nullopt;
}

// On one flat colour white or black always reaches 4.5:1.
COLORREF InkOn(COLORREF back, COLORREF tint) {
  return InkOnAll({back}, tint)
      .value_or(Contrast(kWhite, back) >= Contrast(kBlack, back) ? kWhite : kBlack);
}

// The title is written across the caption's whole shading, so its ink must read on the
// lightest and the darkest part. Where no ink does, the shading is deepened (or, for a
// light caption, paled) step by step, keeping its hue, until one does.
COLORREF FitCaption(COLORREF& top, COLORREF& bottom, bool glossy, COLORREF tint) {
  const bool lightInk = Luma(bottom) < 150;
  for (int step = 0; step < 40; ++step) {
    const COLORREF lightest = glossy ? Mix(top, kWhite, 23) : top;
    if (auto ink = InkOnAll({lightest, top, bottom}, tint)) return *ink;
    const COLORREF toward = lightInk ? kBlack : kWhite;
    top = Mix(top, toward, 6);
    bottom = Mix(bottom, toward, 6);
  }
  return lightInk ? kWhite : kBlack;
}

// An inactive title steps back toward its caption, as far as it stays legible.
COLORREF Recede(COLORREF ink, COLORREF top, COLORREF bottom, bool glossy) {
  constexpr double kLegible = 3.0;
  const COLORREF lightest = glossy ? Mix(top, kWhite, 23) : top;
  for (int t = 45; t > 0; t -= 5) {
    const COLORREF dimmed = Mix(ink, bottom, t);
    if (std::min({Contrast(dimmed, lightest), Contrast(dimmed, top), Contrast(dimmed, bottom)}) >=
        kLegible)
      return dimmed;
  }
  return ink;
}

bool ParseColour(const std::string& text, COLORREF* out) {
  if (text.size() != 7 || text[0] != '#') return false;
  unsigned value = 0;
  if (std::sscanf(text.c_str() + 1, "%6x", &value) != 1) return false;
  *out = Rgb(static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 0xFF),
             static_cast<int>(value & 0xFF));
  return true;
}

template <class E>
bool Choose(const std::map<std::string, E>& names, const std::string& word, E* out) {
  auto it = names.find(word);
  if (it == names.end()) return false;
  *out = it->second;
  return true;
}

void Derive(Skin& skin, COLORREF face, COLORREF accent) {
  using namespace skin;
  const bool dark = Luma(face) < 110;
  // The application writes its labels and edits in black unless it picked a colour, and a
  // picked colour was picked against a light ground; so the grounds under its text (window
  // and dialog faces, edits, lists, buttons) stay light in every skin. A dark skin keeps
  // its face for the bars and the frame, which only the skin writes on.
  const COLORREF ground = dark ? Mix(face, kWhite, 84) : face;
  COLORREF* c = skin.style.colors;
  c[kFace] = ground;
  c[kField] = Mix(ground, kWhite, 80);
  c[kInk] = InkOn(ground, accent);
  c[kDimInk] = Mix(c[kInk], ground, 55);
  c[kAccent] = accent;
  c[kAccentDark] = Mix(accent, kBlack, 30);
  c[kAccentLight] = Mix(accent, kWhite, 40);
  c[kCaptionTop] = Mix(accent, kWhite, dark ? 12 : 22);
  c[kCaptionBottom] = Mix(accent, kBlack, dark ? 30 : 18);
  const COLORREF idle =
      Mix(Mix(accent, face, 65), Rgb(Luma(accent), Luma(accent), Luma(accent)), 50);
  c[kCaptionIdleTop] = Mix(idle, kWhite, 10);
  c[kCaptionIdleBottom] = idle;
  const bool glossy = skin.style.captionFill == CaptionFill::Glossy;
  c[kCaptionInk] = FitCaption(c[kCaptionTop], c[kCaptionBottom], glossy, accent);
  const COLORREF idleInk = FitCaption(c[kCaptionIdleTop], c[kCaptionIdleBottom], glossy, accent);
  c[kCaptionIdleInk] = Recede(idleInk, c[kCaptionIdleTop], c[kCaptionIdleBottom], glossy);
  c[kBorder] = Mix(accent, kBlack, 45);
  c[kBorderIdle] = Mix(idle, kBlack, 25);
  c[kMenuBack] = dark ? Mix(face, kWhite, 6) : Mix(face, kWhite, 60);
  c[kMenuSelect] = dark ? Mix(accent, face, 20) : Mix(accent, kWhite, 10);
  c[kMenuSelectInk] = InkOn(c[kMenuSelect], accent);
  c[kBarInk] = InkOn(c[kMenuBack], accent);
  c[kBarDimInk] = Mix(c[kBarInk], c[kMenuBack], 55);
  c[kStatusBack] = dark ? Mix(face, kBlack, 20) : Mix(face, c[kInk], 6);
  c[kTrack] = Mix(ground, c[kInk], 8);
  c[kButtonTop] = Mix(ground, kWhite, 75);
  c[kButtonBottom] = Mix(ground, kBlack, 7);
  c[kButtonEdge] = Mix(ground, c[kInk], 40);
  c[kClose] = Rgb(0xD2, 0x3F, 0x31);
  c[kSelectionInk] = InkOn(accent, accent);
  // Plain captions sit in the face colour with an accent rule under them.
  if (skin.style.captionFill == CaptionFill::Plain) {
    c[kCaptionTop] = c[kCaptionBottom] = dark ? Mix(face, kWhite, 4) : Mix(face, kWhite, 30);
    c[kCaptionIdleTop] = c[kCaptionIdleBottom] = face;
    c[kCaptionInk] = InkOn(c[kCaptionBottom], accent);
    c[kCaptionIdleInk] = Recede(InkOn(face, accent), face, face, false);
    c[kBorder] = accent;
    c[kBorderIdle] = Mix(face, c[kCaptionInk], 30);
  }

  // The system colours, for whatever the controls draw themselves (text, selections).
  skin.palette.assign(skin::kMaxPaletteColors, ground);
  auto& p = skin.palette;
  p[COLOR_SCROLLBAR] = c[kTrack];
  p[COLOR_BACKGROUND] = Mix(accent, kBlack, 50);
  p[COLOR_ACTIVECAPTION] = c[kCaptionBottom];
  p[COLOR_INACTIVECAPTION] = c[kCaptionIdleBottom];
  p[COLOR_MENU] = c[kMenuBack];
  p[COLOR_WINDOW] = c[kField];
  p[COLOR_WINDOWFRAME] = c[kBorder];
  p[COLOR_MENUTEXT] = c[kBarInk];
  p[COLOR_WINDOWTEXT] = c[kInk];
  p[COLOR_CAPTIONTEXT] = c[kCaptionInk];
  p[COLOR_ACTIVEBORDER] = c[kCaptionBottom];
  p[COLOR_INACTIVEBORDER] = c[kCaptionIdleBottom];
  p[COLOR_APPWORKSPACE] = Mix(ground, c[kInk], 15);
  p[COLOR_HIGHLIGHT] = accent;
  p[COLOR_HIGHLIGHTTEXT] = c[kSelectionInk];
  p[COLOR_BTNFACE] = ground;
  p[COLOR_BTNSHADOW] = Mix(ground, c[kInk], 35);
  p[COLOR_GRAYTEXT] = c[kDimInk];
  p[COLOR_BTNTEXT] = c[kInk];
  p[COLOR_INACTIVECAPTIONTEXT] = c[kCaptionIdleInk];
  p[COLOR_BTNHIGHLIGHT] = kWhite;
  p[COLOR_3DDKSHADOW] = Mix(ground, kBlack, 60);
  p[COLOR_3DLIGHT] = Mix(ground, kWhite, 40);
  p[COLOR_INFOTEXT] = c[kBarInk];
  p[COLOR_INFOBK] = c[kMenuBack];
  p[COLOR_HOTLIGHT] = accent;
  p[COLOR_GRADIENTACTIVECAPTION] = c[kCaptionTop];
  p[COLOR_GRADIENTINACTIVECAPTION] = c[kCaptionIdleTop];
  p[COLOR_MENUHILIGHT] = c[kMenuSelect];
  p[COLOR_MENUBAR] = c[kMenuBack];
}

bool ParseRow(const std::string& line, Skin* skin, int* number) {
  using namespace skin;
  static const std::map<std::string, CaptionFill> kCaption = {{"flat", CaptionFill::Flat},
                                                              {"gradient", CaptionFill::Gradient},
                                                              {"glossy", CaptionFill::Glossy},
                                                              {"plain", CaptionFill::Plain}};
  static const std::map<std::string, ButtonFill> kButtons = {{"flat", ButtonFill::Flat},
                                                             {"gradient", ButtonFill::Gradient}};
  static const std::map<std::string, CaptionButtons> kCaptionButtons = {
      {"boxed", CaptionButtons::Boxed},
      {"round", CaptionButtons::Round},
      {"glyph", CaptionButtons::Glyph}};
  static const std::map<std::string, CaptionAlign> kAlign = {{"left", CaptionAlign::Left},
                                                             {"centre", CaptionAlign::Centre}};
  std::istringstream in(line);
  std::string face, accent, caption, buttons, captionButtons, align;
  int corner = 0, scroll = 0;
  if (!(in >> *number >> skin->name >> face >> accent >> caption >> buttons >> captionButtons >>
        align >> corner >> scroll)) {
    return false;
  }
  COLORREF faceColour = 0, accentColour = 0;
  if (!ParseColour(face, &faceColour) || !ParseColour(accent, &accentColour) ||
      !Choose(kCaption, caption, &skin->style.captionFill) ||
      !Choose(kButtons, buttons, &skin->style.buttonFill) ||
      !Choose(kCaptionButtons, captionButtons, &skin->style.captionButtons) ||
      !Choose(kAlign, align, &skin->style.captionAlign) || corner < 0 || corner > kMaxCorner) {
    return false;
  }
  skin->style.corner = static_cast<uint8_t>(corner);
  skin->metrics = {6, 6, 4, 5, 24, 20, 22, 34, scroll};
  Derive(*skin, faceColour, accentColour);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: skin_maker TABLE OUTPUT-FOLDER\n";
    return 2;
  }
  std::ifstream table(argv[1]);
  if (!table) {
    std::cerr << "skin_maker: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::set<int> written;
  std::string line;
  for (int row = 1; std::getline(table, line); ++row) {
    if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#') continue;
    Skin skin;
    int number = 0;
    if (!ParseRow(line, &skin, &number) || number < 1 || number > 99 ||
        !written.insert(number).second) {
      std::cerr << argv[1] << ":" << row << ": not a skin row, or a number used twice\n";
      return 1;
    }
    const std::vector<uint8_t> block = skin::EncodeSkin(skin);
    if (!skin::DecodeSkin(block.data(), block.size())) {
      std::cerr << argv[1] << ":" << row << ": the skin breaks a limit of the format\n";
      return 1;
    }
    char name[16];
    std::snprintf(name, sizeof name, "%02d.skin", number);
    std::ofstream out(std::string(argv[2]) + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size()));
    if (!out) {
      std::cerr << "skin_maker: cannot write " << name << "\n";
      return 1;
    }
  }
  return 0;
}
