// The core support library (library 1): its descriptor, command table and notification
// routine.
#pragma once

#include "runtime/image/ImageHeader.h"

namespace cmd {

const rt::LibraryDescriptor* CoreLibraryDescriptor();
intptr_t CoreLibraryNotify(int32_t code, intptr_t arg1, intptr_t arg2);

}  // namespace cmd
