// The records with which a unit raises an event through the runtime: notify 2008 with word
// arguments, notify 2031 with typed arguments. The raiser clears `resultPresent` before the
// call and reads it and the result afterwards.
#pragma once

#include <cstdint>

namespace forms {

inline constexpr int32_t kNotifyRaiseEvent = 2008;
inline constexpr int32_t kNotifyRaiseTypedEvent = 2031;

inline constexpr uint32_t kMaxWordArguments = 5;
inline constexpr uint32_t kMaxTypedArguments = 12;

struct EventRecord {
  uint32_t windowId = 0;
  uint32_t unitId = 0;  // 0 = the window's own unit
  int32_t event = 0;
  uint32_t argumentCount = 0;
  uint32_t arguments[kMaxWordArguments] = {};
  uint32_t resultPresent = 0;
  uint32_t result = 0;
};

// Argument flags of a typed argument.
inline constexpr uint32_t kArgumentByReference = 0x1;
inline constexpr uint32_t kArgumentTwoWords = 0x2;

struct TypedArgument {
  uint64_t value = 0;
  uint32_t type = 0;
  uint32_t flags = 0;
};
static_assert(sizeof(TypedArgument) == 16);

struct TypedEventRecord {
  uint32_t windowId = 0;
  uint32_t unitId = 0;
  int32_t event = 0;
  uint32_t argumentCount = 0;
  TypedArgument arguments[kMaxTypedArguments] = {};
  uint32_t resultPresent = 0;
  uint64_t result = 0;
};

// Common events of every window unit, raised by the window's pre-translation.
inline constexpr int32_t kEventLeftDown = -1;
inline constexpr int32_t kEventLeftUp = -2;
inline constexpr int32_t kEventLeftDoubleClick = -3;
inline constexpr int32_t kEventRightDown = -4;
inline constexpr int32_t kEventRightUp = -5;
inline constexpr int32_t kEventMouseMove = -6;
inline constexpr int32_t kEventGotFocus = -7;
inline constexpr int32_t kEventLostFocus = -8;
inline constexpr int32_t kEventKeyDown = -9;
inline constexpr int32_t kEventKeyUp = -10;
inline constexpr int32_t kEventChar = -11;
inline constexpr int32_t kEventWheel = -12;

// Events of the window's own unit.
inline constexpr int32_t kWindowBuilt = 0;
inline constexpr int32_t kWindowClosing = 1;
inline constexpr int32_t kWindowDestroyed = 2;
inline constexpr int32_t kWindowMoved = 3;
inline constexpr int32_t kWindowResized = 4;
inline constexpr int32_t kWindowActivated = 10;
inline constexpr int32_t kWindowDeactivated = 11;

}  // namespace forms
