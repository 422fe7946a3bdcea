// A program that uses the platform only through its API, never naming an export table,
// still finds every layer's exports: the static libraries must not leave the registrars
// out of the link. (The platform tests name the tables, which would hide that fault.)
#include <gtest/gtest.h>

#include "platform/ModuleExports.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

namespace {

TEST(BuiltinModulesLink, EveryLayerHasRegisteredItsExports) {
  struct Case {
    const char* module;
    const char* name;
    FARPROC expected;
  };
  const Case cases[] = {
      {"kernel32", "GetTickCount", platform::ExportAddress(&GetTickCount)},
      {"gdi32", "BitBlt", platform::ExportAddress(&BitBlt)},
      {"user32", "FillRect", platform::ExportAddress(&FillRect)},
      {"user32", "CreateWindowExA", platform::ExportAddress(&CreateWindowExA)},
      {"user32", "MessageBoxA", platform::ExportAddress(&MessageBoxA)},
      {"shell32", "ShellExecuteA", platform::ExportAddress(&ShellExecuteA)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.module) + "!" + c.name);
    HMODULE module = GetModuleHandleA(c.module);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, c.name), c.expected);
  }
}

}  // namespace
