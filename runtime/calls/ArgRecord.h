// One argument or result of a command: a 64-bit value word (the "low" and "high" halves of
// an 8-byte value; a pointer fills both) and a type code. Omitted arguments are all zero.
#pragma once

#include <cstdint>
#include <cstring>

#include "runtime/values/TypeCode.h"

namespace rt {

struct ArgRecord {
  uint64_t value = 0;
  TypeCode type = kTypeNone;
  uint32_t padding = 0;

  uint32_t Low() const { return static_cast<uint32_t>(value); }
  uint32_t High() const { return static_cast<uint32_t>(value >> 32); }
  void SetHalves(uint32_t low, uint32_t high) { value = (uint64_t{high} << 32) | low; }

  void* Pointer() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(value)); }
  void SetPointer(const void* p) { value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

  template <typename T>
  T As() const {
    static_assert(sizeof(T) <= sizeof(value));
    T out;
    std::memcpy(&out, &value, sizeof(T));
    return out;
  }
  template <typename T>
  void Set(T v) {
    static_assert(sizeof(T) <= sizeof(value));
    value = 0;
    std::memcpy(&value, &v, sizeof(T));
  }
};
static_assert(sizeof(ArgRecord) == 16);

// The uniform shape of every command of every support library.
using CommandRoutine = void (*)(ArgRecord* result, int32_t count, ArgRecord* args);

}  // namespace rt
