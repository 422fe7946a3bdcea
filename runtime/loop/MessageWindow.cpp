// The runtime's hidden window. It exists so that another thread can hand the end of the
// program to the main thread: the end message is handled here, on the main thread, and
// ends the process with the exit code it carries.
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "platform/wingdi.h"
#include "runtime/loop/MessageLoop.h"

namespace rt {

namespace {

constexpr const char kClassName[] = "VelmoraRuntimeMessageWindow";

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kEndProgramMessage) {
    const auto exitCode = static_cast<int32_t>(wParam);
    EndProgramAndExit(exitCode);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMessageWindowClass() {
  WNDCLASSA existing{};
  if (GetClassInfoA(nullptr, kClassName, &existing) != FALSE) return true;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MessageWindowProc;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace

HWND CreateMessageWindow() {
  RuntimeState& s = Runtime();
  if (s.messageWindow != nullptr && IsWindow(s.messageWindow)) return s.messageWindow;
  s.messageWindow = nullptr;
  if (!RegisterMessageWindowClass()) return nullptr;
  s.messageWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", 0, 0, 0, 0, 0, nullptr,
                                    nullptr, nullptr, nullptr);
  return s.messageWindow;
}

void DestroyMessageWindow() {
  RuntimeState& s = Runtime();
  HWND window = s.messageWindow;
  s.messageWindow = nullptr;
  if (window != nullptr && IsWindow(window)) DestroyWindow(window);
}

}  // namespace rt
