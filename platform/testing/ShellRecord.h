// What ShellExecuteA was asked to do while it only records: under the headless presenter,
// or whenever a test switches recording on. Texts arrive as GBK and are kept as UTF-8.
#pragma once

#include <string>
#include <vector>

#include "platform/user/AutomationHooks.h"

namespace platform::testing {

using platform::user::GetShellExecuteMode;
using platform::user::SetShellExecuteMode;
using platform::user::SetShellOpener;
using platform::user::ShellExecuteMode;
using platform::user::ShellExecuteRecord;
using platform::user::ShellOpener;

// Calls recorded since the last take, oldest first.
std::vector<ShellExecuteRecord> TakeShellExecuteLog();
void RecordShellExecute(ShellExecuteRecord record);

}  // namespace platform::testing
