// The export tables against the declarations in wingdi.h: every declared function is
// exported once, by its name, with the argument bytes a 32-bit caller pushes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "platform/gdi/GdiExports.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "platform/wingdi.h"

namespace {

// Function name -> argument bytes, read from the header's declarations.
std::map<std::string, DWORD> DeclaredFunctions() {
  std::filesystem::path header = std::filesystem::path(VELMORA_SOURCE_DIR) / "platform/wingdi.h";
  std::ifstream in(header);
  std::stringstream text;
  text << in.rdbuf();
  std::string source = std::regex_replace(text.str(), std::regex("//[^\n]*"), "");
  std::map<std::string, DWORD> declared;
  // A declaration: a return type, a name and an argument list, ended by ';' at line start.
  std::regex declaration(R"((?:^|\n)(?:int|[A-Z][A-Za-z_]*\*?)\s+([A-Za-z0-9_]+)\(([^;{}()]*)\);)");
  for (auto it = std::sregex_iterator(source.begin(), source.end(), declaration);
       it != std::sregex_iterator(); ++it) {
    std::string arguments = (*it)[2];
    DWORD bytes = 0;
    if (arguments.find_first_not_of(" \n") != std::string::npos) {
      std::stringstream list(arguments);
      std::string argument;
      while (std::getline(list, argument, ',')) {
        // POINT and SIZE by value take two stack slots.
        bool pair = std::regex_search(argument, std::regex(R"(^\s*(POINT|SIZE)\s+\w+\s*$)"));
        bytes += pair ? 8 : 4;
      }
    }
    declared[(*it)[1]] = bytes;
  }
  return declared;
}

TEST(GdiExportsTest, EveryDeclaredFunctionIsExportedOnceWithItsArgumentBytes) {
  std::map<std::string, DWORD> declared = DeclaredFunctions();
  ASSERT_GT(declared.size(), 90u);  // the parse found the declarations
  std::map<std::string, DWORD> exported;
  for (const auto* table : {&platform::gdi::GdiExports(), &platform::gdi::GdiUserExports()}) {
    for (const platform::ModuleExport& e : *table) {
      EXPECT_NE(e.address, nullptr) << e.name;
      EXPECT_TRUE(exported.emplace(e.name, e.argumentBytes).second) << "exported twice: " << e.name;
    }
  }
  for (const auto& [name, bytes] : declared) {
    auto it = exported.find(name);
    if (it == exported.end()) {
      ADD_FAILURE() << "not exported: " << name;
      continue;
    }
    EXPECT_EQ(it->second, bytes) << name;
  }
  for (const auto& [name, bytes] : exported) EXPECT_TRUE(declared.count(name)) << "not declared: " << name;
  EXPECT_EQ(exported["PtInRect"], 12u);
  EXPECT_EQ(exported["StretchDIBits"], 52u);
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
  EXPECT_EQ(platform::gdi::GdiExports().front().address,
            platform::ExportAddress(&BitBlt));
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
