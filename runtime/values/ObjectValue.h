// The memory of the two OLE Automation kinds. An object variable holds the address of an
// ObjectValue block (two pointer-size words); a variant variable holds the address of a
// block of one VARIANT. Releasing is header-only so that the core library's commands and
// the runtime (request 2035) release in exactly the same way, each with its own free.
#pragma once

#include <cstring>

#include "platform/ole/ComTypes.h"

namespace rt {

struct ObjectValue {
  IUnknown* object;  // null for an empty object
  void* record;      // set when the object holds an Automation record; object is its IRecordInfo
};
static_assert(sizeof(ObjectValue) == 2 * sizeof(void*));

inline constexpr size_t kVariantValueBytes = sizeof(VARIANT);

// Empties the object: a held record is destroyed through its IRecordInfo, the interface
// released; record data without an interface is only memory, freed with freeMem.
template <class Free>
void ReleaseObjectValue(ObjectValue* value, Free&& freeMem) {
  if (value == nullptr) return;
  if (value->object != nullptr) {
    if (value->record != nullptr) {
      static_cast<IRecordInfo*>(value->object)->RecordDestroy(value->record);
      value->record = nullptr;
    }
    IUnknown* held = value->object;
    value->object = nullptr;
    held->Release();
  } else if (value->record != nullptr) {
    freeMem(value->record);
    value->record = nullptr;
  }
}

}  // namespace rt
