// The argument bytes of every built-in export, against a count made independently from the
// declarations in the API headers: one word per argument, two for a POINT or SIZE passed by
// value. The tables take theirs from the functions' types, so this also catches a header
// and a table drifting apart, and a function someone forgot to export.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "platform/ModuleExports.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

namespace {

// Function name -> argument bytes, read from a header's declarations.
std::map<std::string, DWORD> DeclaredFunctions(const std::string& header) {
  std::ifstream in(std::filesystem::path(VELMORA_SOURCE_DIR) / "platform" / header);
  std::stringstream text;
  text << in.rdbuf();
  std::string source = std::regex_replace(text.str(), std::regex("//[^\n]*"), "");
  std::map<std::string, DWORD> declared;
  // A declaration: a return type, a name and an argument list, ended by ';', at line start.
  std::regex declaration(
      R"((?:^|\n)(?:const )?(?:int|void|[A-Z][A-Za-z_0-9]*)\*?\s+([A-Za-z0-9_]+)\(([^;{}()]*)\);)");
  std::regex pair(R"(^\s*(POINT|SIZE)\s+\w+\s*$)");
  for (auto it = std::sregex_iterator(source.begin(), source.end(), declaration);
       it != std::sregex_iterator(); ++it) {
    std::string arguments = (*it)[2];
    DWORD bytes = 0;
    if (arguments.find_first_not_of(" \n") != std::string::npos && arguments != "void") {
      std::stringstream list(arguments);
      std::string argument;
      while (std::getline(list, argument, ',')) bytes += std::regex_search(argument, pair) ? 8 : 4;
    }
    declared[(*it)[1]] = bytes;
  }
  return declared;
}

TEST(ExportArgumentBytes, EveryDeclaredFunctionIsExportedOnceWithWhatA32BitCallerPushes) {
  struct Header {
    const char* file;
    size_t atLeast;  // declarations the parse must find, so that a broken parse fails
  };
  const Header headers[] = {
      {"kernel32.h", 40},      {"wingdi.h", 100}, {"user32.h", 100}, {"winuser_lists.h", 5},
      {"winuser_menus.h", 20}, {"commctrl.h", 1}, {"commdlg.h", 10}, {"ThemeApi.h", 1},
  };
  const char* const modules[] = {"kernel32", "user32", "gdi32", "advapi32", "mpr", "shell32"};
  // The common controls and common dialogs live in modules that are not built in.
  const std::set<std::string> notBuiltIn = {"InitCommonControls", "InitCommonControlsEx",
                                            "ChooseFontA",        "CommDlgExtendedError",
                                            "GetOpenFileNameA",   "GetSaveFileNameA"};
  for (const Header& header : headers) {
    SCOPED_TRACE(header.file);
    const std::map<std::string, DWORD> declared = DeclaredFunctions(header.file);
    EXPECT_GE(declared.size(), header.atLeast);
    for (const auto& [name, bytes] : declared) {
      std::set<FARPROC> found;
      for (const char* module : modules) {
        if (FARPROC address = GetProcAddress(GetModuleHandleA(module), name.c_str()))
          found.insert(address);
      }
      if (found.size() != (notBuiltIn.count(name) ? 0u : 1u)) {
        ADD_FAILURE() << name << " is exported by " << found.size() << " modules";
      }
      if (found.size() != 1) continue;
      DWORD exported = 0;
      ASSERT_TRUE(platform::LookupExportArgumentBytes(*found.begin(), &exported)) << name;
      EXPECT_EQ(exported, bytes) << name;
    }
  }
}

// The rules for argument types the headers do not use yet, as a 32-bit caller pushes them.
long long TakesLongLong(long long, int) {
  return 0;
}
double TakesDouble(double, float) {
  return 0;
}
enum class Colour { Red };
void TakesEnumAndWords(Colour, WPARAM, LPARAM, SIZE_T, const RECT*, RECT&) {}
void TakesStructures(POINT, SIZE, RECT) {}
int TakesNothing() {
  return 0;
}

TEST(ExportArgumentBytes, ArgumentTypesCountAsOnA32BitStack) {
  EXPECT_EQ(platform::ArgumentBytes(&TakesLongLong), 12u);
  EXPECT_EQ(platform::ArgumentBytes(&TakesDouble), 12u);
  // Pointer-size integers are one word on a 32-bit stack, though two here.
  EXPECT_EQ(platform::ArgumentBytes(&TakesEnumAndWords), 24u);
  EXPECT_EQ(platform::ArgumentBytes(&TakesStructures), 32u);
  EXPECT_EQ(platform::ArgumentBytes(&TakesNothing), 0u);
  platform::ModuleExport e = platform::MakeExport("TakesStructures", &TakesStructures);
  EXPECT_EQ(e.address, platform::ExportAddress(&TakesStructures));
  EXPECT_EQ(e.argumentBytes, 32u);
  EXPECT_EQ(e.ordinal, 0);
}

}  // namespace
