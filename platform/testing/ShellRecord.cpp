#include "platform/testing/ShellRecord.h"

#include <mutex>
#include <utility>

namespace platform::testing {
namespace {

struct ShellState {
  std::mutex mutex;
  ShellExecuteMode mode = ShellExecuteMode::Automatic;
  std::string opener = "xdg-open";
  std::vector<ShellExecuteRecord> log;
};

ShellState& Shell() {
  static ShellState* state = new ShellState();
  return *state;
}

}  // namespace

void SetShellExecuteMode(ShellExecuteMode mode) {
  std::lock_guard lock(Shell().mutex);
  Shell().mode = mode;
}

ShellExecuteMode GetShellExecuteMode() {
  std::lock_guard lock(Shell().mutex);
  return Shell().mode;
}

void SetShellOpener(const std::string& program) {
  std::lock_guard lock(Shell().mutex);
  Shell().opener = program.empty() ? "xdg-open" : program;
}

std::string ShellOpener() {
  std::lock_guard lock(Shell().mutex);
  return Shell().opener;
}

std::vector<ShellExecuteRecord> TakeShellExecuteLog() {
  std::lock_guard lock(Shell().mutex);
  std::vector<ShellExecuteRecord> log;
  log.swap(Shell().log);
  return log;
}

void RecordShellExecute(ShellExecuteRecord record) {
  std::lock_guard lock(Shell().mutex);
  Shell().log.push_back(std::move(record));
}

}  // namespace platform::testing
