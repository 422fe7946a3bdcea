// The button unit: a push button of the system class that shows a caption or a picture,
// raises event 0 when clicked and is the window's default button when its kind is 1.
#pragma once

#include <cstdint>

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kButtonPicture = 8;
inline constexpr uint32_t kButtonKind = 9;
inline constexpr uint32_t kButtonCaption = 10;
inline constexpr uint32_t kButtonHAlign = 11;
inline constexpr uint32_t kButtonVAlign = 12;
inline constexpr uint32_t kButtonFont = 13;

inline constexpr int32_t kButtonClicked = 0;

// The button styles for a set of properties (kind, alignments, picture kind); choices out of
// range are taken as their nearest end.
DWORD ButtonStyle(const TypeBlock& properties);

void* ButtonInterface(int32_t operation);

}  // namespace forms
