// The numbered operations every unit type hands out through its interface routine, with
// the shapes the engine calls them by. A type may leave any operation out (its interface
// answers null) and the engine then skips that step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/user32.h"
#include "runtime/image/DataTypeDescriptor.h"

namespace forms {

class UnitObject;

inline constexpr int32_t kOpCreate = 1;
inline constexpr int32_t kOpSetProperty = 4;
inline constexpr int32_t kOpGetAllData = 5;
inline constexpr int32_t kOpGetProperty = 6;
inline constexpr int32_t kOpListTexts = 9;
inline constexpr int32_t kOpIsDefaultButton = 10;
inline constexpr int32_t kOpMessageFilter = 11;

// One property value crossing the interface. Words (integers, choices, logicals, colours)
// and two-word values (decimals, date-times) are in `word`; texts point at zero-terminated
// GBK in `data` (never null on a set: an empty text is ""); byte data (pictures, icons,
// cursors, sounds, fonts as a 60-byte LOGFONTA, type-specific data) is `data` + `size`.
// What a get operation points at stays the unit's and is copied by the engine at once.
struct PropertyValue {
  uint64_t word = 0;
  const void* data = nullptr;
  uint32_t size = 0;
};

// Operation 1. Every unit is created hidden; `style` carries WS_DISABLED and WS_TABSTOP
// from the record, the type adds its own bits. `menu` is given to windows only.
struct UnitCreateArgs {
  std::span<const uint8_t> typeBlock;
  DWORD style = 0;
  HWND parent = nullptr;
  UINT controlId = 0;
  HMENU menu = nullptr;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  uint32_t windowId = 0;
  uint32_t unitId = 0;
};

using CreateOperation = UnitObject* (*)(const UnitCreateArgs& args);
// Index is the property index − 8. `out` is cleared to 0 before the call. Returns 1 when the
// unit must be re-created for the change to show.
using SetPropertyOperation = int32_t (*)(UnitObject* unit, int32_t index,
                                         const PropertyValue& value, uint32_t* out);
// The type block describing the unit's current state; false when the unit cannot say.
using GetAllDataOperation = bool (*)(UnitObject* unit, std::vector<uint8_t>* block);
// Returns 1 when the index is known.
using GetPropertyOperation = int32_t (*)(UnitObject* unit, int32_t index, PropertyValue* out);
using TextCallback = void (*)(const char* text, intptr_t user);
using ListTextsOperation = void (*)(UnitObject* unit, TextCallback callback, intptr_t user);
using IsDefaultButtonOperation = int32_t (*)(UnitObject* unit);
// True when the unit consumed the message.
using MessageFilterOperation = int32_t (*)(UnitObject* unit, MSG* message);

// The routine of an operation of a type, or null when the type or the operation is absent.
template <typename Operation>
Operation UnitOperation(const rt::DataTypeDescriptor* type, int32_t number) {
  if (type == nullptr || type->interfaceRoutine == nullptr) return nullptr;
  return reinterpret_cast<Operation>(type->interfaceRoutine(number));
}

}  // namespace forms
