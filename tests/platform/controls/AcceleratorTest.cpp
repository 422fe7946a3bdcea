// Accelerator tables: building and copying them, which key presses they turn into
// commands, and menu items that block a command while they are disabled.
#include "platform/testing/InputAutomation.h"
#include "tests/platform/controls/MenuTestSupport.h"

namespace {

using namespace window_test;
using platform::testing::KeyDown;
using platform::testing::KeyUp;
using platform::testing::PressKey;
using platform::testing::RunUntilIdle;

class AcceleratorTest : public WindowTest {
 protected:
  // Pumps the queue the way a program's loop does, with TranslateAcceleratorA first.
  int Pump(HWND window, HACCEL table) {
    int translated = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (TranslateAcceleratorA(window, table, &msg)) {
        ++translated;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return translated;
  }
  // Holds the modifiers while the key's messages are read, as a person's fingers would.
  int Chord(HWND window, HACCEL table, std::initializer_list<int> modifiers, int key) {
    for (int m : modifiers) KeyDown(m);
    KeyDown(key);
    int translated = Pump(window, table);
    KeyUp(key);
    for (int m : modifiers) KeyUp(m);
    return translated + Pump(window, table);
  }
};

TEST_F(AcceleratorTest, TablesCopyBackAndDieOnce) {
  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'S', 10}, {FVIRTKEY, (VK_F1 + 4), 11}, {0, 'q', 12}};
  HACCEL table = CreateAcceleratorTableA(keys, 3);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 3);
  ACCEL out[2]{};
  EXPECT_EQ(CopyAcceleratorTableA(table, out, 2), 2) << "no more than asked";
  EXPECT_EQ(out[1].key, (VK_F1 + 4));
  EXPECT_EQ(out[1].cmd, 11);
  EXPECT_TRUE(DestroyAcceleratorTable(table));
  EXPECT_FALSE(DestroyAcceleratorTable(table));
  EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 0);
  EXPECT_EQ(CreateAcceleratorTableA(keys, 0), nullptr);
  EXPECT_EQ(CreateAcceleratorTableA(nullptr, 2), nullptr);
  MSG msg{};
  EXPECT_EQ(TranslateAcceleratorA(nullptr, table, &msg), 0);
}

TEST_F(AcceleratorTest, KeyDownsWithExactlyTheirModifiersBecomeCommands) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200);
  SetForegroundWindow(w);
  SetFocus(w);
  RunUntilIdle();
  menu_test::MenuScript script;
  script.Attach(w);
  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'S', 10},
                  {FVIRTKEY | FCONTROL | FSHIFT, 'S', 11},
                  {FVIRTKEY | FALT, VK_RETURN, 12},
                  {FVIRTKEY, (VK_F1 + 4), 13}};
  HACCEL table = CreateAcceleratorTableA(keys, 4);

  EXPECT_EQ(Chord(w, table, {VK_CONTROL}, 'S'), 1)
      << "the key down only; the key up is not translated";
  EXPECT_EQ(Chord(w, table, {VK_CONTROL, VK_SHIFT}, 'S'), 1);
  EXPECT_EQ(Chord(w, table, {}, 'S'), 0) << "without Ctrl: typing, not a command";
  EXPECT_EQ(Chord(w, table, {VK_SHIFT}, 'S'), 0);
  EXPECT_EQ(Chord(w, table, {VK_MENU}, VK_RETURN), 1);
  EXPECT_EQ(Chord(w, table, {}, VK_F1 + 4), 1);
  EXPECT_EQ(Chord(w, table, {VK_CONTROL}, VK_F1 + 4), 0) << "modifiers must match exactly";
  std::vector<UINT> expected = {10, 11, 12, 13};
  EXPECT_EQ(script.commands, expected);
  for (WORD source : script.commandSources) EXPECT_EQ(source, 1) << "HIWORD 1 for accelerators";
  DestroyAcceleratorTable(table);
}

TEST_F(AcceleratorTest, ADisabledMenuItemWithTheSameIdBlocksTheCommand) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING | MF_GRAYED, 10, "&Save\tCtrl+S");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr, 0, "", bar);
  SetForegroundWindow(w);
  SetFocus(w);
  RunUntilIdle();
  menu_test::MenuScript script;
  script.Attach(w);
  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'S', 10}};
  HACCEL table = CreateAcceleratorTableA(keys, 1);
  EXPECT_EQ(Chord(w, table, {VK_CONTROL}, 'S'), 1) << "the key is still consumed";
  EXPECT_TRUE(script.commands.empty());
  EnableMenuItem(bar, 10, MF_BYCOMMAND | MF_ENABLED);
  EXPECT_EQ(Chord(w, table, {VK_CONTROL}, 'S'), 1);
  ASSERT_EQ(script.commands.size(), 1u);
  EXPECT_EQ(script.commands[0], 10u);
  DestroyAcceleratorTable(table);
  DestroyWindow(w);
  DestroyMenu(bar);
}

}  // namespace
