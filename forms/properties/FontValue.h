// Fonts as properties: a whole font is set from a font record and kept as a LOGFONTA; one
// aspect of the current font can be read or replaced on its own.
#pragma once

#include <cstdint>

#include "platform/user32.h"

namespace forms {

// The font value the program passes for a whole font (array index −1).
struct FontRecord {
  int32_t angle = 0;  // tenths of a degree
  int32_t bold = 0;
  int32_t italic = 0;
  int32_t underline = 0;
  int32_t strikeOut = 0;
  int32_t size = 9;  // points
  const char* faceName = nullptr;
};

// Aspects, by array index.
inline constexpr int32_t kFontAngle = 0;
inline constexpr int32_t kFontBold = 1;
inline constexpr int32_t kFontItalic = 2;
inline constexpr int32_t kFontUnderline = 3;
inline constexpr int32_t kFontStrikeOut = 4;
inline constexpr int32_t kFontSize = 5;
inline constexpr int32_t kFontFace = 6;

LOGFONTA FontFromRecord(const FontRecord& record);
// Replaces one aspect; `value` is the aspect's word, or for the face name its text.
// False for an aspect number outside 0-6 (the font is then unchanged).
bool SetFontAspect(LOGFONTA* font, int32_t aspect, uint32_t value, const char* face);
// The aspect's word (size in points, logicals 0 or 1); the face name is read from the font.
uint32_t FontAspect(const LOGFONTA& font, int32_t aspect);

// The platform's default interface font as a LOGFONTA.
LOGFONTA DefaultGuiFont();

}  // namespace forms
