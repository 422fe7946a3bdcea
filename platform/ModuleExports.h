// Export tables of the built-in modules. Each layer of the platform that implements a
// module's functions adds its exports here at start-up; GetProcAddress then finds them by
// name or ordinal. Each export carries the byte count of its arguments as a 32-bit
// caller would push them, which the runtime's stack check compares with a declaration.
#pragma once

#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/win32_types.h"

namespace platform {

enum class BuiltinModule { Kernel32, User32, Gdi32, Advapi32, Mpr, Shell32 };

struct ModuleExport {
  const char* name;
  WORD ordinal;  // 0 when the export has no ordinal of its own
  FARPROC address;
  DWORD argumentBytes;  // what a 32-bit caller pushes (ArgumentBytes below)
};

// A function's address in the form an export table keeps. The detour through void(*)() is
// the cast compilers accept between unrelated function types without a warning.
template <class Result, class... Arguments>
FARPROC ExportAddress(Result (*function)(Arguments...)) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// The bytes a 32-bit caller pushes for one argument of type T. Pointers, handles and every
// integer up to pointer size are one word there (size_t, WPARAM and LPARAM included, which
// are wider here); a 64-bit integer, which must be declared long long, and a double are
// two; a structure passed by value (POINT, SIZE) takes its size in whole words, its members
// being 32-bit there as here.
template <class T>
constexpr DWORD ArgumentBytes32() {
  using Plain = std::remove_cv_t<T>;
  if constexpr (std::is_pointer_v<Plain> || std::is_reference_v<T> ||
                std::is_null_pointer_v<Plain>) {
    return 4;
  } else if constexpr (std::is_same_v<Plain, long long> ||
                       std::is_same_v<Plain, unsigned long long> || std::is_same_v<Plain, double>) {
    return 8;
  } else if constexpr (std::is_arithmetic_v<Plain> || std::is_enum_v<Plain>) {
    static_assert(sizeof(Plain) <= sizeof(void*));
    return 4;
  } else {
    static_assert(std::is_trivially_copyable_v<Plain> && std::is_standard_layout_v<Plain>,
                  "an argument passed by value must be a plain structure");
    return (sizeof(Plain) + 3) / 4 * 4;
  }
}

// The argument bytes of a function, from its own type.
template <class Result, class... Arguments>
constexpr DWORD ArgumentBytes(Result (*)(Arguments...)) {
  return (DWORD{0} + ... + ArgumentBytes32<Arguments>());
}

// An export of `function` under `name`, found by name only (ordinal 0).
template <class Result, class... Arguments>
ModuleExport MakeExport(const char* name, Result (*function)(Arguments...)) {
  return ModuleExport{name, 0, ExportAddress(function), ArgumentBytes(function)};
}

// Export tables are kept in name order (which also numbers Gdi32's and Kernel32's ordinals).
void SortExportsByName(std::vector<ModuleExport>* table);

// Adds exports to a built-in module; an export whose name is already present is replaced.
void RegisterModuleExports(BuiltinModule module, const ModuleExport* exports, size_t count);
// The same for a whole table; always true, so that a layer's start-up can chain the calls.
bool RegisterModuleExports(BuiltinModule module, const std::vector<ModuleExport>& exports);

// The argument byte count recorded for an address returned by GetProcAddress of a built-in
// module; false for addresses that were not found there (such as those of loaded files).
bool LookupExportArgumentBytes(FARPROC address, DWORD* argumentBytes);

}  // namespace platform
