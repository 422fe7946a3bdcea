// DLL-command binding: where each kind of declaration is looked for (watched through a loader
// that records and forwards to the platform's), what stays cached, what a missing module or
// export and a mismatched declaration do to the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ModuleExports.h"
#include "platform/kernel/BuiltinExports.h"
#include "platform/kernel32.h"
#include "platform/wingdi.h"
#include "runtime/RuntimeState.h"
#include "runtime/dll/DllBinding.h"
#include "runtime/dll/DllCommand.h"
#include "tests/common/TempFolder.h"

namespace rt {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAreArray;
using ::testing::ExitedWithCode;
using ::testing::HasSubstr;
using ::testing::Not;

struct LoaderLog {
  std::vector<std::string> loads;
  std::vector<HMODULE> loaded;
  std::vector<HMODULE> freed;
  int finds = 0;
  bool echo = false;  // inside death tests the log can only be read from stderr
};
LoaderLog g_log;

HMODULE RecordLoad(LPCSTR name) {
  g_log.loads.push_back(name);
  if (g_log.echo) std::fprintf(stderr, "LOAD#%zu %s\n", g_log.loads.size(), name);
  HMODULE h = LoadLibraryA(name);
  if (h != nullptr) g_log.loaded.push_back(h);
  return h;
}
FARPROC RecordFind(HMODULE module, LPCSTR name) {
  ++g_log.finds;
  return GetProcAddress(module, name);
}
BOOL RecordFree(HMODULE module) {
  g_log.freed.push_back(module);
  if (g_log.echo) std::fputs("FREE\n", stderr);
  return FreeLibrary(module);
}

// A built-in export whose call is visible: tests put it in Mpr, which the program leaves
// empty.
int ProbeThree(int a, int b, int c) {
  std::fputs("PROBE CALLED\n", stderr);
  return a * 100 + b * 10 + c;
}

// Declarations of ProbeThree that do not match it.
using TwoIntegers = DllCommand<int(int, int), int32_t, int32_t>;
using WideFirst = DllCommand<int(int, int, int), int64_t, int32_t, int32_t>;

class DllBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    g_log = {};
    SetDllModuleLoader({RecordLoad, RecordFind, RecordFree});
    const platform::ModuleExport probe = platform::MakeExport("ProbeThree", &ProbeThree);
    platform::RegisterModuleExports(platform::BuiltinModule::Mpr, &probe, 1);
    // Folders that do not exist: nothing is found there, and a death test's child, which
    // runs the set-up again, names the same ones.
    runDirectory_ = testing_temp::Folder() + "/velmora-absent-run";
    programDirectory_ = testing_temp::Folder() + "/velmora-absent-program/";
  }
  void TearDown() override {
    EndProgram(0);
    SetDllModuleLoader({});
    InitRuntime(nullptr);
  }

  // Starts a program whose DLL-command table holds these (module, function) pairs.
  void Start(std::vector<std::pair<std::string, std::string>> commands) {
    commands_ = std::move(commands);
    modules_.clear();
    functions_.clear();
    for (const auto& [module, function] : commands_) {
      modules_.push_back(module.c_str());
      functions_.push_back(function.c_str());
    }
    header_ = {};
    header_.dllCommandCount = static_cast<uint32_t>(commands_.size());
    header_.dllModuleNames = modules_.data();
    header_.dllFunctionNames = functions_.data();
    InitRuntime(&header_);
    Runtime().runDirectory = runDirectory_;
    Runtime().programDirectory = programDirectory_;
  }

  std::string runDirectory_;
  std::string programDirectory_;
  std::vector<std::pair<std::string, std::string>> commands_;
  std::vector<const char*> modules_;
  std::vector<const char*> functions_;
  ImageHeader header_{};
};

FARPROC Platform(const char* module, const char* function) {
  return GetProcAddress(GetModuleHandleA(module), function);
}

TEST_F(DllBindingTest, LooksInTheDocumentedOrderAndKeepsOnlyTheModuleItFoundIn) {
  struct Case {
    std::string module;
    std::string function;
    std::vector<std::string> loads;  // "{R}" the run directory, "{P}" the program directory
    const char* foundIn;
  };
  const Case cases[] = {
      {"", "MultiByteToWideChar", {"Kernel32.dll"}, "kernel32"},
      {"", "GetPixel", {"Kernel32.dll", "Gdi32.dll"}, "gdi32"},
      {"", "GetInputState", {"Kernel32.dll", "Gdi32.dll", "User32.dll"}, "user32"},
      {"",
       "ShellExecuteA",
       {"Kernel32.dll", "Gdi32.dll", "User32.dll", "Advapi32.dll", "Mpr.dll", "Shell32.dll"},
       "shell32"},
      // Beside the program first, then the system search finds the built-in module.
      {"user32", "GetDC", {"{R}\\user32", "{P}user32", "user32"}, "user32"},
      {"gdi32.dll", "DeleteDC", {"{R}\\gdi32.dll", "{P}gdi32.dll", "gdi32.dll"}, "gdi32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module + " " + c.function);
    Start({{c.module, c.function}});
    g_log = {};
    EXPECT_EQ(BindDllCommand(0), Platform(c.foundIn, c.function.c_str()));

    std::vector<std::string> expected;
    for (std::string load : c.loads) {
      if (load.rfind("{R}", 0) == 0) load = runDirectory_ + load.substr(3);
      if (load.rfind("{P}", 0) == 0) load = programDirectory_ + load.substr(3);
      expected.push_back(load);
    }
    EXPECT_THAT(g_log.loads, ElementsAreArray(expected));
    // Every module but the last one loaded was given back; the last is kept for the index.
    ASSERT_FALSE(g_log.loaded.empty());
    EXPECT_THAT(g_log.freed, ElementsAreArray(std::vector<HMODULE>(g_log.loaded.begin(),
                                                                   g_log.loaded.end() - 1)));
    EXPECT_EQ(Runtime().dllCommands.modules[0], g_log.loaded.back());
    EndProgram(0);
  }
}

TEST_F(DllBindingTest, EachIndexBindsOnceAndKeepsItsOwnModuleUntilTheEnd) {
  Start({{"user32", "GetDC"}, {"user32.dll", "GetDC"}, {"", "GetPixel"}});
  const FARPROC first = BindDllCommand(0);
  const FARPROC second = BindDllCommand(1);
  EXPECT_EQ(first, Platform("user32", "GetDC"));
  EXPECT_EQ(second, first);
  CallDllCommand(2, 12);
  const std::vector<HMODULE> kept = {Runtime().dllCommands.modules[0],
                                     Runtime().dllCommands.modules[1],
                                     Runtime().dllCommands.modules[2]};

  const size_t loads = g_log.loads.size();
  const int finds = g_log.finds;
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(BindDllCommand(0), first);
    EXPECT_EQ(CallDllCommand(1, 4), first);
    EXPECT_EQ(CallDllCommand(2, 12), Platform("gdi32", "GetPixel"));
  }
  EXPECT_EQ(g_log.loads.size(), loads);
  EXPECT_EQ(g_log.finds, finds);

  g_log.freed.clear();
  EndProgram(0);
  EXPECT_THAT(g_log.freed, ElementsAreArray(kept));
  EXPECT_TRUE(Runtime().dllCommands.functions.empty());
}

TEST_F(DllBindingTest, OrdinalsAreTheDigitsAfterTheHashModulo65536) {
  // Kernel32 numbers its exports in name order from 1; the reference is the table itself.
  WORD ordinal = 0;
  for (const platform::ModuleExport& e : platform::kernel::KernelExports()) {
    if (std::string(e.name) == "GetTickCount") ordinal = e.ordinal;
  }
  ASSERT_NE(ordinal, 0);
  const FARPROC expected = Platform("kernel32", "GetTickCount");
  const std::string spellings[] = {"#" + std::to_string(ordinal),
                                   "#" + std::to_string(ordinal + 65536),
                                   "#" + std::to_string(ordinal + 3 * 65536) + "x"};
  for (const std::string& name : spellings) {
    SCOPED_TRACE(name);
    Start({{"kernel32", name}, {"", name}});
    EXPECT_EQ(BindDllCommand(0), expected);
    EXPECT_EQ(BindDllCommand(1), expected);
    EndProgram(0);
  }
}

TEST_F(DllBindingTest, TypedCallConvertsHandlesAndReturnsTheIntegerResult) {
  Start({{"mpr", "ProbeThree"}, {"", "GetPixel"}, {"", "CreateCompatibleDC"}, {"", "DeleteDC"}});
  const DllCommand<decltype(ProbeThree), int32_t, int32_t, int32_t> probe{0};
  EXPECT_EQ(probe(1, 2, 3), 123);

  // A real device context travels through the application's 32-bit integer and back.
  const DllCommand<decltype(::CreateCompatibleDC), int32_t> createDc{2};
  const DllCommand<decltype(::GetPixel), int32_t, int32_t, int32_t> getPixel{1};
  const DllCommand<decltype(::DeleteDC), int32_t> deleteDc{3};
  const int32_t dc = createDc(0);
  ASSERT_NE(dc, 0);
  // A fresh memory DC holds a 1x1 black bitmap: inside black, outside the invalid colour.
  EXPECT_EQ(getPixel(dc, 0, 0), 0);
  EXPECT_EQ(getPixel(dc, 1, 0), -1);
  EXPECT_EQ(deleteDc(dc), TRUE);
}

TEST_F(DllBindingTest, MismatchedDeclarationRaisesErrorSixWithoutCalling) {
  // Declared with two integers against an export that takes three, and with a 64-bit first
  // argument: either would leave the stack unbalanced in the program's own convention.
  EXPECT_EXIT(
      {
        Start({{"mpr", "ProbeThree"}});
        const TwoIntegers shortOne{0};
        shortOne(1, 2);
      },
      ExitedWithCode(255),
      AllOf(HasSubstr("错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误"),
            Not(HasSubstr("PROBE CALLED"))));
  EXPECT_EXIT(
      {
        Start({{"mpr", "ProbeThree"}});
        const WideFirst wideOne{0};
        wideOne(1, 2, 3);
      },
      ExitedWithCode(255), AllOf(HasSubstr("错误代码：6"), Not(HasSubstr("PROBE CALLED"))));
}

TEST_F(DllBindingTest, MissingModuleOrExportEndsTheProgramNamingThem) {
  struct Case {
    std::string module;
    std::string function;
    std::string message;
    std::vector<std::string> events;  // modules asked for in order, "FREE" where one went back
  };
  const Case cases[] = {
      {"VelmoraMissing.dll",
       "Nowhere",
       "无法找到指定DLL库文件“VelmoraMissing.dll”中的输出命令“Nowhere”",
       {runDirectory_ + "\\VelmoraMissing.dll", programDirectory_ + "VelmoraMissing.dll",
        "VelmoraMissing.dll"}},
      {"",
       "NoSuchExport",
       "无法找到指定DLL库文件中的输出命令“NoSuchExport”",
       {"Kernel32.dll", "FREE", "Gdi32.dll", "FREE", "User32.dll", "FREE", "Advapi32.dll", "FREE",
        "Mpr.dll", "FREE", "Shell32.dll", "FREE"}},
      // A module found without the export is given back before the program ends.
      {"user32",
       "#0",
       "无法找到指定DLL库文件“user32”中的输出命令“#0”",
       {runDirectory_ + "\\user32", programDirectory_ + "user32", "user32", "FREE"}},
      // A name with ":" is loaded under that name only.
      {"C:\\nowhere\\lib.dll",
       "F",
       "无法找到指定DLL库文件“C:\\nowhere\\lib.dll”中的输出命令“F”",
       {"C:\\nowhere\\lib.dll"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module + " " + c.function);
    std::string events;
    size_t loads = 0;
    for (const std::string& event : c.events) {
      events += event == "FREE" ? "FREE\n" : "LOAD#" + std::to_string(++loads) + " " + event + "\n";
    }
    EXPECT_EXIT(
        {
          Start({{c.module, c.function}});
          g_log.echo = true;
          BindDllCommand(0);
          std::fputs("BOUND\n", stderr);
        },
        ExitedWithCode(255),
        AllOf(HasSubstr("运行时出错!\r\n\r\n错误信息：" + c.message + "\r\n"), HasSubstr(events),
              Not(HasSubstr("LOAD#" + std::to_string(loads + 1))), Not(HasSubstr("BOUND"))));
  }
}

TEST_F(DllBindingTest, AnIndexOutsideTheTableEndsTheProgramInsteadOfReadingPastIt) {
  for (int32_t index : {1, -1}) {
    EXPECT_EXIT(
        {
          Start({{"", "GetPixel"}});
          CallDllCommand(index, 12);
          std::fputs("CALLED\n", stderr);
        },
        ExitedWithCode(255),
        AllOf(HasSubstr("错误信息：无法找到指定DLL库文件中的输出命令“”"),
              Not(HasSubstr("CALLED"))));
  }
}

}  // namespace
}  // namespace rt
