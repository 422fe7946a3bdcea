// Puts the automation scripts and records behind the user layer's hooks as the program
// starts, so that a test sees every box, dialog and shell call from its first line on.
// platform/CMakeLists.txt keeps this object in every link that uses the library.
#include "platform/testing/DialogAnswers.h"
#include "platform/testing/ScriptedAnswers.h"
#include "platform/testing/ShellRecord.h"
#include "platform/user/AutomationHooks.h"

namespace platform::testing {
namespace {

class ScriptedDialogs final : public platform::user::DialogScript {
 public:
  std::optional<int> TakeMessageBoxAnswer() override { return TakeScriptedMessageBoxAnswer(); }
  void MessageBoxShown(MessageBoxRecord record) override { RecordMessageBox(std::move(record)); }
  std::optional<std::optional<std::string>> TakeFileDialogAnswer() override {
    return TakeScriptedFileAnswer();
  }
  void FileDialogShown(FileDialogRecord record) override { RecordFileDialog(std::move(record)); }
  std::optional<std::optional<FontAnswer>> TakeFontDialogAnswer() override {
    return TakeScriptedFontAnswer();
  }
  void FontDialogShown(FontDialogRecord record) override { RecordFontDialog(std::move(record)); }
};

class ShellLog final : public platform::user::ShellRecorder {
 public:
  void ShellExecuteRecorded(ShellExecuteRecord record) override {
    RecordShellExecute(std::move(record));
  }
};

}  // namespace
}  // namespace platform::testing

namespace {

bool InstallAutomation() {
  // Never destroyed: a dialog may still be shown while static objects go away.
  platform::user::InstallDialogScript(new platform::testing::ScriptedDialogs());
  platform::user::InstallShellRecorder(new platform::testing::ShellLog());
  return true;
}

}  // namespace

extern "C" const bool velmora_automation_registrar = InstallAutomation();
