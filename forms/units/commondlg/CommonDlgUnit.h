// The common dialog unit: a hidden unit that keeps the settings of one system dialog and
// shows it when the program calls its open command: the open-file or save-file dialog, the
// font dialog, or a command for the help viewer (which this platform does not have: a help
// command is recorded with the window's help requests instead, when its file exists).
// Every property is kept as set and read back as kept; only a confirmed dialog writes back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "forms/units/ControlUnit.h"
#include "platform/commdlg.h"
#include "runtime/calls/ArgRecord.h"

namespace forms {

inline constexpr uint32_t kDialogKind = 8;  // 0 open, 1 save, 2 font, 3 help
inline constexpr uint32_t kDialogTitle = 9;
inline constexpr uint32_t kDialogFileName = 10;
inline constexpr uint32_t kDialogFilter = 11;
inline constexpr uint32_t kDialogFilterIndex = 12;
inline constexpr uint32_t kDialogFolder = 13;
inline constexpr uint32_t kDialogDefaultExt = 14;
inline constexpr uint32_t kDialogCreatePrompt = 15;  // 15-19: the file dialog's switches
inline constexpr uint32_t kDialogFontColor = 20;
inline constexpr uint32_t kDialogBold = 21;
inline constexpr uint32_t kDialogItalic = 22;
inline constexpr uint32_t kDialogStrikeOut = 23;
inline constexpr uint32_t kDialogUnderline = 24;
inline constexpr uint32_t kDialogFaceName = 25;
inline constexpr uint32_t kDialogFontSize = 26;
inline constexpr uint32_t kDialogHelpFile = 27;
inline constexpr uint32_t kDialogHelpCommand = 28;
inline constexpr uint32_t kDialogHelpContext = 29;

// What a file dialog is given, from the unit's properties. Texts that are empty are not
// given to the dialog at all.
struct FileDialogSetup {
  DWORD flags = 0;
  std::string filter;  // NUL-separated, ending in two NULs; empty for none
  DWORD filterIndex = 0;
  std::string title;
  std::string folder;
  std::string defaultExtension;
  std::string fileName;
};
FileDialogSetup MakeFileDialogSetup(const TypeBlock& properties);

// A filter as the program writes it ("描述|*.bmp|描述|*.jpg") in the dialog's form: every
// bar between items becomes a NUL and the list ends in two. Only bars standing on their own
// count: the second byte of a two-byte character may have the bar's value.
std::string DialogFilter(std::string_view text);

// The font the font dialog starts from, for a screen of `dotsPerInch`.
LOGFONTA InitialDialogFont(const TypeBlock& properties, int dotsPerInch);

// The open command: true when the user confirmed the dialog or the help command was
// carried out; false when cancelled, for an unknown kind, or for a help file that does not
// exist or a window that is gone.
bool OpenCommonDialog(UnitObject* unit);
// The same as the core library's command: (common dialog unit) → logical. A unit that does
// not exist is the runtime error of any unit lookup.
void OpenDialogCommand(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

void* CommonDlgInterface(int32_t operation);

}  // namespace forms
