// Ids of windows, units and menu items. Every id is one 32-bit word: a flag nibble on top,
// a kind nibble under it and a 24-bit serial number that is unique in the program. A window
// is reached by its window id (flags 5, kind 2); inside it the unit that stands for the window
// itself has flags 0, ordinary controls flags 1 and menu items flags 2, all of kind 6.
#pragma once

#include <cstdint>

namespace forms {

using UnitId = uint32_t;

inline constexpr uint32_t kIdFlagsOwnUnit = 0x0;
inline constexpr uint32_t kIdFlagsUnit = 0x1;
inline constexpr uint32_t kIdFlagsMenuItem = 0x2;
inline constexpr uint32_t kIdFlagsWindow = 0x5;
inline constexpr uint32_t kIdKindWindow = 0x2;
inline constexpr uint32_t kIdKindUnit = 0x6;
inline constexpr uint32_t kIdSerialMask = 0x00FFFFFF;

constexpr uint32_t IdFlags(UnitId id) {
  return id >> 28;
}
constexpr uint32_t IdKind(UnitId id) {
  return (id >> 24) & 0xF;
}
constexpr uint32_t IdSerial(UnitId id) {
  return id & kIdSerialMask;
}

constexpr UnitId MakeId(uint32_t flags, uint32_t kind, uint32_t serial) {
  return ((flags & 0xF) << 28) | ((kind & 0xF) << 24) | (serial & kIdSerialMask);
}

// Both the kind and the serial must be set; a zero word or a bare serial names nothing.
constexpr bool IsValidId(UnitId id) {
  return IdKind(id) != 0 && IdSerial(id) != 0;
}

constexpr bool IsWindowId(UnitId id) {
  return IsValidId(id) && IdKind(id) == kIdKindWindow && IdFlags(id) == kIdFlagsWindow;
}

constexpr bool IsUnitKind(UnitId id) {
  return IsValidId(id) && IdKind(id) == kIdKindUnit;
}

constexpr bool IsMenuItemId(UnitId id) {
  return IsUnitKind(id) && IdFlags(id) == kIdFlagsMenuItem;
}

// A kind-6 unit that is not a menu item is a window unit (the window's own unit or a control).
constexpr bool IsWindowUnitId(UnitId id) {
  return IsUnitKind(id) && !IsMenuItemId(id);
}

constexpr bool IsOwnUnitId(UnitId id) {
  return IsUnitKind(id) && IdFlags(id) == kIdFlagsOwnUnit;
}

// Data types of units: library number (1-based) in the high half, type number in the low half.
using UnitTypeId = uint32_t;

constexpr UnitTypeId MakeTypeId(uint32_t library, uint32_t type) {
  return (library << 16) | (type & 0xFFFF);
}
constexpr uint32_t TypeLibrary(UnitTypeId type) {
  return type >> 16;
}
constexpr uint32_t TypeNumber(UnitTypeId type) {
  return type & 0xFFFF;
}

inline constexpr UnitTypeId kTypeWindow = 0x00010001;
inline constexpr UnitTypeId kTypeMenu = 0x00010003;
inline constexpr UnitTypeId kTypeEditBox = 0x00010005;
inline constexpr UnitTypeId kTypePicBox = 0x00010006;
inline constexpr UnitTypeId kTypeGroupBox = 0x00010009;
inline constexpr UnitTypeId kTypeLabel = 0x0001000A;
inline constexpr UnitTypeId kTypeButton = 0x0001000B;
inline constexpr UnitTypeId kTypeHScrollBar = 0x00010011;
inline constexpr UnitTypeId kTypeVScrollBar = 0x00010012;
inline constexpr UnitTypeId kTypeProcessBar = 0x00010013;
inline constexpr UnitTypeId kTypeSliderBar = 0x00010014;
inline constexpr UnitTypeId kTypeCommonDlg = 0x0001001F;
inline constexpr UnitTypeId kTypeTimer = 0x00010020;
inline constexpr UnitTypeId kTypeStatusBar = 0x00020002;
inline constexpr UnitTypeId kTypeTransLabel = 0x00020005;
inline constexpr UnitTypeId kTypeCartoonBox = 0x00030008;
inline constexpr UnitTypeId kTypeCartoonObject = 0x00030009;
inline constexpr UnitTypeId kTypeHtmlViewer = 0x00040001;

}  // namespace forms
