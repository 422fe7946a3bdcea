#include "platform/testing/ShellRecord.h"

#include <mutex>
#include <utility>

namespace platform::testing {
namespace {

struct ShellState {
  std::mutex mutex;
  std::vector<ShellExecuteRecord> log;
};

ShellState& Shell() {
  static ShellState* state = new ShellState();
  return *state;
}

}  // namespace

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
