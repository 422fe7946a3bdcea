// The side of the dialog automation that the platform's dialogs consult.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/testing/DialogAutomation.h"

namespace platform::testing {

// The next scripted file answer: nullopt when none is queued, else a path or (inner
// nullopt) a cancel.
std::optional<std::optional<std::string>> TakeScriptedFileAnswer();
void RecordFileDialog(FileDialogRecord record);

using FontAnswer = std::pair<LOGFONTA, COLORREF>;
std::optional<std::optional<FontAnswer>> TakeScriptedFontAnswer();
void RecordFontDialog(FontDialogRecord record);

// The installed driver (empty when none).
DialogDriver CurrentDialogDriver();

}  // namespace platform::testing
