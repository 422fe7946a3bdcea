#include "runtime/RuntimeState.h"

namespace rt {

RuntimeState& Runtime() {
  static RuntimeState state;
  return state;
}

// Both separators count: the platform reports the program's path the way the file system
// spells it, and every path the program builds works with either.
void SplitModulePath(const std::string& path, std::string* directory, std::string* fileName) {
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) {
    directory->clear();
    *fileName = path;
    return;
  }
  *directory = path.substr(0, slash);
  *fileName = path.substr(slash + 1);
}

void RaiseBusy() {
  ++Runtime().busyCounter;
}

void LowerBusy() {
  auto& counter = Runtime().busyCounter;
  int32_t value = counter.load();
  while (value > 0 && !counter.compare_exchange_weak(value, value - 1)) {
  }
}

bool EventsSuppressed() {
  return Runtime().busyCounter.load() >= 1;
}

void SetCurrentEventSource(uint32_t windowId, uint32_t unitId) {
  Runtime().currentEventWindow = windowId;
  Runtime().currentEventUnit = unitId;
}

void SetHandlerRunning(bool running) {
  Runtime().handlerRunning = running ? 1 : 0;
}

bool CurrentEventSource(uint32_t* ids) {
  const RuntimeState& s = Runtime();
  if (s.handlerRunning == 0) return false;
  if (ids != nullptr) {
    ids[0] = s.currentEventWindow;
    ids[1] = s.currentEventUnit;
  }
  return true;
}

uint32_t NewId() {
  return ++Runtime().idCounter;
}

const DataTypeDescriptor* DataTypeFor(uint32_t typeCode) {
  const RuntimeState& s = Runtime();
  const uint32_t library = typeCode >> 16;
  const uint32_t type = typeCode & 0xFFFF;
  // Bit 31 marks a built-in kind, which no library describes.
  if (library == 0 || type == 0 || (typeCode & 0x80000000u) != 0) return nullptr;
  if (library > s.libraries.size()) return nullptr;
  const LibraryDescriptor* descriptor = s.libraries[library - 1];
  if (descriptor == nullptr || descriptor->dataTypes == nullptr) return nullptr;
  if (type > descriptor->dataTypeCount) return nullptr;
  return static_cast<const DataTypeDescriptor*>(descriptor->dataTypes) + (type - 1);
}

int32_t DataTypeFlags(uint32_t typeCode) {
  const DataTypeDescriptor* type = DataTypeFor(typeCode);
  if (type == nullptr) return 0;
  if ((type->stateBits & kTypeStateMenu) != 0) return 2;
  if ((type->stateBits & kTypeStateWindowed) != 0) return 1;
  return 0;
}

}  // namespace rt
