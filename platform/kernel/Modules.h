// What the process functions need to know about modules.
#pragma once

#include <optional>
#include <string>

#include "platform/win32_types.h"

namespace platform::kernel {

// The file of a module as the file system spells it: the executable's own path for NULL,
// the executable module and the built-in modules (they are part of it). nullopt with
// ERROR_MOD_NOT_FOUND for a handle that names no module.
std::optional<std::string> ModuleFilePath(HMODULE module);

// The executable's path from /proc/self/exe.
std::string ExecutablePath();

}  // namespace platform::kernel
