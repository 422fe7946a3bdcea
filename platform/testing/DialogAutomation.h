// Automation of the platform's dialogs: scripted answers for the file and font dialogs
// (which take the place of the user and are logged), and a driver that a test installs to
// work a dialog by injected clicks and keys while its modal loop runs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/user/AutomationHooks.h"

namespace platform::testing {

// ---- File dialogs -------------------------------------------------------------------------

// Queues the GBK path the next file dialog returns, as if the user typed it and pressed OK
// (the default extension is still appended to a name without one).
void ScriptFileDialogAnswer(const std::string& pathGbk);
// Queues a cancelled file dialog.
void ScriptFileDialogCancel();

using platform::user::FileDialogRecord;

// ---- Font dialogs -------------------------------------------------------------------------

// Queues the font (and colour) the next font dialog returns, as if the user picked it.
void ScriptFontDialogAnswer(const LOGFONTA& font, COLORREF color);
void ScriptFontDialogCancel();

using platform::user::FontDialogRecord;

void ClearDialogScripts();
// Dialogs shown since the last call, oldest first.
std::vector<FileDialogRecord> TakeFileDialogLog();
std::vector<FontDialogRecord> TakeFontDialogLog();

// ---- Driving dialog windows ---------------------------------------------------------------

// While a driver is installed, message boxes and the file and font dialogs appear as
// windows even without a screen. Each dialog's modal loop calls the driver once, when the
// dialog is shown and the loop first runs out of messages; the driver injects input
// (platform/testing/InputAutomation.h), which the loop then processes. Nested dialogs (a
// message box raised by a file dialog) call it too, with their own window.
// Without a screen, a driven dialog that is idle again after its driver returned has
// nothing more to wait for and is cancelled, so a test cannot hang.
using platform::user::DialogDriver;
using platform::user::SetDialogDriver;
void ClearDialogDriver();

// For a driver between injections: handles everything queued as the innermost modal
// dialog's loop would (keyboard interface included). Returns how many messages it handled.
int PumpDialogMessages();

}  // namespace platform::testing
