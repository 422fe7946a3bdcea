// Notify services the runtime answers itself: the default icon, data-type descriptors by
// code, window objects and their flag table, the event source, handler offsets, and the
// codes handed on to the forms engine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/user32.h"
#include "platform/wingdi.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/image/HandlerTable.h"
#include "runtime/program/DefaultIcon.h"

namespace rt {
namespace {

class RuntimeServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRuntime(nullptr);
    InstallFormsHooks({});
  }
  void TearDown() override {
    InstallFormsHooks({});
    InitRuntime(nullptr);
  }
};

TEST_F(RuntimeServicesTest, DefaultIconIsMadeOnceInTwoSizes) {
  HICON large = nullptr;
  HICON small = nullptr;
  RuntimeNotify(1000, reinterpret_cast<intptr_t>(&large), reinterpret_cast<intptr_t>(&small));
  ASSERT_NE(large, nullptr);
  ASSERT_NE(small, nullptr);
  HICON again = nullptr;
  RuntimeNotify(1000, reinterpret_cast<intptr_t>(&again), 0);
  EXPECT_EQ(again, large);

  for (auto [icon, side] : {std::pair{large, 32}, std::pair{small, 16}}) {
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    ASSERT_NE(GetObjectA(info.hbmColor, sizeof bitmap, &bitmap), 0);
    EXPECT_EQ(bitmap.bmWidth, side);
    EXPECT_EQ(bitmap.bmHeight, side);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  DestroyDefaultIcons();
}

// Two libraries: the first with three types, the second with one.
const DataTypeDescriptor kFirstTypes[3] = {
    {"w", "Window", nullptr, kTypeStateWindowed, 0, nullptr, 0, 0, nullptr},
    {"o", "Object", nullptr, 0, 0, nullptr, 0, 0, nullptr},
    {"m", "Menu", nullptr, kTypeStateMenu | kTypeStateWindowed, 0, nullptr, 0, 0, nullptr},
};
const DataTypeDescriptor kSecondTypes[1] = {
    {"b", "Box", nullptr, kTypeStateWindowed | kTypeStateNonVisual, 0, nullptr, 0, 0, nullptr},
};

TEST_F(RuntimeServicesTest, DataTypesByCodeThroughTheLibraryTable) {
  LibraryDescriptor first{};
  first.dataTypeCount = 3;
  first.dataTypes = kFirstTypes;
  LibraryDescriptor second{};
  second.dataTypeCount = 1;
  second.dataTypes = kSecondTypes;
  const LibraryDescriptor* libraries[] = {&first, nullptr, &second};
  ImageHeader header{};
  header.libraryCount = 3;
  header.libraries = libraries;
  InitRuntime(&header);

  struct Case {
    uint32_t code;
    const DataTypeDescriptor* descriptor;
    intptr_t flags;  // notify 2029
  };
  const Case cases[] = {
      {0x00010001, &kFirstTypes[0], 1},  {0x00010002, &kFirstTypes[1], 0},
      {0x00010003, &kFirstTypes[2], 2},  {0x00010004, nullptr, 0},
      {0x00010000, nullptr, 0},          {0x00020001, nullptr, 0},
      {0x00030001, &kSecondTypes[0], 1}, {0x00040001, nullptr, 0},
      {0x80000301, nullptr, 0},          {0, nullptr, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RuntimeNotify(1002, c.code, 0), reinterpret_cast<intptr_t>(c.descriptor))
        << std::hex << c.code;
    EXPECT_EQ(RuntimeNotify(2029, c.code, 0), c.flags) << std::hex << c.code;
  }
}

TEST_F(RuntimeServicesTest, WindowObjectsWrapDetachAndAttach) {
  HWND a = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const intptr_t first = RuntimeNotify(1007, reinterpret_cast<intptr_t>(a), 0);
  const intptr_t second = RuntimeNotify(1007, 0, 0);
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  EXPECT_EQ(RuntimeNotify(1010, first, 0), reinterpret_cast<intptr_t>(a));
  // a is wrapped already; b is free.
  EXPECT_EQ(RuntimeNotify(1011, second, reinterpret_cast<intptr_t>(a)), 0);
  EXPECT_EQ(RuntimeNotify(1011, second, reinterpret_cast<intptr_t>(b)), 1);
  EXPECT_EQ(RuntimeNotify(1009, first, 0), reinterpret_cast<intptr_t>(a));
  EXPECT_EQ(RuntimeNotify(1010, first, 0), 0);
  // Detached, a can be wrapped again.
  EXPECT_EQ(RuntimeNotify(1011, first, reinterpret_cast<intptr_t>(a)), 1);
  RuntimeNotify(1008, first, 0);
  // A deleted or foreign object is recognised, never followed.
  EXPECT_EQ(RuntimeNotify(1010, first, 0), 0);
  int notAnObject = 0;
  EXPECT_EQ(RuntimeNotify(1010, reinterpret_cast<intptr_t>(&notAnObject), 0), 0);
  RuntimeNotify(1008, reinterpret_cast<intptr_t>(&notAnObject), 0);

  // Flag table: add once, look up, remove; 2014 destroys our objects' windows.
  int foreign = 0;
  EXPECT_EQ(RuntimeNotify(2011, second, 0), -1);
  RuntimeNotify(2012, second, 5);
  RuntimeNotify(2012, second, 6);
  RuntimeNotify(2012, reinterpret_cast<intptr_t>(&foreign), 1);
  EXPECT_EQ(RuntimeNotify(2011, second, 0), 5);
  EXPECT_EQ(RuntimeNotify(2013, reinterpret_cast<intptr_t>(&foreign), 0), 1);
  EXPECT_EQ(RuntimeNotify(2013, reinterpret_cast<intptr_t>(&foreign), 0), 0);
  RuntimeNotify(2012, reinterpret_cast<intptr_t>(&foreign), 1);
  RuntimeNotify(2014, 0, 0);
  EXPECT_FALSE(IsWindow(b));
  EXPECT_TRUE(IsWindow(a));
  EXPECT_EQ(RuntimeNotify(2011, second, 0), -1);
  EXPECT_EQ(RuntimeNotify(2011, reinterpret_cast<intptr_t>(&foreign), 0), -1);
  EXPECT_EQ(RuntimeNotify(1010, second, 0), 0);
  DestroyWindow(a);
}

TEST_F(RuntimeServicesTest, EventSourceIsReadableOnlyWhileAHandlerRuns) {
  uint32_t ids[2] = {7, 7};
  SetCurrentEventSource(0x52000001, 0x12000002);
  EXPECT_EQ(RuntimeNotify(2017, reinterpret_cast<intptr_t>(ids), 0), 0);
  EXPECT_EQ(ids[0], 7u);
  SetHandlerRunning(true);
  EXPECT_EQ(RuntimeNotify(2017, reinterpret_cast<intptr_t>(ids), 0), 1);
  EXPECT_EQ(ids[0], 0x52000001u);
  EXPECT_EQ(ids[1], 0x12000002u);
  SetHandlerRunning(false);
  EXPECT_EQ(RuntimeNotify(2017, reinterpret_cast<intptr_t>(ids), 0), 0);
}

HandlerResult Returns(const uint32_t*, int32_t) {
  return {true, 3};
}
HandlerResult ReturnsNothing(const uint32_t*, int32_t) {
  return {};
}

TEST_F(RuntimeServicesTest, HandlerOffsetsNameTableEntriesAndMinusOneIsNone) {
  const HandlerEntry table[] = {{Returns}, {ReturnsNothing}};
  EXPECT_EQ(ResolveHandler(table, HandlerOffset(0)), &Returns);
  EXPECT_EQ(ResolveHandler(table, HandlerOffset(1)), &ReturnsNothing);
  EXPECT_EQ(ResolveHandler(table, -1), nullptr);
  EXPECT_EQ(ResolveHandler(nullptr, 0), nullptr);
}

TEST_F(RuntimeServicesTest, FormsCodesAreHandedOnAndAnswerZeroWithoutTheEngine) {
  const int32_t forwarded[] = {1001, 1014, 2005, 2006, 2007, 2008, 2022,
                               2031, 2032, 2033, 2037, 2038, 2039, 2040};
  for (int32_t code : forwarded) EXPECT_EQ(RuntimeNotify(code, 1, 2), 0) << code;

  FormsHooks hooks;
  hooks.notify = [](int32_t code, intptr_t arg1, intptr_t arg2, bool* handled) -> intptr_t {
    *handled = true;
    return code * 100 + arg1 * 10 + arg2;
  };
  InstallFormsHooks(hooks);
  for (int32_t code : forwarded) EXPECT_EQ(RuntimeNotify(code, 1, 2), code * 100 + 12) << code;
  // Codes the runtime answers itself never reach the engine.
  EXPECT_EQ(RuntimeNotify(1004, 1, 2), 1);
  EXPECT_EQ(RuntimeNotify(2002, 1, 2), 0);
}

}  // namespace
}  // namespace rt
