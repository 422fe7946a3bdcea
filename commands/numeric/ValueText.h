// The text form of any value, as ToText makes it; also what a message box shows.
#pragma once

#include <cstdint>
#include <string>

#include "commands/support/CommandArgs.h"

namespace cmd {

// GBK text of argument i; empty for kinds that have no text form (units, records, other
// arrays) and for an omitted argument.
std::string ValueText(const CommandArgs& in, int32_t i);

}  // namespace cmd
