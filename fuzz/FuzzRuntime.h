// A stand-in runtime for fuzz targets that call commands: blocks come from malloc, and a
// fatal runtime error is recorded instead of ending the process, so that a target can
// check that the error was raised and go on. Large requests fail the way exhausted memory
// does, which keeps the fuzzer's memory use bounded.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "commands/support/LibraryServices.h"
#include "runtime/values/ValueBlocks.h"

namespace fuzzrt {

inline constexpr int32_t kLargestBlock = 64 << 20;

inline int& RaisedErrors() {
  static int raised = 0;
  return raised;
}

inline intptr_t Notify(int32_t code, intptr_t arg1, intptr_t arg2) {
  switch (code) {
    case 2024: {
      auto bytes = static_cast<int32_t>(arg1);
      if (bytes < 0 || bytes > kLargestBlock) {
        if (arg2 == 0) ++RaisedErrors();
        return 0;
      }
      return reinterpret_cast<intptr_t>(std::malloc(bytes == 0 ? 1 : static_cast<size_t>(bytes)));
    }
    case 2025:
      std::free(reinterpret_cast<void*>(arg1));
      return 0;
    case 2027:
      ++RaisedErrors();
      return 0;
    default:
      return 0;
  }
}

inline void Attach() {
  static const bool attached = [] {
    cmd::SetRuntimeNotify(Notify);
    return true;
  }();
  (void)attached;
}

// Errors raised since the last call.
inline int TakeErrors() {
  int n = RaisedErrors();
  RaisedErrors() = 0;
  return n;
}

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Frees a one-dimensional array of texts or byte sets and its elements.
inline void FreePointerArray(void* block) {
  if (block == nullptr) return;
  auto* bytes = static_cast<uint8_t*>(block);
  int32_t n = rt::ReadInt32(bytes + 4);
  for (int32_t i = 0; i < n; ++i) {
    std::free(
        rt::ReadPointer(bytes + rt::kEmptyArrayBytes + static_cast<size_t>(i) * sizeof(void*)));
  }
  std::free(block);
}

}  // namespace fuzzrt
