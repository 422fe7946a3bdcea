#include "runtime/com/ObjectRequests.h"

#include "runtime/RuntimeState.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ObjectValue.h"

namespace rt {

namespace {
constexpr int32_t kLibraryInterfaceId = 8;
}

void ReleaseObjectRequest(void* objectValue) {
  ReleaseObjectValue(static_cast<ObjectValue*>(objectValue), FreeMem);
}

intptr_t InterfaceIdRequest(uint32_t typeCode, IID* iid) {
  if (iid == nullptr) return 0;
  if (typeCode == kTypeObject) {
    *iid = IID_IUnknown;
    return 1;
  }
  uint32_t library = typeCode >> 16;
  uint32_t number = typeCode & 0xFFFF;
  const RuntimeState& s = Runtime();
  if (IsBuiltin(typeCode) || library == 0 || number == 0 || library > s.libraries.size()) {
    return 0;
  }
  const LibraryDescriptor* descriptor = s.libraries[library - 1];
  if (descriptor == nullptr || descriptor->notify == nullptr) return 0;
  return descriptor->notify(kLibraryInterfaceId, static_cast<intptr_t>(number - 1),
                            reinterpret_cast<intptr_t>(iid));
}

}  // namespace rt
