#include "forms/RuntimeLink.h"

#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/loop/MessageLoop.h"

namespace forms::link {

namespace {
constexpr int32_t kNotifySuppress = 2009;
constexpr int32_t kNotifyAllow = 2010;
}  // namespace

bool EventsSuppressed() {
  return rt::EventsSuppressed();
}
void SuppressEvents() {
  rt::RuntimeNotify(kNotifySuppress, 0, 0);
}
void AllowEvents() {
  rt::RuntimeNotify(kNotifyAllow, 0, 0);
}
void SetEventSource(uint32_t windowId, uint32_t unitId) {
  rt::SetCurrentEventSource(windowId, unitId);
}
void SetHandlerRunning(bool running) {
  rt::SetHandlerRunning(running);
}
bool RunModalLoop(HWND window) {
  return rt::RunModalLoop(window);
}
void Fail(const char* message) {
  rt::ReportRuntimeError(message, 0);
}

}  // namespace forms::link
