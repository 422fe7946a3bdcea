// Test automation for the platform layer: scripted answers for dialogs and a record of
// what was shown, so tests can drive the program headless.
#pragma once

#include <string>
#include <vector>

#include "platform/user/AutomationHooks.h"

namespace platform::testing {

using platform::user::MessageBoxRecord;

// Queues the button id (IDOK, IDNO, ...) that the next message box returns.
void ScriptMessageBoxAnswer(int answer);
void ClearMessageBoxScript();
// Message boxes shown since the last call, oldest first.
std::vector<MessageBoxRecord> TakeMessageBoxLog();

}  // namespace platform::testing
