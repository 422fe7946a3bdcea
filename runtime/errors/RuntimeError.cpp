#include "runtime/errors/RuntimeError.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/kernel32.h"
#include "platform/user32.h"
#include "runtime/RuntimeState.h"
#include "runtime/errors/RuntimeMessages.h"

namespace rt {

namespace {

std::atomic<ErrorInterceptRoutine> g_intercept{nullptr};
// One flag for all threads: an intercept that itself raises an error is not called again.
std::atomic<bool> g_interceptRunning{false};

const char* const kNumberedMessages[] = {
    msg::kIndexOutOfRange,     msg::kNotNumericData,      msg::kDimensionMismatch,
    msg::kIndexBelowOne,       msg::kTypeMismatch,        msg::kDllStackError,
    msg::kSubExpressionNoData, msg::kOnlyEqualityCompare, msg::kChoiceIndex,
    msg::kRedimSize,           msg::kArgumentKind,
};

bool DebuggerAttached() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("TracerPid:", 0) == 0) return std::atoi(line.c_str() + 10) != 0;
  }
  return false;
}

}  // namespace

const char* NumberedErrorMessage(int32_t code) {
  if (code < 1 || code > 11) return "";
  return kNumberedMessages[code - 1];
}

void SetErrorIntercept(ErrorInterceptRoutine routine) {
  g_intercept.store(routine);
}

void FormatRuntimeErrorText(const char* message, int32_t code, char* out, size_t outSize) {
  std::string text = msg::kErrorHead;
  text += "\r\n\r\n";
  if (code != 0) {
    text += msg::kErrorCodeLabel;
    text += std::to_string(code);
    text += "\r\n\r\n";
  }
  if (message != nullptr && message[0] != 0) {
    text += msg::kErrorMessageLabel;
    text += message;
    text += "\r\n";
  }
  if (outSize == 0) return;
  size_t n = std::min(text.size(), outSize - 1);
  std::memcpy(out, text.data(), n);
  out[n] = 0;
}

void ReportRuntimeError(const char* message, int32_t code) {
  RaiseBusy();

  bool suppressed = false;
  ErrorInterceptRoutine intercept = g_intercept.load();
  bool expected = false;
  if (intercept != nullptr && g_interceptRunning.compare_exchange_strong(expected, true)) {
    suppressed = intercept(code, message == nullptr ? "" : message) != 0;
    g_interceptRunning.store(false);
  }

  if (!suppressed) {
    // Long enough for any message: the head and labels take under 40 bytes.
    size_t size = 64 + (message == nullptr ? 0 : std::strlen(message));
    std::string text(size, '\0');
    FormatRuntimeErrorText(message, code, text.data(), text.size());
    MessageBoxA(nullptr, text.c_str(), msg::kErrorCaption, MB_ICONERROR);
  }

  // Without a debugger a breakpoint would only kill the process with a signal instead of
  // the documented exit code, so the stop is made only when someone is there to see it.
  if (Runtime().runMode == 2 && DebuggerAttached()) std::raise(SIGTRAP);

  // The application's own clean-up must not run after a runtime error.
  SetEndRoutine(nullptr);
  EndProgram(-1);
  ExitProcess(static_cast<UINT>(-1));
}

void RaiseRuntimeError(int32_t code) {
  ReportRuntimeError(NumberedErrorMessage(code), code);
}

}  // namespace rt
