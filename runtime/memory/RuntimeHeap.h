// The runtime heap: every block of value memory comes from the process heap through here.
// Blocks that lie in the program image's constant data are never freed or resized in place.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/values/TypeCode.h"

namespace rt {

// Never returns null: exhaustion raises the runtime error "分配 %d 字节内存失败!".
void* AllocMem(int32_t bytes);
void* ReallocMem(void* block, int32_t bytes);
void FreeMem(void* block);
// AllocMem for sizes computed in size_t: anything beyond a 32-bit count is exhaustion.
void* AllocMemSized(size_t bytes);
// May return null; used by RuntimeNotify 2024 with a non-zero second argument.
void* AllocMemUnchecked(int32_t bytes);

// Constant ranges [start, end) of the program image's constant data.
void AddConstantRange(const void* start, size_t size);
void ClearConstantRanges();
// The end of the constant range holding p, or null when p is not constant.
const uint8_t* ConstantRangeEnd(const void* p);
inline bool IsConstant(const void* p) {
  return ConstantRangeEnd(p) != nullptr;
}

// Makes the array held in *variable private when it lies in constant data.
void MakeArrayPrivate(int32_t elementSize, void** variable);
// Frees an array value; texts and byte sets among the elements are freed first.
void FreeArrayValue(TypeCode elementType, void* array);
// Appends one element (copied from `element`, elementSize bytes) to the array in *variable,
// flattening it to one dimension. For text elements pass the text: a fresh copy is stored.
void AppendArrayElement(void** variable, int32_t elementSize, const void* element);
void AppendArrayText(void** variable, const char* text);

}  // namespace rt
