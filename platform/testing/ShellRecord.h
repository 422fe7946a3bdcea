// What ShellExecuteA was asked to do while it only records: under the headless presenter,
// or whenever a test switches recording on. Texts arrive as GBK and are kept as UTF-8.
#pragma once

#include <string>
#include <vector>

#include "platform/win32_types.h"

namespace platform::testing {

struct ShellExecuteRecord {
  HWND window = nullptr;
  std::string operationUtf8;  // empty when the operation was null
  std::string fileUtf8;
  std::string parametersUtf8;
  std::string directoryUtf8;
  int showCommand = 0;
  int result = 0;  // what the call returned
};

enum class ShellExecuteMode {
  Automatic,  // record under a presenter that shows nothing, start programs otherwise
  Record,
  Launch,
};

void SetShellExecuteMode(ShellExecuteMode mode);
ShellExecuteMode GetShellExecuteMode();
// The program that opens files and addresses ("xdg-open" found on PATH, unless a test
// names another).
void SetShellOpener(const std::string& program);
std::string ShellOpener();

// Calls recorded since the last take, oldest first.
std::vector<ShellExecuteRecord> TakeShellExecuteLog();
void RecordShellExecute(ShellExecuteRecord record);

}  // namespace platform::testing
