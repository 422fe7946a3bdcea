#include "platform/user/AutomationHooks.h"

#include <atomic>
#include <mutex>

namespace platform::user {
namespace {

// The empty script and the dropping recorder hold no state, so they are made before any
// dynamic initialisation and stay usable however late a call comes.
DialogScript emptyScript;
ShellRecorder droppingRecorder;
std::atomic<DialogScript*> activeScript{&emptyScript};
std::atomic<ShellRecorder*> activeRecorder{&droppingRecorder};

struct Settings {
  std::mutex mutex;
  DialogDriver driver;
  ShellExecuteMode shellMode = ShellExecuteMode::Automatic;
  std::string opener = "xdg-open";
};

Settings& Shared() {
  static Settings* settings = new Settings();  // outlives every static destructor
  return *settings;
}

}  // namespace

DialogScript& ActiveDialogScript() {
  return *activeScript.load();
}

void InstallDialogScript(DialogScript* script) {
  activeScript.store(script != nullptr ? script : &emptyScript);
}

void SetDialogDriver(DialogDriver driver) {
  std::lock_guard lock(Shared().mutex);
  Shared().driver = std::move(driver);
}

DialogDriver CurrentDialogDriver() {
  std::lock_guard lock(Shared().mutex);
  return Shared().driver;
}

void SetShellExecuteMode(ShellExecuteMode mode) {
  std::lock_guard lock(Shared().mutex);
  Shared().shellMode = mode;
}

ShellExecuteMode GetShellExecuteMode() {
  std::lock_guard lock(Shared().mutex);
  return Shared().shellMode;
}

void SetShellOpener(const std::string& program) {
  std::lock_guard lock(Shared().mutex);
  Shared().opener = program.empty() ? "xdg-open" : program;
}

std::string ShellOpener() {
  std::lock_guard lock(Shared().mutex);
  return Shared().opener;
}

ShellRecorder& ActiveShellRecorder() {
  return *activeRecorder.load();
}

void InstallShellRecorder(ShellRecorder* recorder) {
  activeRecorder.store(recorder != nullptr ? recorder : &droppingRecorder);
}

}  // namespace platform::user
