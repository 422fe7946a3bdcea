#include "runtime/memory/RuntimeHeap.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "platform/kernel32.h"
#include "runtime/RuntimeState.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/errors/RuntimeMessages.h"
#include "runtime/values/ValueBlocks.h"

namespace rt {

namespace {

struct ConstantRange {
  const uint8_t* start;
  const uint8_t* end;
};

// Written at start and end only; read by every free from any thread.
std::shared_mutex g_rangesLock;
std::vector<ConstantRange> g_ranges;

HANDLE Heap() {
  HANDLE heap = Runtime().heap;
  return heap != nullptr ? heap : GetProcessHeap();
}

[[noreturn]] void AllocationFailed(int32_t bytes) {
  char message[96];
  std::snprintf(message, sizeof message, msg::kAllocFailed, static_cast<int>(bytes));
  ReportRuntimeError(message, 0);
}

}  // namespace

void* AllocMemUnchecked(int32_t bytes) {
  // A 32-bit count above 2 GB is a request no 32-bit heap could meet.
  if (bytes < 0) return nullptr;
  return HeapAlloc(Heap(), 0, static_cast<SIZE_T>(bytes));
}

void* AllocMem(int32_t bytes) {
  void* p = AllocMemUnchecked(bytes);
  if (p == nullptr) AllocationFailed(bytes);
  return p;
}

void* AllocMemSized(size_t bytes) {
  // Counts travel as 32-bit words; a larger one arrives as the wrapped value a 32-bit caller
  // would have passed, which no heap can satisfy.
  if (bytes > static_cast<size_t>(INT32_MAX)) {
    AllocationFailed(static_cast<int32_t>(static_cast<uint32_t>(bytes)));
  }
  return AllocMem(static_cast<int32_t>(bytes));
}

void FreeMem(void* block) {
  if (block == nullptr || IsConstant(block)) return;
  HeapFree(Heap(), 0, block);
}

void* ReallocMem(void* block, int32_t bytes) {
  if (block == nullptr) return AllocMem(bytes);
  if (const uint8_t* end = ConstantRangeEnd(block)) {
    void* fresh = AllocMem(bytes);
    size_t available = static_cast<size_t>(end - static_cast<const uint8_t*>(block));
    std::memcpy(fresh, block, std::min(available, static_cast<size_t>(bytes)));
    return fresh;
  }
  void* p = bytes < 0 ? nullptr : HeapReAlloc(Heap(), 0, block, static_cast<SIZE_T>(bytes));
  if (p == nullptr) AllocationFailed(bytes);
  return p;
}

void AddConstantRange(const void* start, size_t size) {
  std::unique_lock lock(g_rangesLock);
  const auto* s = static_cast<const uint8_t*>(start);
  g_ranges.push_back({s, s + size});
}

void ClearConstantRanges() {
  std::unique_lock lock(g_rangesLock);
  g_ranges.clear();
}

const uint8_t* ConstantRangeEnd(const void* p) {
  const auto* q = static_cast<const uint8_t*>(p);
  std::shared_lock lock(g_rangesLock);
  for (const ConstantRange& r : g_ranges) {
    if (r.start <= q && q < r.end) return r.end;
  }
  return nullptr;
}

void MakeArrayPrivate(int32_t elementSize, void** variable) {
  if (variable == nullptr || *variable == nullptr) return;
  const uint8_t* end = ConstantRangeEnd(*variable);
  if (end == nullptr) return;
  const auto* block = static_cast<const uint8_t*>(*variable);
  ArrayShape shape = ReadArrayShape(block);
  if (shape.dimensions == 0) shape.headerBytes = kEmptyArrayBytes;  // malformed: keep a head
  size_t bytes = shape.headerBytes +
                 static_cast<size_t>(elementSize < 0 ? 0 : elementSize) * shape.elementCount;
  auto* copy = static_cast<uint8_t*>(AllocMemSized(bytes));
  // Never read past the constant data, even for a head that promises more than is there.
  size_t available = static_cast<size_t>(end - block);
  std::memcpy(copy, block, std::min(bytes, available));
  if (bytes > available) std::memset(copy + available, 0, bytes - available);
  if (shape.dimensions == 0) {
    WriteInt32(copy, 1);
    WriteInt32(copy + 4, 0);
  }
  *variable = copy;
}

void FreeArrayValue(TypeCode elementType, void* array) {
  if (array == nullptr) return;
  TypeCode kind = elementType & ~kByRefFlag;
  if (kind == kTypeText || kind == kTypeByteSet) {
    ArrayShape shape = ReadArrayShape(array);
    auto* elements = static_cast<uint8_t*>(array) + shape.headerBytes;
    for (uint64_t i = 0; i < shape.elementCount; ++i) {
      FreeMem(ReadPointer(elements + i * sizeof(void*)));
    }
  }
  FreeMem(array);
}

void AppendArrayElement(void** variable, int32_t elementSize, const void* element) {
  if (elementSize < 0) elementSize = 0;
  MakeArrayPrivate(elementSize, variable);
  auto* block = static_cast<uint8_t*>(*variable);
  ArrayShape shape = ReadArrayShape(block);
  uint64_t count = shape.elementCount;
  if (block != nullptr && shape.dimensions > 1) {
    // Flatten: one dimension, elements moved up behind the shorter head.
    std::memmove(block + kEmptyArrayBytes, block + shape.headerBytes,
                 static_cast<size_t>(count) * static_cast<size_t>(elementSize));
  }
  size_t bytes = kEmptyArrayBytes + static_cast<size_t>(elementSize) * (count + 1);
  if (bytes > static_cast<size_t>(INT32_MAX)) AllocMemSized(bytes);  // reports the failure
  block = static_cast<uint8_t*>(block == nullptr || shape.dimensions == 0
                                    ? AllocMemSized(bytes)
                                    : ReallocMem(block, static_cast<int32_t>(bytes)));
  WriteInt32(block, 1);
  WriteInt32(block + 4, static_cast<int32_t>(count + 1));
  std::memcpy(block + kEmptyArrayBytes + static_cast<size_t>(elementSize) * count, element,
              static_cast<size_t>(elementSize));
  *variable = block;
}

void AppendArrayText(void** variable, const char* text) {
  char* copy = BuildText(AllocMemSized, ViewText(text));
  AppendArrayElement(variable, sizeof(char*), &copy);
}

}  // namespace rt
