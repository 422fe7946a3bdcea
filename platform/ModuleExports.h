// Export tables of the built-in modules. Each layer of the platform that implements a
// module's functions adds its exports here at start-up; GetProcAddress then finds them by
// name or ordinal. Each export carries the byte count of its arguments as a 32-bit
// caller would push them, which the runtime's stack check compares with a declaration.
#pragma once

#include <string_view>

#include "platform/win32_types.h"

namespace platform {

enum class BuiltinModule { Kernel32, User32, Gdi32, Advapi32, Mpr, Shell32 };

struct ModuleExport {
  const char* name;
  WORD ordinal;           // 0 when the export has no ordinal of its own
  FARPROC address;
  DWORD argumentBytes;    // 4 per 32-bit argument
};

// A function's address in the form an export table keeps. The detour through void(*)() is
// the cast compilers accept between unrelated function types without a warning.
template <class Result, class... Arguments>
FARPROC ExportAddress(Result (*function)(Arguments...)) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// Adds exports to a built-in module; an export whose name is already present is replaced.
void RegisterModuleExports(BuiltinModule module, const ModuleExport* exports, size_t count);

// The argument byte count recorded for an address returned by GetProcAddress of a built-in
// module; false for addresses that were not found there (such as those of loaded files).
bool LookupExportArgumentBytes(FARPROC address, DWORD* argumentBytes);

}  // namespace platform
