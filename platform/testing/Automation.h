// Test automation for the platform layer: scripted answers for dialogs and a record of
// what was shown, so tests can drive the program headless.
#pragma once

#include <string>
#include <vector>

#include "platform/win32_types.h"

namespace platform::testing {

struct MessageBoxRecord {
  std::string captionUtf8;
  std::string textUtf8;
  UINT type = 0;
  int answer = 0;
};

// Queues the button id (IDOK, IDNO, ...) that the next message box returns.
void ScriptMessageBoxAnswer(int answer);
void ClearMessageBoxScript();
// Message boxes shown since the last call, oldest first.
std::vector<MessageBoxRecord> TakeMessageBoxLog();

}  // namespace platform::testing
