// What a program binding the window functions by name at run time finds in the built-in
// modules, with the argument sizes its stack check compares.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "platform/ModuleExports.h"
#include "platform/kernel32.h"
#include "platform/user/UserExports.h"
#include "platform/user32.h"

namespace {

DWORD BytesOf(FARPROC address) {
  DWORD bytes = 0;
  return platform::LookupExportArgumentBytes(address, &bytes) ? bytes : 0xFFFFFFFF;
}

TEST(WindowExportsTest, User32HandsOutTheWindowFunctionsWithTheirArgumentSizes) {
  HMODULE user = LoadLibraryA("user32.dll");
  HMODULE shell = LoadLibraryA("SHELL32");
  ASSERT_NE(user, nullptr);
  ASSERT_NE(shell, nullptr);
  EXPECT_EQ(GetProcAddress(user, "CreateWindowExA"), platform::ExportAddress(&CreateWindowExA));
  EXPECT_EQ(BytesOf(GetProcAddress(user, "CreateWindowExA")), 48u);
  EXPECT_EQ(BytesOf(GetProcAddress(user, "SetWindowPos")), 28u);
  // A POINT passed by value is two words.
  EXPECT_EQ(BytesOf(GetProcAddress(user, "WindowFromPoint")), 8u);
  EXPECT_EQ(BytesOf(GetProcAddress(user, "ChildWindowFromPointEx")), 16u);
  EXPECT_EQ(BytesOf(GetProcAddress(user, "GetDesktopWindow")), 0u);
  EXPECT_EQ(GetProcAddress(user, "DefWindowProcA"), platform::ExportAddress(&DefWindowProcA));
  EXPECT_EQ(GetProcAddress(user, "GetMessageA"), platform::ExportAddress(&GetMessageA));
  // Still there beside them: what other layers put into User32.
  EXPECT_EQ(GetProcAddress(user, "MessageBoxA"), platform::ExportAddress(&MessageBoxA));
  EXPECT_EQ(GetProcAddress(user, "FillRect"), platform::ExportAddress(&FillRect));
  // ShellExecuteA lives in Shell32.
  EXPECT_EQ(GetProcAddress(user, "ShellExecuteA"), nullptr);
  EXPECT_EQ(GetProcAddress(shell, "ShellExecuteA"), platform::ExportAddress(&ShellExecuteA));
  EXPECT_EQ(BytesOf(GetProcAddress(shell, "ShellExecuteA")), 24u);
  FreeLibrary(user);
  FreeLibrary(shell);
}

TEST(WindowExportsTest, EveryExportHasOneNameAndAnAddressItCanBeFoundBy) {
  HMODULE user = LoadLibraryA("user32");
  std::set<std::string> names;
  for (const platform::ModuleExport& e : platform::user::UserExports()) {
    SCOPED_TRACE(e.name);
    EXPECT_TRUE(names.insert(e.name).second);
    EXPECT_NE(e.address, nullptr);
    EXPECT_EQ(GetProcAddress(user, e.name), e.address);
    EXPECT_EQ(e.argumentBytes % 4, 0u);
  }
  EXPECT_GT(names.size(), 100u);
  FreeLibrary(user);
}

}  // namespace
