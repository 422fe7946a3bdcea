// Raising events: which handler a unit's event reaches (shared events, duplicate bindings,
// menu items), how arguments become words, results, suppression, and the lookup failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "forms/RuntimeLink.h"
#include "forms/events/EventRouting.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowLoader.h"
#include "runtime/RuntimeState.h"
#include "runtime/errors/RuntimeError.h"
#include "runtime/values/TypeCode.h"
#include "tests/common/Gbk.h"
#include "tests/forms/engine/FormsTestSupport.h"

namespace formtest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct Raised {
  bool called = false;
  forms::EventRecord record;
};

Raised Raise(UnitId window, UnitId unit, int32_t event, std::initializer_list<uint32_t> args = {}) {
  Raised out;
  out.record.windowId = window;
  out.record.unitId = unit;
  out.record.event = event;
  for (uint32_t a : args) out.record.arguments[out.record.argumentCount++] = a;
  out.called = forms::RaiseWordEvent(&out.record) != 0;
  return out;
}

class EventRoutingTest : public EngineTest {};

TEST_F(EventRoutingTest, EachUnitReachesTheHandlerItsBindingsOrSharedBindingsName) {
  TestForm form(1);
  form.AddUnit(2, kProbeType, 0, 0, 9, 9).bindings = {{-1, Offset(1)}};
  form.AddUnit(3, kProbeType, 0, 0, 9, 9).sharedEvents = UnitIdOf(2);
  form.AddUnit(4, kProbeType, 0, 0, 9, 9).sharedEvents = UnitIdOf(3);
  auto& otherType = form.AddUnit(5, kPagedProbeType, 0, 0, 9, 9);
  otherType.sharedEvents = UnitIdOf(2);
  otherType.bindings = {{-1, Offset(5)}};
  form.AddUnit(6, kProbeType, 0, 0, 9, 9).sharedEvents = UnitIdOf(77);
  form.AddUnit(7, kProbeType, 0, 0, 9, 9).bindings = {{-1, Offset(7)}, {-1, Offset(8)}};
  form.AddUnit(8, kProbeType, 0, 0, 9, 9).bindings = {{-1, -1}, {-1, Offset(9)}};
  form.AddUnit(9, kProbeType, 0, 0, 9, 9).bindings = {{-2, Offset(0)}};
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));

  const struct {
    uint32_t serial;
    int32_t event;
    const char* expected;  // nullptr: no handler
  } kCases[] = {
      {2, -1, "handler 1 (3,4) src u2"},
      {3, -1, "handler 1 (3,4) src u3"},  // shares unit 2's bindings
      {4, -1, "handler 1 (3,4) src u4"},  // through unit 3 to unit 2
      {5, -1, "handler 5 (3,4) src u5"},  // another type: its own bindings
      {6, -1, nullptr},                   // shares a unit that does not exist
      {7, -1, "handler 7 (3,4) src u7"},  // two bindings: the first counts
      {8, -1, nullptr},                   // the first binding is unbound
      {9, -2, "handler 0 (3,4) src u9"},  // offset 0 is the first handler
      {9, -1, nullptr},
  };
  for (const auto& c : kCases) {
    Journal().clear();
    Raised r = Raise(form.WindowId(), UnitIdOf(c.serial), c.event, {3, 4});
    EXPECT_EQ(r.called, c.expected != nullptr) << "unit " << c.serial;
    if (c.expected != nullptr) {
      EXPECT_THAT(Lines({"handler"}), ElementsAre(c.expected)) << "unit " << c.serial;
    } else {
      EXPECT_TRUE(Lines({"handler"}).empty()) << "unit " << c.serial;
    }
  }
}

TEST_F(EventRoutingTest, ResultsAreHandedBackOnlyWhenReturned) {
  TestForm form(1);
  form.Window().bindings = {{10, Offset(2)}, {11, Offset(3)}};
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));
  ScriptResult(2, 65);

  Raised returned = Raise(form.WindowId(), 0, 10);
  EXPECT_TRUE(returned.called);
  EXPECT_EQ(returned.record.resultPresent, 1u);
  EXPECT_EQ(returned.record.result, 65u);

  Raised nothing = Raise(form.WindowId(), form.OwnUnit(), 11);
  EXPECT_TRUE(nothing.called);
  EXPECT_EQ(nothing.record.resultPresent, 0u);

  uint32_t source[2] = {};
  EXPECT_FALSE(rt::CurrentEventSource(source)) << "no handler runs now";
}

TEST_F(EventRoutingTest, SuppressedEventsReachNoHandler) {
  TestForm form(1);
  form.Window().bindings = {{10, Offset(2)}};
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));
  Journal().clear();
  forms::link::SuppressEvents();
  EXPECT_FALSE(Raise(form.WindowId(), 0, 10).called);
  forms::link::AllowEvents();
  EXPECT_TRUE(Raise(form.WindowId(), 0, 10).called);
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 2 () src w"));
}

TEST_F(EventRoutingTest, TypedArgumentsBecomeWordsByKindAndFlags) {
  int32_t variable = 0;
  const auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&variable));
  double half = 0.5;
  uint64_t halfBits;
  std::memcpy(&halfBits, &half, sizeof half);
  const struct {
    forms::TypedArgument argument;
    std::vector<uint32_t> words;
  } kCases[] = {
      {{0xFFFFFF80, rt::kTypeByte, 0}, {0x80}},
      {{0xFFFE, rt::kTypeShort, 0}, {0xFFFFFFFE}},
      {{0x12345678, rt::kTypeInt, 0}, {0x12345678}},
      {{1, rt::kTypeBool, 0}, {1}},
      {{halfBits, rt::kTypeDouble, 0},
       {static_cast<uint32_t>(halfBits), static_cast<uint32_t>(halfBits >> 32)}},
      {{0x0000000200000001, rt::kTypeLong, 0}, {1, 2}},
      {{0x0000000400000003, rt::kTypeDateTime, 0}, {3, 4}},
      {{0x0000000600000005, rt::kTypeMenu, 0}, {5, 6}},
      {{0x0000000800000007, rt::kTypeInt, forms::kArgumentTwoWords}, {7, 8}},
      {{address, rt::kTypeInt | rt::kByRefFlag, forms::kArgumentByReference},
       {static_cast<uint32_t>(address), static_cast<uint32_t>(address >> 32)}},
  };
  forms::TypedEventRecord all;
  std::vector<uint32_t> expected;
  for (const auto& c : kCases) {
    forms::TypedEventRecord one;
    one.argumentCount = 1;
    one.arguments[0] = c.argument;
    EXPECT_EQ(forms::TypedArgumentWords(one), c.words) << "type " << std::hex << c.argument.type;
    all.arguments[all.argumentCount++] = c.argument;
    expected.insert(expected.end(), c.words.begin(), c.words.end());
  }
  EXPECT_EQ(forms::TypedArgumentWords(all), expected) << "argument 1 first";
}

TEST_F(EventRoutingTest, TypedEventsStoreTheWholeResult) {
  TestForm form(1);
  form.AddUnit(2, kProbeType, 0, 0, 9, 9).bindings = {{0, Offset(4)}};
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));
  ScriptResult(4, 0x1122334455667788ull);
  forms::TypedEventRecord record;
  record.windowId = form.WindowId();
  record.unitId = UnitIdOf(2);
  record.argumentCount = 2;
  record.arguments[0] = {7, rt::kTypeShort, 0};
  record.arguments[1] = {0xFF, rt::kTypeByte, 0};
  EXPECT_EQ(forms::RaiseTypedEvent(&record), 1);
  EXPECT_EQ(record.resultPresent, 1u);
  EXPECT_EQ(record.result, 0x1122334455667788ull);
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 4 (7,255) src u2"));
}

TEST_F(EventRoutingTest, MenuCommandsReachTheirItemsHandlers) {
  TestForm form(1);
  form.AddUnit(2, kProbeType, 0, 0, 9, 9);
  form.AddMenuItem(10, 0, "File");
  form.AddMenuItem(11, 1, "Open").handlerOffset = Offset(4);
  form.AddMenuItem(12, 1, "-");
  form.AddMenuItem(13, 1, "Exit").handlerOffset = Offset(6);
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));
  HWND window = WindowHandle(form.WindowId());

  const struct {
    UINT command;
    const char* expected;
  } kCases[] = {
      {20001, "handler 4 () src m11"},
      {20003, "handler 6 () src m13"},
      {20000, nullptr},  // the popup carries no handler
      {20004, nullptr},  // beyond the items
      {57600, nullptr},  // the system's
  };
  for (const auto& c : kCases) {
    Journal().clear();
    SendMessageA(window, WM_COMMAND, c.command, 0);
    if (c.expected != nullptr) {
      EXPECT_THAT(Lines({"handler"}), ElementsAre(c.expected)) << c.command;
    } else {
      EXPECT_TRUE(Lines({"handler"}).empty()) << c.command;
    }
  }
}

// Lookup failures end the program with the runtime error's message (exit code 255); the
// intercept prints it instead of showing a message box.
int32_t PrintError(int32_t, const char* message) {
  std::fprintf(stderr, "error: %s\n", testing_gbk::Utf8(message).c_str());
  return 1;
}

TEST_F(EventRoutingTest, LookupFailuresAreRuntimeErrors) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TestForm form(1), closed(2);
  form.AddUnit(2, kObjectType, 0, 0, 9, 9).bindings = {{0, Offset(1)}};
  ReadForms({form, closed});
  const struct {
    UnitId window;
    UnitId unit;
    const char* message;
  } kCases[] = {
      {closed.WindowId(), 0, "未找到引发事件的窗口"},
      {form.WindowId(), UnitIdOf(42), "未找到引发事件的窗口组件"},
      {form.WindowId(), UnitIdOf(2), "引发事件的窗口组件无效"},
  };
  for (const auto& c : kCases) {
    EXPECT_EXIT(
        {
          rt::SetErrorIntercept(PrintError);
          forms::BuildWindow(Template(form.WindowId()), nullptr, false);
          Raise(c.window, c.unit, 0);
        },
        ::testing::ExitedWithCode(255), std::string("error: ") + c.message + "\n");
  }
}

}  // namespace
}  // namespace formtest
