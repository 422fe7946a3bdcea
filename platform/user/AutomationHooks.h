// Where a test reaches into the message box, the file and font dialogs and ShellExecuteA.
// The user layer owns these hooks and, left to itself, scripts nothing and keeps no record;
// the automation library (platform/testing/, linked only by tests, tools and benchmarks)
// installs implementations that answer from a script and log what was shown.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/user32.h"

namespace platform::user {

struct MessageBoxRecord {
  std::string captionUtf8;
  std::string textUtf8;
  UINT type = 0;
  int answer = 0;
};

struct FileDialogRecord {
  bool save = false;
  std::string titleUtf8;
  std::string folderUtf8;  // the folder it opened in
  DWORD flags = 0;
  bool confirmed = false;
  std::string pathUtf8;  // the chosen path when confirmed
};

struct FontDialogRecord {
  DWORD flags = 0;
  bool confirmed = false;
  LOGFONTA font{};
  COLORREF color = 0;
};

using FontAnswer = std::pair<LOGFONTA, COLORREF>;

// Answers that take the place of the user, and the record of every box and dialog shown.
// A Take call returns nullopt when nothing is scripted; a scripted cancel of a file or font
// dialog is an inner nullopt. The base class scripts nothing and keeps nothing.
class DialogScript {
 public:
  virtual ~DialogScript() = default;
  virtual std::optional<int> TakeMessageBoxAnswer() { return std::nullopt; }
  virtual void MessageBoxShown(MessageBoxRecord) {}
  virtual std::optional<std::optional<std::string>> TakeFileDialogAnswer() { return std::nullopt; }
  virtual void FileDialogShown(FileDialogRecord) {}
  virtual std::optional<std::optional<FontAnswer>> TakeFontDialogAnswer() { return std::nullopt; }
  virtual void FontDialogShown(FontDialogRecord) {}
};

// The script in use: the empty base until another is installed. An installed script must
// outlive every dialog (the automation library's lives for the whole run); null puts the
// empty one back.
DialogScript& ActiveDialogScript();
void InstallDialogScript(DialogScript* script);

// Called by a modal dialog's loop when the dialog is shown and the loop first runs out of
// messages, with the dialog's window; it works the dialog by injected input. While one is
// set, message boxes and the common dialogs appear as windows even without a screen.
using DialogDriver = std::function<void(HWND dialog)>;
void SetDialogDriver(DialogDriver driver);
DialogDriver CurrentDialogDriver();

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
// The program that opens files and addresses ("xdg-open" found on PATH, unless another is
// named).
void SetShellOpener(const std::string& program);
std::string ShellOpener();

// Told of every ShellExecuteA call that was recorded instead of started. The base class
// drops them.
class ShellRecorder {
 public:
  virtual ~ShellRecorder() = default;
  virtual void ShellExecuteRecorded(ShellExecuteRecord) {}
};
// The recorder in use: the dropping base until another is installed (which must outlive
// every call); null puts that one back.
ShellRecorder& ActiveShellRecorder();
void InstallShellRecorder(ShellRecorder* recorder);

}  // namespace platform::user
