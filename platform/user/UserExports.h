// The user services as the built-in modules export them, for GetProcAddress: the window,
// message, painting and input functions in User32, ShellExecuteA in Shell32.
#pragma once

#include <vector>

#include "platform/ModuleExports.h"

namespace platform::user {

// The functions declared in user32.h except ShellExecuteA (Shell32's), found by name
// (ordinal 0). The layer adds them to the built-in modules when the program starts.
const std::vector<ModuleExport>& UserExports();
const std::vector<ModuleExport>& ShellExports();

}  // namespace platform::user
