// The drawing functions in the built-in modules: split between Gdi32 and User32 as on
// Windows, each listed once.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/gdi/GdiExports.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "platform/wingdi.h"

namespace {

// Each name once across both tables: a second entry would silently replace the first.
// (ExportArgumentBytesTest checks the tables against the header's declarations.)
TEST(GdiExportsTest, EveryExportIsListedOnce) {
  std::set<std::string> names;
  for (const auto* table : {&platform::gdi::GdiExports(), &platform::gdi::GdiUserExports()}) {
    for (const platform::ModuleExport& e : *table) {
      EXPECT_TRUE(names.insert(e.name).second) << "exported twice: " << e.name;
    }
  }
}

TEST(GdiExportsTest, ModulesSplitAsOnWindowsAndGdiOrdinalsFollowNameOrder) {
  const auto& gdi = platform::gdi::GdiExports();
  const auto& user = platform::gdi::GdiUserExports();
  auto has = [](const std::vector<platform::ModuleExport>& table, const std::string& name) {
    for (const auto& e : table) {
      if (name == e.name) return true;
    }
    return false;
  };
  EXPECT_TRUE(has(gdi, "BitBlt"));
  EXPECT_TRUE(has(gdi, "GetDIBits"));
  EXPECT_TRUE(has(user, "FillRect"));
  EXPECT_TRUE(has(user, "GetSysColor"));
  EXPECT_TRUE(has(user, "DrawTextA"));
  EXPECT_FALSE(has(gdi, "FillRect"));
  for (size_t i = 0; i < gdi.size(); ++i) {
    EXPECT_EQ(gdi[i].ordinal, i + 1);
    if (i > 0) {
      EXPECT_LT(std::string(gdi[i - 1].name), std::string(gdi[i].name));
    }
  }
  EXPECT_EQ(platform::gdi::GdiExports().front().address, platform::ExportAddress(&BitBlt));
}

}  // namespace

// What a declared DLL command finds when it binds by name at run time.
TEST(GdiExportsTest, BuiltinModulesHandOutTheDrawingFunctions) {
  HMODULE gdi = LoadLibraryA("gdi32.dll");
  HMODULE user = LoadLibraryA("USER32");
  ASSERT_NE(gdi, nullptr);
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(GetProcAddress(gdi, "BitBlt"), platform::ExportAddress(&BitBlt));
  EXPECT_EQ(GetProcAddress(gdi, "GetPixel"), platform::ExportAddress(&GetPixel));
  EXPECT_EQ(GetProcAddress(user, "FillRect"), platform::ExportAddress(&FillRect));
  EXPECT_EQ(GetProcAddress(user, "MessageBoxA"), platform::ExportAddress(&MessageBoxA));
  EXPECT_EQ(GetProcAddress(gdi, "FillRect"), nullptr);  // a User32 function
  DWORD bytes = 0;
  ASSERT_TRUE(platform::LookupExportArgumentBytes(GetProcAddress(gdi, "BitBlt"), &bytes));
  EXPECT_EQ(bytes, 36u);
  FreeLibrary(gdi);
  FreeLibrary(user);
}
