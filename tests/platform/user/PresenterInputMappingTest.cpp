// How desktop input becomes window-manager input: virtual keys and scan codes, desktop hit
// testing, standard cursors, input-method text and wheel motion.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "platform/presenters/SdlInputMapping.h"

namespace platform::user {
namespace {

struct KeyCase {
  const char* name;
  SDL_Keycode key;
  SDL_Scancode scancode;
  bool numLock;
  int virtualKey;
  int scanCode;
  bool extended;
};

TEST(PresenterKeyMapping, KeysGiveVirtualKeysScanCodesAndExtendedBits) {
  const KeyCase cases[] = {
      {"letter", SDLK_a, SDL_SCANCODE_A, false, 'A', 0x1E, false},
      {"digit 1", SDLK_1, SDL_SCANCODE_1, false, '1', 0x02, false},
      {"digit 0", SDLK_0, SDL_SCANCODE_0, false, '0', 0x0B, false},
      {"enter", SDLK_RETURN, SDL_SCANCODE_RETURN, false, VK_RETURN, 0x1C, false},
      {"keypad enter", SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, false, VK_RETURN, 0x1C, true},
      {"escape", SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, false, VK_ESCAPE, 0x01, false},
      {"backspace", SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, false, VK_BACK, 0x0E, false},
      {"tab", SDLK_TAB, SDL_SCANCODE_TAB, false, VK_TAB, 0x0F, false},
      {"space", SDLK_SPACE, SDL_SCANCODE_SPACE, false, VK_SPACE, 0x39, false},
      {"left", SDLK_LEFT, SDL_SCANCODE_LEFT, false, VK_LEFT, 0x4B, true},
      {"right", SDLK_RIGHT, SDL_SCANCODE_RIGHT, false, VK_RIGHT, 0x4D, true},
      {"up", SDLK_UP, SDL_SCANCODE_UP, false, VK_UP, 0x48, true},
      {"down", SDLK_DOWN, SDL_SCANCODE_DOWN, false, VK_DOWN, 0x50, true},
      {"insert", SDLK_INSERT, SDL_SCANCODE_INSERT, false, VK_INSERT, 0x52, true},
      {"delete", SDLK_DELETE, SDL_SCANCODE_DELETE, false, VK_DELETE, 0x53, true},
      {"home", SDLK_HOME, SDL_SCANCODE_HOME, false, VK_HOME, 0x47, true},
      {"end", SDLK_END, SDL_SCANCODE_END, false, VK_END, 0x4F, true},
      {"page up", SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, false, VK_PRIOR, 0x49, true},
      {"page down", SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, false, VK_NEXT, 0x51, true},
      {"left ctrl", SDLK_LCTRL, SDL_SCANCODE_LCTRL, false, VK_CONTROL, 0x1D, false},
      {"right ctrl", SDLK_RCTRL, SDL_SCANCODE_RCTRL, false, VK_CONTROL, 0x1D, true},
      {"left alt", SDLK_LALT, SDL_SCANCODE_LALT, false, VK_MENU, 0x38, false},
      {"right alt", SDLK_RALT, SDL_SCANCODE_RALT, false, VK_MENU, 0x38, true},
      {"left shift", SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, false, VK_SHIFT, 0x2A, false},
      {"right shift", SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, false, VK_SHIFT, 0x36, false},
      {"F1", SDLK_F1, SDL_SCANCODE_F1, false, VK_F1, 0x3B, false},
      {"F10", SDLK_F10, SDL_SCANCODE_F10, false, VK_F1 + 9, 0x44, false},
      {"F11", SDLK_F11, SDL_SCANCODE_F11, false, VK_F1 + 10, 0x57, false},
      {"F12", SDLK_F12, SDL_SCANCODE_F12, false, VK_F12, 0x58, false},
      {"num lock", SDLK_NUMLOCKCLEAR, SDL_SCANCODE_NUMLOCKCLEAR, false, VK_NUMLOCK, 0x45, true},
      {"pause", SDLK_PAUSE, SDL_SCANCODE_PAUSE, false, VK_PAUSE, 0x45, false},
      {"keypad divide", SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, true, VK_DIVIDE, 0x35, true},
      {"keypad 7, num lock on", SDLK_KP_7, SDL_SCANCODE_KP_7, true, VK_NUMPAD0 + 7, 0x47, false},
      {"keypad 7, num lock off", SDLK_KP_7, SDL_SCANCODE_KP_7, false, VK_HOME, 0x47, false},
      {"keypad 0, num lock off", SDLK_KP_0, SDL_SCANCODE_KP_0, false, VK_INSERT, 0x52, false},
      {"keypad 5, num lock off", SDLK_KP_5, SDL_SCANCODE_KP_5, false, VK_CLEAR, 0x4C, false},
      {"keypad point, num lock on", SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, true, VK_DECIMAL, 0x53,
       false},
      {"keypad point, num lock off", SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, false, VK_DELETE, 0x53,
       false},
      {"semicolon", SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, false, VK_OEM_1, 0x27, false},
      {"slash", SDLK_SLASH, SDL_SCANCODE_SLASH, false, VK_OEM_2, 0x35, false},
      {"grave", SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, false, VK_OEM_3, 0x29, false},
      // On a French keyboard the key that prints 'a' sits where US keyboards have 'Q'.
      {"AZERTY a", SDLK_a, SDL_SCANCODE_Q, false, 'A', 0x10, false},
      // A Cyrillic letter has no virtual key of its own: the key's US meaning stands in.
      {"Cyrillic letter", 0x0439, SDL_SCANCODE_Q, false, 'Q', 0x10, false},
      // German sharp s sits on the US minus key.
      {"German sharp s", 0xDF, SDL_SCANCODE_MINUS, false, VK_OEM_MINUS, 0x0C, false},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    KeyTranslation t = TranslateSdlKey(c.key, c.scancode, c.numLock);
    EXPECT_EQ(t.virtualKey, c.virtualKey);
    EXPECT_EQ(t.scanCode, c.scanCode);
    EXPECT_EQ(t.extended, c.extended);
  }
}

TEST(PresenterKeyMapping, LetterScanCodesFollowTheKeyboardRows) {
  const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  const int firstScan[] = {0x10, 0x1E, 0x2C};
  std::set<int> seen;
  for (int row = 0; row < 3; ++row) {
    for (int i = 0; rows[row][i] != '\0'; ++i) {
      const char letter = rows[row][i];
      SCOPED_TRACE(std::string(1, letter));
      auto scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (letter - 'A'));
      KeyTranslation t = ScanCodeOf(scancode);
      EXPECT_EQ(t.virtualKey, letter);
      EXPECT_EQ(t.scanCode, firstScan[row] + i);
      EXPECT_FALSE(t.extended);
      seen.insert(t.scanCode);
    }
  }
  EXPECT_EQ(seen.size(), 26u);
}

TEST(PresenterKeyMapping, KeysProgramsCannotSeeSendNothing) {
  EXPECT_EQ(TranslateSdlKey(SDLK_MUTE, SDL_SCANCODE_MUTE, false).virtualKey, 0);
  EXPECT_EQ(TranslateSdlKey(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, false).virtualKey, 0);
}

TEST(PresenterHitTest, CaptionDragsAndOnlyResizableBordersResize) {
  EXPECT_EQ(DesktopHitTest(HTCAPTION, false), SDL_HITTEST_DRAGGABLE);
  EXPECT_EQ(DesktopHitTest(HTCAPTION, true), SDL_HITTEST_DRAGGABLE);
  EXPECT_EQ(DesktopHitTest(HTLEFT, true), SDL_HITTEST_RESIZE_LEFT);
  EXPECT_EQ(DesktopHitTest(HTRIGHT, true), SDL_HITTEST_RESIZE_RIGHT);
  EXPECT_EQ(DesktopHitTest(HTTOP, true), SDL_HITTEST_RESIZE_TOP);
  EXPECT_EQ(DesktopHitTest(HTBOTTOM, true), SDL_HITTEST_RESIZE_BOTTOM);
  EXPECT_EQ(DesktopHitTest(HTTOPLEFT, true), SDL_HITTEST_RESIZE_TOPLEFT);
  EXPECT_EQ(DesktopHitTest(HTTOPRIGHT, true), SDL_HITTEST_RESIZE_TOPRIGHT);
  EXPECT_EQ(DesktopHitTest(HTBOTTOMLEFT, true), SDL_HITTEST_RESIZE_BOTTOMLEFT);
  EXPECT_EQ(DesktopHitTest(HTBOTTOMRIGHT, true), SDL_HITTEST_RESIZE_BOTTOMRIGHT);
  // A fixed border stays with the program, and so do the caption buttons, so that their
  // clicks reach the non-client code.
  for (LRESULT hit : {HTLEFT, HTBOTTOMRIGHT, HTBORDER, HTCLOSE, HTMINBUTTON, HTMAXBUTTON, HTSYSMENU,
                      HTCLIENT, HTNOWHERE, HTTRANSPARENT, HTERROR}) {
    SCOPED_TRACE(hit);
    EXPECT_EQ(DesktopHitTest(hit, false), SDL_HITTEST_NORMAL);
  }
  EXPECT_EQ(DesktopHitTest(HTCLOSE, true), SDL_HITTEST_NORMAL);
}

TEST(PresenterCursors, StandardCursorsHaveSystemShapes) {
  auto id = [](LPCSTR name) { return reinterpret_cast<uintptr_t>(name); };
  EXPECT_EQ(SystemCursorFor(id(IDC_ARROW)), SDL_SYSTEM_CURSOR_ARROW);
  EXPECT_EQ(SystemCursorFor(id(IDC_IBEAM)), SDL_SYSTEM_CURSOR_IBEAM);
  EXPECT_EQ(SystemCursorFor(id(IDC_WAIT)), SDL_SYSTEM_CURSOR_WAIT);
  EXPECT_EQ(SystemCursorFor(id(IDC_HAND)), SDL_SYSTEM_CURSOR_HAND);
  EXPECT_EQ(SystemCursorFor(id(IDC_SIZEWE)), SDL_SYSTEM_CURSOR_SIZEWE);
  EXPECT_EQ(SystemCursorFor(id(IDC_SIZENS)), SDL_SYSTEM_CURSOR_SIZENS);
  EXPECT_EQ(SystemCursorFor(id(IDC_SIZENWSE)), SDL_SYSTEM_CURSOR_SIZENWSE);
  EXPECT_EQ(SystemCursorFor(id(IDC_SIZENESW)), SDL_SYSTEM_CURSOR_SIZENESW);
  EXPECT_EQ(SystemCursorFor(id(IDC_SIZEALL)), SDL_SYSTEM_CURSOR_SIZEALL);
  EXPECT_EQ(SystemCursorFor(id(IDC_NO)), SDL_SYSTEM_CURSOR_NO);
  EXPECT_EQ(SystemCursorFor(id(IDC_CROSS)), SDL_SYSTEM_CURSOR_CROSSHAIR);
  EXPECT_FALSE(SystemCursorFor(1234).has_value());
  EXPECT_FALSE(SystemCursorFor(32517).has_value());
}

TEST(PresenterTextInput, InputMethodTextBecomesGbk) {
  TypedTextDecoder decoder;
  EXPECT_EQ(decoder.Feed("abc"), "abc");
  // 你好
  EXPECT_EQ(decoder.Feed("\xE4\xBD\xA0\xE5\xA5\xBD"), "\xC4\xE3\xBA\xC3");
  // Mixed text keeps its order: "A你1"
  EXPECT_EQ(decoder.Feed("A\xE4\xBD\xA0"
                         "1"),
            "A\xC4\xE3"
            "1");
}

TEST(PresenterTextInput, CharacterSplitAcrossPiecesArrivesWhole) {
  TypedTextDecoder decoder;
  // 你 is E4 BD A0; 好 is E5 A5 BD.
  EXPECT_EQ(decoder.Feed("x\xE4"), "x");
  EXPECT_EQ(decoder.Feed("\xBD"), "");
  EXPECT_EQ(decoder.Feed("\xA0\xE5\xA5"), "\xC4\xE3");
  EXPECT_EQ(decoder.Feed("\xBD"), "\xBA\xC3");
  // Nothing is held back after a complete character.
  EXPECT_EQ(decoder.Feed("z"), "z");
}

TEST(PresenterTextInput, ControlAndUnrepresentableCharactersDoNotPassAsText) {
  TypedTextDecoder decoder;
  // Enter, Tab, Backspace and Escape come from their keys, not from text.
  EXPECT_EQ(decoder.Feed("a\r\n\tb\x08\x1B\x7F"
                         "c"),
            "abc");
  // A character GBK lacks (U+1F600) and a stray byte become '?' rather than vanish.
  const std::string emoji = decoder.Feed("\xF0\x9F\x98\x80");
  EXPECT_FALSE(emoji.empty());
  EXPECT_EQ(emoji.find_first_not_of('?'), std::string::npos);
  EXPECT_EQ(decoder.Feed("\xFF"), "?");
}

TEST(PresenterWheel, NotchesBecomeWheelDeltaWithFractionsCarried) {
  WheelAccumulator wheel;
  EXPECT_EQ(wheel.Add(1.0f), WHEEL_DELTA);
  EXPECT_EQ(wheel.Add(-2.0f), -2 * WHEEL_DELTA);
  // A touchpad's quarter notches add up to one notch.
  EXPECT_EQ(wheel.Add(0.25f), 30);
  EXPECT_EQ(wheel.Add(0.25f), 30);
  WheelAccumulator fine;
  EXPECT_EQ(fine.Add(0.005f), 0);
  EXPECT_EQ(fine.Add(0.005f), 1);
  EXPECT_EQ(fine.Add(NAN), 0);
  EXPECT_EQ(fine.Add(INFINITY), 0);
  // A runaway value cannot overflow the 16-bit delta of WM_MOUSEWHEEL.
  EXPECT_LE(fine.Add(1e9f), 32767);
}

}  // namespace
}  // namespace platform::user
