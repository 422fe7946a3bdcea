// Shared by the dialog tests: a fixture that leaves no script, driver or log behind, and
// input helpers for driving dialogs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/SystemClasses.h"
#include "platform/testing/Automation.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace dialog_test {

namespace automation = platform::testing;

class DialogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::controls::EnsureSystemClassesRegistered();
    Reset();
  }
  void TearDown() override { Reset(); }
  static void Reset() {
    automation::ClearDialogDriver();
    automation::ClearDialogScripts();
    automation::ClearMessageBoxScript();
    automation::TakeMessageBoxLog();
    automation::TakeFileDialogLog();
    automation::TakeFontDialogLog();
  }
};

inline void Click(HWND control) {
  RECT rect{};
  GetClientRect(control, &rect);
  automation::ClickInWindow(control, POINT{rect.right / 2, rect.bottom / 2});
}

inline void AltKey(int key) {
  automation::KeyDown(VK_MENU);
  automation::PressKey(key);
  automation::KeyUp(VK_MENU);
}

inline void ShiftKey(int key) {
  automation::KeyDown(VK_SHIFT);
  automation::PressKey(key);
  automation::KeyUp(VK_SHIFT);
}

inline void CtrlKey(int key) {
  automation::KeyDown(VK_CONTROL);
  automation::PressKey(key);
  automation::KeyUp(VK_CONTROL);
}

inline std::string TextOf(HWND window) {
  char buffer[1024] = {};
  GetWindowTextA(window, buffer, sizeof(buffer));
  return buffer;
}

inline std::string ClassOf(HWND window) {
  char buffer[64] = {};
  GetClassNameA(window, buffer, sizeof(buffer));
  return buffer;
}

// The strings of a list box, top to bottom.
inline std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char buffer[512] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
    items.push_back(buffer);
  }
  return items;
}

}  // namespace dialog_test
