// The side of the automation script that the platform's own dialogs consult.
#pragma once

#include <optional>

#include "platform/testing/Automation.h"

namespace platform::testing {

// The next scripted message-box answer, if a test queued one.
std::optional<int> TakeScriptedMessageBoxAnswer();
void RecordMessageBox(MessageBoxRecord record);

}  // namespace platform::testing
