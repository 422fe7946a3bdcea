// The program's life from start to exit: the order of start-up and end, the end of the loop
// when the last window goes, the exit codes, and an end requested from another thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/kernel32.h"
#include "platform/user32.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/image/HandlerTable.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/runtime/FakeForms.h"

namespace rt {
namespace {

using ::testing::ExitedWithCode;
using ::testing::HasSubstr;
using testing::Log;
using ::testing::Not;

template <int N>
intptr_t LoggingLibraryNotify(int32_t code, intptr_t arg1, intptr_t) {
  if (code == 1) {
    Log().push_back("library " + std::to_string(N) + " start" +
                    (arg1 == reinterpret_cast<intptr_t>(&RuntimeNotify) ? "" : " without notify"));
  }
  if (code == 6) Log().push_back("library " + std::to_string(N) + " end");
  return 0;
}

const LibraryDescriptor kLibraryOne = [] {
  LibraryDescriptor d{};
  d.notify = LoggingLibraryNotify<1>;
  return d;
}();
const LibraryDescriptor kLibraryTwo = [] {
  LibraryDescriptor d{};
  d.notify = LoggingLibraryNotify<2>;
  return d;
}();
// A library without a notify routine is kept but never called.
const LibraryDescriptor kSilentLibrary{};
const LibraryDescriptor* const kLibraries[] = {&kLibraryOne, &kSilentLibrary, &kLibraryTwo};

const uint8_t kConstants[16] = {1, 2, 3};
const uint8_t kFormData[4] = {};
const char* const kModules[] = {"user32", "gdi32"};
const char* const kFunctions[] = {"GetDC", "BitBlt"};
const HandlerEntry kHandlers[1] = {};

ImageHeader TestHeader() {
  ImageHeader h{};
  h.runMode = 3;
  h.secondMode = 0;
  h.lastIdNumber = 92626;
  h.codeBase = kHandlers;
  h.constantData = kConstants;
  h.constantDataSize = sizeof kConstants;
  h.formData = kFormData;
  h.formDataSize = sizeof kFormData;
  h.libraryCount = 3;
  h.libraries = kLibraries;
  h.dllCommandCount = 2;
  h.dllModuleNames = kModules;
  h.dllFunctionNames = kFunctions;
  return h;
}

void LoggingEndRoutine() {
  Log().push_back("end routine");
  std::fputs("END-ROUTINE\n", stderr);
}

// What the application's entry routine does, with the runtime's services.
int EntryRoutine() {
  Services().auxDispatch(kAuxInitRuntime, 0, 0, 0, 0);
  Services().auxDispatch(kAuxSetEndRoutine, reinterpret_cast<intptr_t>(&LoggingEndRoutine), 0, 0,
                         0);
  Services().loadStartupWindow(7);
  // The user closes the start-up window at once.
  for (HWND window : testing::LoadedWindows()) PostMessageA(window, WM_CLOSE, 0, 0);
  Services().runMessageLoop();
  Log().push_back("loop returned");
  return 0;
}

class ProgramLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    InstallFormsHooks(testing::LoggingForms());
  }
  void TearDown() override {
    InstallFormsHooks({});
    InitRuntime(nullptr);
  }
};

TEST_F(ProgramLifecycleTest, StartAndEndHappenInOrder) {
  const ImageHeader header = TestHeader();
  EXPECT_EQ(RunProgram(header, EntryRoutine), 0);
  const std::vector<std::string> expected = {
      "library 1 start", "library 2 start",     "read form data 4", "load start-up window 7",
      "loop returned",   "destroy all windows", "end routine",      "library 1 end",
      "library 2 end",
  };
  EXPECT_EQ(Log(), expected);

  const RuntimeState& s = Runtime();
  EXPECT_TRUE(s.ending.load());
  EXPECT_EQ(s.messageWindow, nullptr);
  EXPECT_TRUE(s.libraries.empty());
  EXPECT_TRUE(s.dllCommands.moduleNames.empty());
  EXPECT_FALSE(IsConstant(kConstants));
  EXPECT_EQ(s.endRoutine, nullptr);
}

TEST_F(ProgramLifecycleTest, InitRuntimeTakesEverythingFromTheHeader) {
  const ImageHeader header = TestHeader();
  InitRuntime(&header);
  const RuntimeState& s = Runtime();
  EXPECT_EQ(s.runMode, 3u);
  EXPECT_EQ(s.idCounter, 92627u);
  EXPECT_EQ(NewId(), 92628u);
  EXPECT_EQ(NewId(), 92629u);
  EXPECT_EQ(s.mainThreadId, GetCurrentThreadId());
  EXPECT_TRUE(IsWindow(s.messageWindow));
  EXPECT_FALSE(IsWindowVisible(s.messageWindow));
  EXPECT_EQ(GetWindowLongA(s.messageWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW,
            static_cast<LONG>(WS_EX_TOOLWINDOW));
  EXPECT_TRUE(IsConstant(kConstants + 15));
  EXPECT_FALSE(IsConstant(kConstants + 16));
  EXPECT_EQ(s.dllCommands.moduleNames, (std::vector<std::string>{"user32", "gdi32"}));
  EXPECT_EQ(s.dllCommands.functionNames, (std::vector<std::string>{"GetDC", "BitBlt"}));
  EXPECT_EQ(s.dllCommands.modules, (std::vector<HMODULE>{nullptr, nullptr}));
  EXPECT_EQ(s.dllCommands.functions, (std::vector<FARPROC>{nullptr, nullptr}));
  EXPECT_EQ(s.libraries.size(), 3u);
  EXPECT_EQ(s.libraryWords, (std::vector<intptr_t>{0, 0, 0}));
  EXPECT_NE(s.hooks.first, nullptr);
  EXPECT_EQ(s.hooks.first(), 0);
  EXPECT_EQ(RuntimeNotify(2030, 0, 0), 3);
}

TEST_F(ProgramLifecycleTest, NoLiveWindowMeansTheLoopIsNotEntered) {
  InitRuntime(nullptr);
  // Would block for ever if the loop ran.
  RunMessageLoop();
  EXPECT_TRUE(Runtime().loopEntered);
}

TEST_F(ProgramLifecycleTest, ClosingAWindowWhileOthersLiveKeepsTheLoopGoing) {
  InitRuntime(nullptr);
  Runtime().loopEntered = true;
  HWND first = testing::CreateLoadedWindow();
  HWND second = testing::CreateLoadedWindow();
  DestroyWindow(first);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  DestroyWindow(second);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
}

// ---- Exit codes, seen from outside the process ----------------------------------------

int CountOf(const std::string& haystack, const std::string& needle) {
  int n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + 1)) {
    ++n;
  }
  return n;
}

class ProgramExitDeathTest : public ProgramLifecycleTest {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ProgramLifecycleTest::SetUp();
  }
};

TEST_F(ProgramExitDeathTest, ClosingTheLastWindowExitsWithZeroAndRunsTheEndRoutineOnce) {
  EXPECT_EXIT(
      {
        const ImageHeader header = TestHeader();
        std::exit(RunProgram(header, EntryRoutine));
      },
      ExitedWithCode(0),
      ::testing::Truly([](const std::string& err) { return CountOf(err, "END-ROUTINE") == 1; }));
}

TEST_F(ProgramExitDeathTest, StartupWindowThatCannotLoadIsARuntimeError) {
  EXPECT_EXIT(
      {
        FormsHooks hooks = testing::LoggingForms();
        hooks.loadStartupWindow = [](uint32_t) { return false; };
        InstallFormsHooks(hooks);
        const ImageHeader header = TestHeader();
        std::exit(RunProgram(header, EntryRoutine));
      },
      ExitedWithCode(255),
      ::testing::AllOf(HasSubstr("错误信息：载入启动窗口失败"), Not(HasSubstr("END-ROUTINE"))));
}

TEST_F(ProgramExitDeathTest, UnreadableFormDataIsARuntimeError) {
  EXPECT_EXIT(
      {
        FormsHooks hooks = testing::LoggingForms();
        hooks.readFormData = [](const void*, uint32_t, const void*) { return false; };
        InstallFormsHooks(hooks);
        const ImageHeader header = TestHeader();
        std::exit(RunProgram(header, EntryRoutine));
      },
      ExitedWithCode(255), HasSubstr("错误信息：载入窗口模板数据段出错!"));
}

void ReportThread() {
  std::fprintf(stderr, "END-ROUTINE on %s thread\n",
               GetCurrentThreadId() == Runtime().mainThreadId ? "the main" : "another");
}

TEST_F(ProgramExitDeathTest, EndFromAnotherThreadIsHandedToTheMainThread) {
  EXPECT_EXIT(
      {
        InitRuntime(nullptr);
        SetEndRoutine(ReportThread);
        std::thread([] { EndProgram(7); }).detach();
        MSG message;
        while (PumpMessage(&message)) {
        }
        std::fputs("the main loop ended without the end message\n", stderr);
        std::exit(1);
      },
      ExitedWithCode(7), HasSubstr("END-ROUTINE on the main thread"));
}

TEST_F(ProgramExitDeathTest, EndServiceEndsTheProcessWithItsCode) {
  EXPECT_EXIT(
      {
        InitRuntime(nullptr);
        SetEndRoutine(ReportThread);
        RuntimeNotify(2028, 3, 0);
      },
      ExitedWithCode(3), HasSubstr("END-ROUTINE on the main thread"));
}

}  // namespace
}  // namespace rt
