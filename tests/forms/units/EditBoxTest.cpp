// The edit box: one change event for every change of content, whichever way it came; the
// selection properties; re-creation by a style switch keeping what was typed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "forms/units/edit/EditBoxUnit.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user/Presenter.h"
#include "tests/forms/units/UnitsTestSupport.h"

namespace formtest {
namespace {

namespace pt = platform::testing;

constexpr uint32_t kEdit = 2;

// "你好世界", as an input method commits it.
constexpr char kPhraseUtf8[] = "\xE4\xBD\xA0\xE5\xA5\xBD\xE4\xB8\x96\xE7\x95\x8C";

class EditBoxTest : public UnitsTest {
 protected:
  void LoadEdit(const std::function<void(forms::TypeBlock&)>& setup = {}) {
    LoadForm([&](TestForm& form) {
      forms::TypeBlock b = DefaultBlock(forms::kTypeEditBox);
      b.SetText(forms::kEditContent, "abc");
      if (setup) setup(b);
      AddTypedUnit(form, kEdit, b, {10, 10, 210, 34}).bindings = {{0, Offset(4)}, {-11, Offset(8)}};
    });
  }
  static size_t Changes() { return Lines({"handler 4 "}).size(); }
};

TEST_F(EditBoxTest, EveryWayOfChangingTheContentRaisesTheChangeEventOnce) {
  const struct {
    const char* way;
    std::function<void(EditBoxTest&)> change;
    const char* content;  // afterwards, starting from "abc" with the caret at the end
    size_t changes;
  } kCases[] = {
      {"one key", [](EditBoxTest&) { pt::PressKey('X'); }, "abcx", 1},
      {"three keys",
       [](EditBoxTest&) {
         pt::PressKey('X');
         pt::PressKey('Y');
         pt::PressKey('Z');
       },
       "abcxyz", 3},
      {"backspace", [](EditBoxTest&) { pt::PressKey(VK_BACK); }, "ab", 1},
      {"a committed phrase", [](EditBoxTest&) { ASSERT_TRUE(pt::TypeUtf8(kPhraseUtf8)); },
       "abc\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7", 1},
      {"a phrase whose last character a handler swallows",
       [](EditBoxTest&) {
         ScriptAction(8, [] {
           const bool z = Journal().back().find("(122)") != std::string::npos;
           ScriptResult(8, z ? std::optional<uint64_t>(0) : std::nullopt);
         });
         ASSERT_TRUE(pt::TypeUtf8("wxyz"));
       },
       "abcwxy", 1},
      {"one Chinese character", [](EditBoxTest&) { pt::TypeGbk("\xC4\xE3"); }, "abc\xC4\xE3", 1},
      {"paste",
       [](EditBoxTest&) {
         platform::user::ActivePresenter().SetClipboardText("pasted text");
         SendMessageA(GetFocus(), WM_PASTE, 0, 0);  // the box has the focus
       },
       "abcpasted text", 1},
      {"content set", [](EditBoxTest&) { SetText(kEdit, forms::kEditContent, "new"); }, "new", 1},
      {"content set to the same text",
       [](EditBoxTest&) { SetText(kEdit, forms::kEditContent, "abc"); }, "abc", 1},
      {"selected text replaced",
       [](EditBoxTest&) {
         SetWord(kEdit, forms::kEditSelStart, 1);
         SetWord(kEdit, forms::kEditSelLength, 1);
         SetText(kEdit, forms::kEditSelText, "ZZ");
       },
       "aZZc", 1},
      {"caret moved only", [](EditBoxTest&) { pt::PressKey(VK_LEFT); }, "abc", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.way);
    LoadEdit();
    SetFocus(Unit(kEdit));
    SendMessageA(Unit(kEdit), EM_SETSEL, 3, 3);
    Pump();
    Journal().clear();
    c.change(*this);
    Pump();
    EXPECT_EQ(GetText(kEdit, forms::kEditContent), c.content);
    EXPECT_EQ(Changes(), c.changes);
    TearDown();
    SetUp();
  }
}

TEST_F(EditBoxTest, SelectionPropertiesReadTheControl) {
  LoadEdit([](forms::TypeBlock& b) { b.SetText(forms::kEditContent, "hello world"); });
  SendMessageA(Unit(kEdit), EM_SETSEL, 4, 4);
  EXPECT_EQ(GetText(kEdit, forms::kEditSelText), "");  // nothing selected
  SetWord(kEdit, forms::kEditSelStart, 6);
  SetWord(kEdit, forms::kEditSelLength, 5);
  EXPECT_EQ(GetWord(kEdit, forms::kEditSelStart), 6);
  EXPECT_EQ(GetWord(kEdit, forms::kEditSelLength), 5);
  EXPECT_EQ(GetText(kEdit, forms::kEditSelText), "world");
  // A length past the end selects to the end, and a negative start counts as 0.
  SetWord(kEdit, forms::kEditSelLength, 500);
  EXPECT_EQ(GetText(kEdit, forms::kEditSelText), "world");
  SetWord(kEdit, forms::kEditSelStart, -4);
  EXPECT_EQ(GetWord(kEdit, forms::kEditSelStart), 0);
}

TEST_F(EditBoxTest, StyleSwitchesRecreateTheControlKeepingTypedTextAndEvents) {
  LoadEdit();
  HWND before = Unit(kEdit);
  SetFocus(before);
  SendMessageA(before, EM_SETSEL, 3, 3);
  ASSERT_TRUE(pt::TypeUtf8("de"));
  Pump();
  Journal().clear();

  SetWord(kEdit, forms::kEditMultiLine, 1);
  SetWord(kEdit, forms::kEditAlignment, 2);
  HWND after = Unit(kEdit);
  ASSERT_NE(after, before);
  EXPECT_FALSE(IsWindow(before));
  const auto style = static_cast<DWORD>(GetWindowLongA(after, GWL_STYLE));
  EXPECT_NE(style & ES_MULTILINE, 0u);
  EXPECT_NE(style & ES_RIGHT, 0u);
  EXPECT_EQ(GetText(kEdit, forms::kEditContent), "abcde");
  EXPECT_EQ(Changes(), 0u);  // re-creation is no change of content

  SetText(kEdit, forms::kEditContent, "x");
  EXPECT_EQ(Changes(), 1u);
}

TEST_F(EditBoxTest, InputModeAndLengthLimitApplyToTheControl) {
  LoadEdit([](forms::TypeBlock& b) {
    b.SetWord(forms::kEditInputMode, 2);
    b.SetWord(forms::kEditMaxLength, 4);
  });
  HWND h = Unit(kEdit);
  EXPECT_EQ(SendMessageA(h, EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(SendMessageA(h, EM_GETLIMITTEXT, 0, 0), 4);
  SetText(kEdit, forms::kEditPasswordChar, "#");
  EXPECT_EQ(SendMessageA(h, EM_GETPASSWORDCHAR, 0, 0), '#');
  SetWord(kEdit, forms::kEditInputMode, 1);
  EXPECT_EQ(SendMessageA(h, EM_GETPASSWORDCHAR, 0, 0), 0);
  EXPECT_NE(GetWindowLongA(h, GWL_STYLE) & ES_READONLY, 0);
  SetFocus(h);
  pt::PressKey('Q');
  Pump();
  EXPECT_EQ(GetText(kEdit, forms::kEditContent), "abc");
  EXPECT_EQ(Changes(), 0u);
}

}  // namespace
}  // namespace formtest
