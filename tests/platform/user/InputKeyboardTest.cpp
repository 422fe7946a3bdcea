// Keyboard input: the key messages' lParam bits, system keys, key state and typed text.
#include <gtest/gtest.h>

#include "tests/platform/user/PaintTestSupport.h"

namespace {

using namespace paint_test;
namespace automation = platform::testing;
using platform::user::InputKey;

class InputKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop();
    window_ = std::make_unique<TestWindow>(WS_POPUP | WS_VISIBLE, RECT{100, 100, 200, 200});
    RunLoop();
    SetFocus(window_->handle());
    RunLoop();
    rec().Clear();
  }
  void TearDown() override {
    window_.reset();
    RunLoop();
  }
  Recorder& rec() { return window_->rec(); }
  HWND handle() const { return window_->handle(); }

  // The lParam of the last `message`, as the 32 bits the key messages define.
  uint32_t LastBits(UINT message) {
    RunLoop();
    const Received* r = rec().Last(message);
    EXPECT_NE(r, nullptr) << "no message " << message;
    return r != nullptr ? static_cast<uint32_t>(r->lParam) : 0;
  }

  std::unique_ptr<TestWindow> window_;
};

TEST_F(InputKeyboardTest, KeyMessagesCarryExactLParamBits) {
  InputKey('A', true, 0x1E, false);
  EXPECT_EQ(LastBits(WM_KEYDOWN), 0x001E0001u);
  EXPECT_EQ(rec().Last(WM_KEYDOWN)->wParam, static_cast<WPARAM>('A'));
  // Auto-repeat: the key was already down.
  InputKey('A', true, 0x1E, false);
  EXPECT_EQ(LastBits(WM_KEYDOWN), 0x401E0001u);
  InputKey('A', false, 0x1E, false);
  EXPECT_EQ(LastBits(WM_KEYUP), 0xC01E0001u);

  InputKey(VK_RIGHT, true, 0x4D, true);
  EXPECT_EQ(LastBits(WM_KEYDOWN), 0x014D0001u);
  InputKey(VK_RIGHT, false, 0x4D, true);
  EXPECT_EQ(LastBits(WM_KEYUP), 0xC14D0001u);
  // Automation supplies the scan codes of a standard keyboard.
  automation::PressKey(VK_RETURN);
  EXPECT_EQ(LastBits(WM_KEYDOWN), 0x001C0001u);
}

TEST_F(InputKeyboardTest, AltAndF10MakeSystemKeys) {
  InputKey(VK_MENU, true, 0x38, false);
  EXPECT_EQ(LastBits(WM_SYSKEYDOWN), 0x20380001u);
  EXPECT_EQ(rec().Last(WM_SYSKEYDOWN)->wParam, static_cast<WPARAM>(VK_MENU));
  InputKey('F', true, 0x21, false);
  EXPECT_EQ(LastBits(WM_SYSKEYDOWN), 0x20210001u);
  InputKey('F', false, 0x21, false);
  EXPECT_EQ(LastBits(WM_SYSKEYUP), 0xE0210001u);
  InputKey(VK_MENU, false, 0x38, false);
  EXPECT_EQ(LastBits(WM_SYSKEYUP), 0xC0380001u);
  EXPECT_EQ(rec().Count(WM_KEYDOWN), 0);

  automation::PressKey(VK_F10);
  RunLoop();
  EXPECT_EQ(rec().Last(WM_SYSKEYDOWN)->wParam, static_cast<WPARAM>(VK_F10));
  EXPECT_EQ(rec().Count(WM_KEYDOWN), 0);
}

TEST_F(InputKeyboardTest, KeyStateFollowsPressesTogglesAndSides) {
  const bool capsBefore = (GetKeyState(VK_CAPITAL) & 1) != 0;
  automation::KeyDown(VK_CAPITAL);
  EXPECT_LT(GetKeyState(VK_CAPITAL), 0);
  EXPECT_NE(GetAsyncKeyState(VK_CAPITAL) & 0x8000, 0);
  automation::KeyDown(VK_CAPITAL);  // repeat: no second toggle
  automation::KeyUp(VK_CAPITAL);
  EXPECT_GE(GetKeyState(VK_CAPITAL), 0);
  EXPECT_EQ((GetKeyState(VK_CAPITAL) & 1) != 0, !capsBefore);
  automation::PressKey(VK_CAPITAL);
  EXPECT_EQ((GetKeyState(VK_CAPITAL) & 1) != 0, capsBefore);

  // Sided modifiers keep the generic key down while either side is.
  InputKey(VK_LSHIFT, true, 0x2A, false);
  InputKey(VK_RSHIFT, true, 0x36, false);
  InputKey(VK_LSHIFT, false, 0x2A, false);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_GE(GetKeyState(VK_LSHIFT), 0);
  EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
  BYTE keys[256];
  ASSERT_TRUE(GetKeyboardState(keys));
  EXPECT_NE(keys[VK_SHIFT] & 0x80, 0);
  EXPECT_NE(keys[VK_RSHIFT] & 0x80, 0);
  InputKey(VK_RSHIFT, false, 0x36, false);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  RunLoop();
  // Messages name the generic key.
  for (const Received& r : rec().messages) {
    if (r.message == WM_KEYDOWN || r.message == WM_KEYUP) {
      EXPECT_NE(r.wParam, static_cast<WPARAM>(VK_LSHIFT));
      EXPECT_NE(r.wParam, static_cast<WPARAM>(VK_RSHIFT));
    }
  }

  // The generic key goes down on its left side unless the scan code says right.
  InputKey(VK_SHIFT, true, 0x36, false);
  EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
  InputKey(VK_SHIFT, false, 0x36, false);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_FALSE(GetKeyboardState(nullptr));
}

TEST_F(InputKeyboardTest, TypedTextArrivesAsCharsLeadByteFirst) {
  // "中" is D6 D0 in GBK.
  ASSERT_TRUE(
      automation::TypeUtf8("\xE4\xB8\xAD"
                           "a"));
  RunLoop();
  std::vector<WPARAM> chars;
  for (const Received& r : rec().messages) {
    if (r.message == WM_CHAR) chars.push_back(r.wParam);
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{0xD6, 0xD0, 'a'}));

  rec().Clear();
  EXPECT_FALSE(automation::TypeUtf8("\xFF\xFE"));
  automation::TypeGbk("\xB0\xA1");  // "啊"
  RunLoop();
  chars.clear();
  for (const Received& r : rec().messages) {
    if (r.message == WM_CHAR) chars.push_back(r.wParam);
  }
  EXPECT_EQ(chars, (std::vector<WPARAM>{0xB0, 0xA1}));
}

TEST_F(InputKeyboardTest, WithoutFocusTheActiveWindowGetsSystemKeys) {
  ASSERT_EQ(GetActiveWindow(), handle());
  SetFocus(nullptr);
  RunLoop();
  rec().Clear();
  InputKey('A', true, 0x1E, false);
  EXPECT_EQ(LastBits(WM_SYSKEYDOWN), 0x001E0001u);
  InputKey('A', false, 0x1E, false);
  RunLoop();
  EXPECT_EQ(rec().Count(WM_KEYDOWN), 0);
}

TEST_F(InputKeyboardTest, DisabledWindowsGetNoKeysOrText) {
  TestWindow child(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, handle());
  RunLoop();
  SetFocus(child.handle());
  RunLoop();
  EnableWindow(child.handle(), FALSE);
  RunLoop();
  child.rec().Clear();
  automation::PressKey('B');
  automation::TypeGbk("x");
  RunLoop();
  EXPECT_EQ(child.rec().Count(WM_KEYDOWN), 0);
  EXPECT_EQ(child.rec().Count(WM_SYSKEYDOWN), 0);
  EXPECT_EQ(child.rec().Count(WM_CHAR), 0);
}

}  // namespace
