// The side of the message-box script that the installed dialog script consults.
#pragma once

#include <optional>

#include "platform/testing/Automation.h"

namespace platform::testing {

// The next scripted message-box answer, if a test queued one.
std::optional<int> TakeScriptedMessageBoxAnswer();
void RecordMessageBox(MessageBoxRecord record);

}  // namespace platform::testing
