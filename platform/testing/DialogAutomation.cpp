#include "platform/testing/DialogAutomation.h"

#include <deque>
#include <mutex>

#include "platform/controls/Dialog.h"
#include "platform/testing/DialogAnswers.h"

namespace platform::testing {
namespace {

struct DialogScript {
  std::mutex mutex;
  std::deque<std::optional<std::string>> files;
  std::deque<std::optional<FontAnswer>> fonts;
  std::vector<FileDialogRecord> fileLog;
  std::vector<FontDialogRecord> fontLog;
};

DialogScript& Script() {
  static DialogScript* script = new DialogScript();
  return *script;
}

}  // namespace

void ScriptFileDialogAnswer(const std::string& pathGbk) {
  std::lock_guard lock(Script().mutex);
  Script().files.emplace_back(pathGbk);
}

void ScriptFileDialogCancel() {
  std::lock_guard lock(Script().mutex);
  Script().files.emplace_back(std::nullopt);
}

void ScriptFontDialogAnswer(const LOGFONTA& font, COLORREF color) {
  std::lock_guard lock(Script().mutex);
  Script().fonts.emplace_back(FontAnswer{font, color});
}

void ScriptFontDialogCancel() {
  std::lock_guard lock(Script().mutex);
  Script().fonts.emplace_back(std::nullopt);
}

void ClearDialogScripts() {
  std::lock_guard lock(Script().mutex);
  Script().files.clear();
  Script().fonts.clear();
}

std::vector<FileDialogRecord> TakeFileDialogLog() {
  std::lock_guard lock(Script().mutex);
  std::vector<FileDialogRecord> log;
  log.swap(Script().fileLog);
  return log;
}

std::vector<FontDialogRecord> TakeFontDialogLog() {
  std::lock_guard lock(Script().mutex);
  std::vector<FontDialogRecord> log;
  log.swap(Script().fontLog);
  return log;
}

void ClearDialogDriver() {
  SetDialogDriver(nullptr);
}

int PumpDialogMessages() {
  return platform::controls::PumpModalDialogMessages();
}

std::optional<std::optional<std::string>> TakeScriptedFileAnswer() {
  std::lock_guard lock(Script().mutex);
  if (Script().files.empty()) return std::nullopt;
  auto answer = std::move(Script().files.front());
  Script().files.pop_front();
  return answer;
}

void RecordFileDialog(FileDialogRecord record) {
  std::lock_guard lock(Script().mutex);
  Script().fileLog.push_back(std::move(record));
}

std::optional<std::optional<FontAnswer>> TakeScriptedFontAnswer() {
  std::lock_guard lock(Script().mutex);
  if (Script().fonts.empty()) return std::nullopt;
  auto answer = Script().fonts.front();
  Script().fonts.pop_front();
  return answer;
}

void RecordFontDialog(FontDialogRecord record) {
  std::lock_guard lock(Script().mutex);
  Script().fontLog.push_back(std::move(record));
}

}  // namespace platform::testing
