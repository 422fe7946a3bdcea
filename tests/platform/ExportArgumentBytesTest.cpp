// The argument bytes of every built-in export, against a count made independently from the
// declarations in the API headers: one word per argument, two for a POINT or SIZE passed by
// value. The tables take theirs from the functions' types, so this also catches a header
// and a table drifting apart, and a function someone forgot to export.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "platform/ModuleExports.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

namespace {

// Plain scanning rather than <regex>: optimised sanitizer builds of g++ 12 warn falsely
// inside <regex>, and these few rules read as easily without it.
bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string WithoutLineComments(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "//") == 0) {
      i = text.find('\n', i);
      if (i == std::string::npos) break;
    }
    out += text[i];
  }
  return out;
}

// A declaration that starts a line: an optional "const ", a return type (int, void or a
// capitalised type name, optionally a pointer), a name and an argument list without
// parentheses or braces, closed by ");". Gives the name and the argument list.
std::optional<std::pair<std::string, std::string>> DeclarationAt(const std::string& s, size_t p) {
  if (s.compare(p, 6, "const ") == 0) p += 6;
  size_t end = p;
  while (end < s.size() && IsWordChar(s[end])) ++end;
  const std::string type = s.substr(p, end - p);
  if (type != "int" && type != "void" && !(type.size() > 0 && type[0] >= 'A' && type[0] <= 'Z'))
    return std::nullopt;
  if (end < s.size() && s[end] == '*') ++end;
  size_t name = end;
  while (name < s.size() && IsSpace(s[name])) ++name;
  if (name == end) return std::nullopt;
  size_t open = name;
  while (open < s.size() && IsWordChar(s[open])) ++open;
  if (open == name || open >= s.size() || s[open] != '(') return std::nullopt;
  size_t close = s.find_first_of(";{}()", open + 1);
  if (close == std::string::npos || s[close] != ')' || s.compare(close, 2, ");") != 0)
    return std::nullopt;
  return std::make_pair(s.substr(name, open - name), s.substr(open + 1, close - open - 1));
}

// POINT and SIZE passed by value take two words.
bool IsPairArgument(const std::string& argument) {
  std::stringstream words(argument);
  std::string type, name, rest;
  words >> type >> name;
  if (!(words >> rest).fail()) return false;
  return (type == "POINT" || type == "SIZE") && !name.empty() &&
         std::all_of(name.begin(), name.end(), IsWordChar);
}

// Function name -> argument bytes, read from a header's declarations.
std::map<std::string, DWORD> DeclaredFunctions(const std::string& header) {
  std::ifstream in(std::filesystem::path(VELMORA_SOURCE_DIR) / "platform" / header);
  std::stringstream text;
  text << in.rdbuf();
  const std::string source = WithoutLineComments(text.str());
  std::map<std::string, DWORD> declared;
  for (size_t line = 0; line < source.size(); line = source.find('\n', line) + 1) {
    auto found = DeclarationAt(source, line);
    if (found) {
      const std::string& arguments = found->second;
      DWORD bytes = 0;
      if (arguments.find_first_not_of(" \n") != std::string::npos && arguments != "void") {
        std::stringstream list(arguments);
        std::string argument;
        while (std::getline(list, argument, ',')) bytes += IsPairArgument(argument) ? 8 : 4;
      }
      declared[found->first] = bytes;
    }
    if (source.find('\n', line) == std::string::npos) break;
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
