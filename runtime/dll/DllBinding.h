// Late binding of the program's DLL commands: each command of the image's table is looked
// up by name (or "#n" ordinal) on its first call, and its address and module stay cached
// per index until EndProgram frees them.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace rt {

// The address of command `index`, binding it first if needed. A module or export that
// cannot be found ends the program with the runtime error that names them; so does an
// index outside the table.
FARPROC BindDllCommand(int32_t index);

// The service entry the application's declarations go through: binds, then compares the
// argument bytes the declaration pushes with those the bound export records. A mismatch
// raises error 6 before the call could be made with the wrong arguments; functions of
// loaded files record nothing and pass.
FARPROC CallDllCommand(int32_t index, uint32_t declaredArgumentBytes);

// EndProgram's part: frees every module a binding loaded and empties the tables.
void FreeDllCommands();

// How binding reaches modules. The platform's functions unless a test watches them.
struct DllModuleLoader {
  HMODULE (*load)(LPCSTR name);
  FARPROC (*find)(HMODULE module, LPCSTR name);
  BOOL (*free)(HMODULE module);
};
// Installs `loader`; a loader with null entries restores the platform's.
void SetDllModuleLoader(const DllModuleLoader& loader);

// Tried in this order for commands declared without a module.
inline constexpr const char* kSystemModules[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                                 "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

}  // namespace rt
