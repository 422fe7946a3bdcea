#include "platform/testing/Automation.h"

#include <deque>
#include <mutex>

#include "platform/testing/ScriptedAnswers.h"

namespace platform::testing {
namespace {

struct MessageBoxScript {
  std::mutex mutex;
  std::deque<int> answers;
  std::vector<MessageBoxRecord> log;
};

MessageBoxScript& Script() {
  static MessageBoxScript* script = new MessageBoxScript();
  return *script;
}

}  // namespace

void ScriptMessageBoxAnswer(int answer) {
  std::lock_guard lock(Script().mutex);
  Script().answers.push_back(answer);
}

void ClearMessageBoxScript() {
  std::lock_guard lock(Script().mutex);
  Script().answers.clear();
}

std::vector<MessageBoxRecord> TakeMessageBoxLog() {
  std::lock_guard lock(Script().mutex);
  std::vector<MessageBoxRecord> log;
  log.swap(Script().log);
  return log;
}

std::optional<int> TakeScriptedMessageBoxAnswer() {
  std::lock_guard lock(Script().mutex);
  if (Script().answers.empty()) return std::nullopt;
  int answer = Script().answers.front();
  Script().answers.pop_front();
  return answer;
}

void RecordMessageBox(MessageBoxRecord record) {
  std::lock_guard lock(Script().mutex);
  Script().log.push_back(std::move(record));
}

}  // namespace platform::testing
