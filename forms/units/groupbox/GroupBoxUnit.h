// The group box: a frame with a caption around the units it contains (they are its child
// windows and move with it). Unlike the system group box it takes mouse presses on itself,
// so that its common mouse events reach the program. Property 9 is kept with the unit.
#pragma once

#include <cstdint>

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kGroupBoxCaption = 8;
inline constexpr uint32_t kGroupBoxTextColor = 10;
inline constexpr uint32_t kGroupBoxBackColor = 11;
inline constexpr uint32_t kGroupBoxFont = 12;

void* GroupBoxInterface(int32_t operation);

}  // namespace forms
