// The side of the dialog automation that the installed dialog script consults.
#pragma once

#include <optional>
#include <string>

#include "platform/testing/DialogAutomation.h"

namespace platform::testing {

// The next scripted file answer: nullopt when none is queued, else a path or (inner
// nullopt) a cancel.
std::optional<std::optional<std::string>> TakeScriptedFileAnswer();
void RecordFileDialog(FileDialogRecord record);

using platform::user::FontAnswer;
std::optional<std::optional<FontAnswer>> TakeScriptedFontAnswer();
void RecordFontDialog(FontDialogRecord record);

}  // namespace platform::testing
