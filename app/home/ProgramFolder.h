// Paths in the program's folder, the anchor of every path the program builds.
#pragma once

#include <string>

namespace app::home {

// GetRunDirectory + "\" + name (GBK).
std::string PathInRunDirectory(const char* name);

}  // namespace app::home
