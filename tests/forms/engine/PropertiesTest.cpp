// Property access by number: the common properties with their record write-back and
// clamping, menu items and their menu bar, fonts whole and by aspect, and the errors of
// access to windows that are not there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "forms/data/FormData.h"
#include "forms/properties/FontValue.h"
#include "forms/properties/UnitProperties.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/Gbk.h"
#include "tests/forms/engine/FormsTestSupport.h"

namespace formtest {
namespace {

using forms::GetUnitProperty;
using forms::SetUnitProperty;

uint32_t Low(const void* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}
uint32_t High(const void* p) {
  return static_cast<uint32_t>(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) >> 32);
}
void SetPointer(UnitId w, UnitId u, int32_t index, const void* p, int32_t part = -1) {
  SetUnitProperty(w, u, index, part, Low(p), High(p));
}
// A text or byte set read back, freed as a caller must.
std::string TakeText(int64_t value) {
  auto* p = reinterpret_cast<char*>(static_cast<uintptr_t>(value));
  std::string out = p != nullptr ? p : "";
  rt::FreeMem(p);
  return out;
}
std::string TakeBytes(int64_t value) {
  void* p = reinterpret_cast<void*>(static_cast<uintptr_t>(value));
  rt::ByteSetView v = rt::ViewByteSet(p);
  std::string out(reinterpret_cast<const char*>(v.data), v.size);
  rt::FreeMem(p);
  return out;
}

class PropertiesTest : public EngineTest {
 protected:
  void LoadOne() {
    TestForm form(1);
    form.AddUnit(2, kProbeType, 10, 20, 30, 40);
    form.AddUnit(3, kProbeType, 0, 0, 20, 20).tag = "kept";
    form.AddMenuItem(10, 0, "File");
    form.AddMenuItem(11, 1, "Open");
    form.AddMenuItem(12, 1, "Exit");
    ReadForms({form});
    ASSERT_TRUE(Load(form.WindowId()));
  }
  static constexpr UnitId W = WindowIdOf(1);
  static constexpr UnitId U = UnitIdOf(2);
  forms::UnitRecordView Record(UnitId unit) {
    forms::FormTemplate& t = Template(W);
    return t.Unit(*t.FindUnit(unit));
  }
};

TEST_F(PropertiesTest, PositionsAndSizesAreClampedAndWrittenBack) {
  LoadOne();
  const struct {
    int32_t index;
    int32_t value;
    int32_t expected;
  } kCases[] = {
      {0, 40000, 32627}, {0, -40000, -32627}, {0, 15, 15}, {1, 32628, 32627},
      {1, -7, -7},       {2, 40000, 32627},   {2, -5, 0},  {2, 25, 25},
      {3, -1, 0},        {3, 99999, 32627},   {3, 45, 45},
  };
  for (const auto& c : kCases) {
    SetUnitProperty(W, U, c.index, -1, static_cast<uint32_t>(c.value), 0);
    EXPECT_EQ(GetUnitProperty(W, U, c.index, -1), c.expected) << c.index << " = " << c.value;
    const int32_t stored[] = {Record(U).Left(), Record(U).Top(), Record(U).Width(),
                              Record(U).Height()};
    EXPECT_EQ(stored[c.index], c.expected) << c.index << " = " << c.value;
  }
}

TEST_F(PropertiesTest, LiveWindowsAnswerFirstThenTheRecord) {
  LoadOne();
  HWND h = UnitHandle(W, U);
  SetWindowPos(h, nullptr, 0, 0, 77, 40, SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(h, SW_HIDE);
  EXPECT_EQ(GetUnitProperty(W, U, 2, -1), 77) << "hidden but created: the live width";
  EXPECT_EQ(GetUnitProperty(W, U, 5, -1), 0);
  EnableWindow(h, FALSE);
  EXPECT_EQ(GetUnitProperty(W, U, 6, -1), 1);
  DestroyWindow(h);
  EXPECT_EQ(GetUnitProperty(W, U, 2, -1), 30) << "no window: the stored width";
  EXPECT_EQ(GetUnitProperty(W, U, 5, -1), 1) << "the stored visible bit";
  EXPECT_EQ(GetUnitProperty(W, U, 6, -1), 0);
}

TEST_F(PropertiesTest, TagVisibleDisabledAndCursorGoIntoTheRecord) {
  LoadOne();
  const std::string tags[] = {"a much longer tag than before", "", "x"};
  for (const std::string& tag : tags) {
    SetPointer(W, U, 4, tag.empty() ? nullptr : tag.c_str());
    EXPECT_EQ(TakeText(GetUnitProperty(W, U, 4, -1)), tag);
    EXPECT_EQ(Record(U).Tag(), tag);
    EXPECT_EQ(Record(UnitIdOf(3)).Tag(), "kept") << "the records behind it follow";
  }
  SetUnitProperty(W, U, 5, -1, 0, 0);
  SetUnitProperty(W, U, 6, -1, 1, 0);
  EXPECT_FALSE(Record(U).Visible());
  EXPECT_TRUE(Record(U).Disabled());
  EXPECT_FALSE(IsWindowVisible(UnitHandle(W, U)));
  EXPECT_FALSE(IsWindowEnabled(UnitHandle(W, U)));

  const uint8_t cross[] = {1, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0};  // byte set: standard cursor 2
  SetPointer(W, U, 7, cross);
  EXPECT_EQ(TakeBytes(GetUnitProperty(W, U, 7, -1)), std::string("\x02\0\0\0", 4));
  forms::FormTemplate& t = Template(W);
  EXPECT_NE(t.Runtime(*t.FindUnit(U)).cursor, nullptr);
}

TEST_F(PropertiesTest, MenuItemsChangeTheirRecordsAndTheMenuBar) {
  LoadOne();
  HWND window = WindowHandle(W);
  HMENU before = GetMenu(window);
  ASSERT_NE(before, nullptr);
  const UnitId open = MenuIdOf(11);

  std::string same = "Open";
  SetPointer(W, open, 0, same.c_str());
  EXPECT_EQ(GetMenu(window), before) << "the same caption rebuilds nothing";

  std::string renamed = "Open...";
  SetPointer(W, open, 0, renamed.c_str());
  HMENU after = GetMenu(window);
  EXPECT_NE(after, before);
  char text[32] = {};
  GetMenuStringA(GetSubMenu(after, 0), 20001, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Open...");
  EXPECT_EQ(TakeText(GetUnitProperty(W, open, 0, -1)), renamed);

  SetUnitProperty(W, open, 1, -1, 1, 0);
  EXPECT_EQ(GetMenuState(GetMenu(window), 20001, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  SetUnitProperty(W, open, 2, -1, 1, 0);
  EXPECT_NE(GetMenuState(GetMenu(window), 20001, MF_BYCOMMAND) & MF_GRAYED, 0u);
  SetUnitProperty(W, open, 3, -1, 0, 0);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(window), 0)), 1) << "hidden items are left out";
  const int64_t expected[] = {0, 1, 1, 0};
  for (int32_t i = 1; i < 4; ++i) EXPECT_EQ(GetUnitProperty(W, open, i, -1), expected[i]) << i;
}

TEST_F(PropertiesTest, FontsAreSetWholeOrOneAspectAtATime) {
  LoadOne();
  auto font = [&] {
    std::string bytes = TakeBytes(GetUnitProperty(W, U, kProbeFont, -1));
    LOGFONTA f{};
    EXPECT_EQ(bytes.size(), sizeof f);
    std::memcpy(&f, bytes.data(), std::min(bytes.size(), sizeof f));
    return f;
  };
  EXPECT_EQ(GetUnitProperty(W, U, kProbeFont, -1), 0) << "the unit has no font to give";
  SetUnitProperty(W, U, kProbeFont, forms::kFontSize, 20, 0);
  LOGFONTA fallback = font();
  EXPECT_STREQ(fallback.lfFaceName, forms::DefaultGuiFont().lfFaceName)
      << "an aspect of no font changes the default interface font";
  EXPECT_EQ(GetUnitProperty(W, U, kProbeFont, forms::kFontSize), 20);

  forms::FontRecord record{-10, 1, 1, 0, 1, 12, "Carlito"};
  SetPointer(W, U, kProbeFont, &record);
  LOGFONTA whole = font();
  EXPECT_STREQ(whole.lfFaceName, "Carlito");
  EXPECT_EQ(whole.lfWeight, 700);
  EXPECT_EQ(whole.lfEscapement, 3590);
  EXPECT_EQ(GetUnitProperty(W, U, kProbeFont, forms::kFontSize), 12);

  SetUnitProperty(W, U, kProbeFont, forms::kFontSize, 20, 0);
  LOGFONTA sized = font();
  EXPECT_EQ(GetUnitProperty(W, U, kProbeFont, forms::kFontSize), 20);
  EXPECT_NE(sized.lfHeight, whole.lfHeight);
  sized.lfHeight = whole.lfHeight;
  EXPECT_EQ(std::memcmp(&sized, &whole, sizeof sized), 0) << "nothing else changed";

  const struct {
    int32_t aspect;
    uint32_t value;
    const char* face;
    std::function<bool(const LOGFONTA&)> holds;
  } kAspects[] = {
      {forms::kFontAngle, static_cast<uint32_t>(-3610), nullptr,
       [](const LOGFONTA& f) { return f.lfEscapement == 3590 && f.lfOrientation == 3590; }},
      {forms::kFontBold, 0, nullptr, [](const LOGFONTA& f) { return f.lfWeight == 0; }},
      {forms::kFontItalic, 0, nullptr, [](const LOGFONTA& f) { return f.lfItalic == 0; }},
      {forms::kFontUnderline, 5, nullptr, [](const LOGFONTA& f) { return f.lfUnderline == 1; }},
      {forms::kFontStrikeOut, 0, nullptr, [](const LOGFONTA& f) { return f.lfStrikeOut == 0; }},
      {forms::kFontFace, 0, "AR PL UMing",
       [](const LOGFONTA& f) { return std::strcmp(f.lfFaceName, "AR PL UMing") == 0; }},
      {forms::kFontFace, 0, "0123456789012345678901234567890123",
       [](const LOGFONTA& f) { return testing_gbk::Utf8(f.lfFaceName) == "宋体"; }},
  };
  for (const auto& c : kAspects) {
    if (c.face != nullptr) {
      SetPointer(W, U, kProbeFont, c.face, c.aspect);
    } else {
      SetUnitProperty(W, U, kProbeFont, c.aspect, c.value, 0);
    }
    EXPECT_TRUE(c.holds(font())) << "aspect " << c.aspect;
  }
}

TEST_F(PropertiesTest, TypePropertiesConvertByTheirDeclaredType) {
  LoadOne();
  std::string caption = "Go";
  SetPointer(W, U, kProbeCaption, caption.c_str());
  EXPECT_EQ(TakeText(GetUnitProperty(W, U, kProbeCaption, -1)), "Go");
  SetPointer(W, U, kProbeCaption, nullptr);
  EXPECT_EQ(GetUnitProperty(W, U, kProbeCaption, -1), 0) << "the empty text reads as null";
  SetUnitProperty(W, U, kProbeDefault, -1, 7, 0);
  EXPECT_EQ(GetUnitProperty(W, U, kProbeDefault, -1), 1) << "a logical becomes 0 or 1";
  EXPECT_EQ(GetUnitProperty(W, U, 30, -1), 0) << "an index the type does not know";
}

int32_t PrintError(int32_t, const char* message) {
  std::fprintf(stderr, "error: %s\n", testing_gbk::Utf8(message).c_str());
  return 1;
}

TEST_F(PropertiesTest, AccessToAbsentWindowsIsARuntimeError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  LoadOne();
  EXPECT_EXIT(
      {
        rt::SetErrorIntercept(PrintError);
        GetUnitProperty(WindowIdOf(9), 0, 0, -1);
      },
      ::testing::ExitedWithCode(255), "error: 未载入欲访问窗口组件所在的窗口\n");
  EXPECT_EXIT(
      {
        rt::SetErrorIntercept(PrintError);
        DestroyWindow(UnitHandle(W, U));
        SetUnitProperty(W, U, kProbeCaption, -1, 0, 0);
      },
      ::testing::ExitedWithCode(255), "error: 指定窗口尚未载入\n");
}

}  // namespace
}  // namespace formtest
