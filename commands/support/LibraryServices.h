// How the core library's commands reach the runtime: through the RuntimeNotify routine
// handed over at start (LibraryNotify code 1). Without it every request answers 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/values/ValueBlocks.h"

namespace cmd {

using RuntimeNotifyRoutine = intptr_t (*)(int32_t code, intptr_t arg1, intptr_t arg2);

void SetRuntimeNotify(RuntimeNotifyRoutine routine);
intptr_t Notify(int32_t code, intptr_t arg1 = 0, intptr_t arg2 = 0);

// Request 2024: a runtime heap block (null only when the runtime is absent or the size
// cannot be a block).
void* Alloc(size_t bytes);
// Request 2027: reports a fatal error with this message. Returns only when no runtime is
// attached, so callers still return a sound result afterwards.
void RaiseError(const char* message);

inline char* MakeText(std::string_view bytes) {
  return rt::BuildText(Alloc, bytes);
}
inline void* MakeByteSet(const void* bytes, size_t count) {
  return rt::BuildByteSet(Alloc, bytes, count);
}

// Messages raised by commands (GBK; scripts/gbk-literal.py writes these lines).
// "欲转换数据类型不是数值"
inline constexpr const char kNotNumericMessage[] =
    "\xD3\xFB\xD7\xAA\xBB\xBB\xCA\xFD\xBE\xDD\xC0\xE0\xD0\xCD\xB2\xBB\xCA\xC7\xCA\xFD\xD6\xB5";
// "所提供参数的数据类型不符合要求"
inline constexpr const char kArgumentKindMessage[] =
    "\xCB\xF9\xCC\xE1\xB9\xA9\xB2\xCE\xCA\xFD\xB5\xC4\xCA\xFD\xBE\xDD\xC0\xE0\xD0\xCD\xB2\xBB\xB7"
    "\xFB\xBA\xCF\xD2\xAA\xC7\xF3";
// "不能整除于零"
inline constexpr const char kDivideByZeroMessage[] =
    "\xB2\xBB\xC4\xDC\xD5\xFB\xB3\xFD\xD3\xDA\xC1\xE3";
// "“欲取出数据的类型”参数值无效"
inline constexpr const char kInvalidKindMessage[] =
    "\xA1\xB0\xD3\xFB\xC8\xA1\xB3\xF6\xCA\xFD\xBE\xDD\xB5\xC4\xC0\xE0\xD0\xCD\xA1\xB1\xB2\xCE\xCA"
    "\xFD\xD6\xB5\xCE\xDE\xD0\xA7";

}  // namespace cmd
