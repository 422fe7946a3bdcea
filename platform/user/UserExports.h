// The user services as the built-in modules export them, for GetProcAddress: the window,
// message, painting and input functions in User32, ShellExecuteA in Shell32.
#pragma once

#include <vector>

#include "platform/ModuleExports.h"

namespace platform::user {

// The functions declared in user32.h except MessageBoxA (which the message box adds) and
// ShellExecuteA (Shell32's). Ordinal 0: User32's own table numbers them.
const std::vector<ModuleExport>& UserExports();
const std::vector<ModuleExport>& ShellExports();

}  // namespace platform::user
