// The exports of the kernel layer itself. They are added when the module table is first
// used, before any other layer's, so that nothing depends on the order in which static
// objects start.
#pragma once

#include <vector>

#include "platform/ModuleExports.h"

namespace platform::kernel {

// Kernel32's functions, with ordinals given in name order from 1.
const std::vector<ModuleExport>& KernelExports();

}  // namespace platform::kernel
