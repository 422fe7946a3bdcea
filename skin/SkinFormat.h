// The skin block: what a skin file holds and how it is read and written. A block is
//
//   "VSKN"  u16 version  u16 section count  u32 total length  u32 CRC-32 of bytes 16..end
//   sections, each: u4 tag  u32 payload length  payload
//
// all little-endian. Sections "NAME" (the skin's name, 1..64 bytes, no NUL), "PALT" (u32
// count, then that many system colours 0x00BBGGRR), "METR" (nine i32 frame and control
// sizes in the order of VelmoraThemeMetrics) and "STYL" (u32 count, the painter's colours,
// then the shape bytes) must each appear once; other tags are skipped so that a later
// writer may add sections an older library ignores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ThemeApi.h"

namespace skin {

// The painter's colours, in the order they are stored.
enum StyleColor : int {
  kFace,    // dialog and window backgrounds
  kField,   // edits, lists, tracks that hold a value
  kInk,     // text
  kDimInk,  // disabled text, ticks, glyphs at rest
  kAccent,  // selections, fills, the default button
  kAccentDark,
  kAccentLight,
  kCaptionTop,  // active caption, top and bottom of its shading
  kCaptionBottom,
  kCaptionIdleTop,  // inactive caption
  kCaptionIdleBottom,
  kCaptionInk,
  kCaptionIdleInk,
  kBorder,  // active frame
  kBorderIdle,
  kMenuBack,
  kMenuSelect,
  kMenuSelectInk,
  kStatusBack,
  kTrack,      // scroll and slider tracks
  kButtonTop,  // push button shading
  kButtonBottom,
  kButtonEdge,
  kClose,  // the close button when hot
  kSelectionInk,
  // Text on the bars (menus, status bar), which a dark skin keeps dark while the grounds
  // under the application's own text stay light.
  kBarInk,
  kBarDimInk,
  kStyleColorCount
};
// Blocks made before the bars had inks of their own stop after kSelectionInk.
constexpr int kOlderStyleColorCount = kBarInk;

enum class CaptionFill : uint8_t { Flat, Gradient, Glossy, Plain };
enum class ButtonFill : uint8_t { Flat, Gradient };
enum class CaptionButtons : uint8_t { Boxed, Round, Glyph };
enum class CaptionAlign : uint8_t { Left, Centre };

struct SkinStyle {
  COLORREF colors[kStyleColorCount] = {};
  CaptionFill captionFill = CaptionFill::Gradient;
  ButtonFill buttonFill = ButtonFill::Gradient;
  CaptionButtons captionButtons = CaptionButtons::Boxed;
  CaptionAlign captionAlign = CaptionAlign::Left;
  uint8_t corner = 2;  // corner cut of buttons and boxes, 0..6 px

  COLORREF operator[](StyleColor c) const { return colors[c]; }
};

constexpr int kMaxPaletteColors = 31;  // COLOR_SCROLLBAR .. COLOR_MENUBAR
constexpr size_t kMaxNameLength = 64;
constexpr uint8_t kMaxCorner = 6;

struct Skin {
  std::string name;
  std::vector<COLORREF> palette;
  VelmoraThemeMetrics metrics{};
  SkinStyle style;
};

std::vector<uint8_t> EncodeSkin(const Skin& skin);
// Empty when the block is damaged or breaks a rule above; never reads outside the block.
std::optional<Skin> DecodeSkin(const uint8_t* data, size_t length);

// The checksum over a block's body; exposed so that tools can re-seal a block they edit.
uint32_t SkinChecksum(const uint8_t* data, size_t length);
// Writes a block's checksum field from its body; false when it is too short to have one.
bool SealSkin(uint8_t* data, size_t length);

}  // namespace skin
