// The common dialog unit: what its file dialogs are given (flags, the filter rules and the
// first filter, title, folder, extension and name), what the dialog then shows, what a
// confirmed or cancelled dialog leaves in its properties, the font dialog's round trip and
// the help kinds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "forms/units/commondlg/CommonDlgUnit.h"
#include "forms/units/window/WindowUnit.h"
#include "libraries/ProgramLibraries.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/calls/CommandCall.h"
#include "tests/forms/units/UnitsTestSupport.h"

namespace formtest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
namespace pt = platform::testing;

constexpr uint32_t kDialog = 2;
// "BMP文件", "JPG文件"
#define BMP_FILES "BMP\xCE\xC4\xBC\xFE"
#define JPG_FILES "JPG\xCE\xC4\xBC\xFE"
// "亅", whose second byte is a bar.
#define BAR_TRAIL "\x81\x7C"

std::string Nul(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = c == '~' ? '\0' : c;
  return out;
}

TEST(DialogFilterTest, BarsBecomeTheDialogsSeparatorsAndTheListEndsTwice) {
  const struct {
    const char* filter;
    int32_t first;
    std::string expected;  // '~' stands for NUL
    DWORD index;
  } kCases[] = {
      {BMP_FILES "|*.bmp|" JPG_FILES "|*.jpg", 1, Nul(BMP_FILES "~*.bmp~" JPG_FILES "~*.jpg~~"), 2},
      {BMP_FILES "|*.bmp|" JPG_FILES "|*.jpg||", 0, Nul(BMP_FILES "~*.bmp~" JPG_FILES "~*.jpg~~"),
       1},  // already ended: unchanged
      {"Pictures|*.bmp;*.jpg;*.gif", -5, Nul("Pictures~*.bmp;*.jpg;*.gif~~"), 1},
      {"A|*.a|", 0, Nul("A~*.a~~~"), 1},  // one bar is no ending
      {"", 3, "", 0},                     // no filter: all files, index 0
      {BAR_TRAIL "|*.x", 0, Nul(BAR_TRAIL "~*.x~~"), 1},
      {"A|" BAR_TRAIL, 0, Nul("A~" BAR_TRAIL "~~"), 1},  // its bar byte ends nothing
      {"A|*.a", 0x7FFFFFFF, Nul("A~*.a~~"), 0x80000000u},
  };
  for (const auto& c : kCases) {
    forms::TypeBlock p = DefaultBlock(forms::kTypeCommonDlg);
    p.SetText(forms::kDialogFilter, c.filter);
    p.SetWord(forms::kDialogFilterIndex, static_cast<uint32_t>(c.first));
    forms::FileDialogSetup s = forms::MakeFileDialogSetup(p);
    EXPECT_EQ(s.filter, c.expected) << c.filter;
    EXPECT_EQ(s.filterIndex, c.index) << c.filter;
  }
}

TEST(DialogFilterTest, FlagsCarryEverySwitchOverHideReadOnly) {
  for (uint32_t i = 0; i < 5; ++i) {
    forms::TypeBlock p = DefaultBlock(forms::kTypeCommonDlg);
    p.SetWord(forms::kDialogCreatePrompt + i, 1);
    const DWORD kFlags[] = {OFN_CREATEPROMPT, OFN_FILEMUSTEXIST, OFN_OVERWRITEPROMPT,
                            OFN_PATHMUSTEXIST, OFN_NOCHANGEDIR};
    EXPECT_EQ(forms::MakeFileDialogSetup(p).flags, OFN_HIDEREADONLY | kFlags[i]) << i;
  }
}

class CommonDlgTest : public UnitsTest {
 protected:
  void SetUp() override {
    UnitsTest::SetUp();
    pt::ClearDialogScripts();
    pt::TakeFileDialogLog();
    pt::TakeFontDialogLog();
    folder_ =
        std::filesystem::temp_directory_path() / ("velmora-dlg-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    LoadForm([](TestForm& form) {
      AddTypedUnit(form, kDialog, DefaultBlock(forms::kTypeCommonDlg), {0, 0, 32, 32});
    });
  }
  void TearDown() override {
    pt::ClearDialogDriver();
    pt::ClearDialogScripts();
    UnitsTest::TearDown();
    std::filesystem::remove_all(folder_);
  }
  bool Open() { return forms::OpenCommonDialog(Object(kDialog)); }

  std::filesystem::path folder_;
};

// The entries of the dialog's file-type list and the one selected, read from the dialog
// while it is up (it is cancelled once the reader returns).
struct ShownFilters {
  std::vector<std::string> entries;
  int selected = -2;
};

ShownFilters ReadShownFilters(HWND dialog) {
  ShownFilters shown;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) != "COMBOBOX") continue;
    const auto count = SendMessageA(c, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char text[256] = {};
      SendMessageA(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      shown.entries.emplace_back(text);
    }
    shown.selected = static_cast<int>(SendMessageA(c, CB_GETCURSEL, 0, 0));
  }
  return shown;
}

TEST_F(CommonDlgTest, TheDialogShowsTheFilterEntriesWithTheFirstFilterSelected) {
  const struct {
    const char* filter;
    int32_t first;
    std::vector<std::string> entries;
    int selected;
  } kCases[] = {
      {BMP_FILES "|*.bmp|" JPG_FILES "|*.jpg", 1, {BMP_FILES, JPG_FILES}, 1},
      {BMP_FILES "|*.bmp|" JPG_FILES "|*.jpg||", 0, {BMP_FILES, JPG_FILES}, 0},
      {BMP_FILES "|*.bmp|" JPG_FILES "|*.jpg", -1, {BMP_FILES, JPG_FILES}, 0},
      {"Pictures|*.bmp;*.jpg", 0, {"Pictures"}, 0},
      {BAR_TRAIL "|*.x|B|*.b", 1, {BAR_TRAIL, "B"}, 1},
      {"", 0, {}, -1},
  };
  for (const auto& c : kCases) {
    SetText(kDialog, forms::kDialogFilter, c.filter);
    SetWord(kDialog, forms::kDialogFilterIndex, c.first);
    ShownFilters shown;
    pt::SetDialogDriver([&](HWND dialog) { shown = ReadShownFilters(dialog); });
    EXPECT_FALSE(Open()) << c.filter;
    EXPECT_THAT(shown.entries, ElementsAreArray(c.entries)) << c.filter;
    EXPECT_EQ(shown.selected, c.selected) << c.filter;
  }
}

TEST_F(CommonDlgTest, OnlyAConfirmedFileDialogChangesTheFileName) {
  const std::string folder = folder_.string();
  SetWord(kDialog, forms::kDialogKind, 1);
  SetText(kDialog, forms::kDialogTitle, "Save the photo");
  SetText(kDialog, forms::kDialogFolder, folder);
  SetText(kDialog, forms::kDialogDefaultExt, "jpg");
  SetText(kDialog, forms::kDialogFileName, "first");
  SetWord(kDialog, forms::kDialogCreatePrompt + 2, 1);  // ask before overwriting

  pt::ScriptFileDialogAnswer("picked");
  EXPECT_TRUE(Open());
  EXPECT_EQ(GetText(kDialog, forms::kDialogFileName), folder + "/picked.jpg");
  auto log = pt::TakeFileDialogLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(log[0].save);
  EXPECT_EQ(log[0].titleUtf8, "Save the photo");
  EXPECT_EQ(log[0].folderUtf8, folder);
  EXPECT_EQ(log[0].flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);

  pt::ScriptFileDialogCancel();
  EXPECT_FALSE(Open());
  EXPECT_EQ(GetText(kDialog, forms::kDialogFileName), folder + "/picked.jpg");

  // The same through the core library's command, as the program calls it.
  const rt::LibraryDescriptor* core = libs::CoreLibrary();
  const rt::CommandRoutine* end = core->commands + core->commandCount;
  ASSERT_NE(std::find(core->commands, end, &forms::OpenDialogCommand), end);
  const rt::ArgRecord unit = rt::Arg::Unit(W, U(kDialog), forms::kTypeCommonDlg);
  pt::ScriptFileDialogAnswer("second");
  EXPECT_EQ(rt::Call(forms::OpenDialogCommand, {unit}).Low(), 1u);
  EXPECT_EQ(GetText(kDialog, forms::kDialogFileName), folder + "/second.jpg");
  pt::ScriptFileDialogCancel();
  EXPECT_EQ(rt::Call(forms::OpenDialogCommand, {unit}).Low(), 0u);
  EXPECT_EQ(GetText(kDialog, forms::kDialogFileName), folder + "/second.jpg");
  pt::TakeFileDialogLog();

  // An open dialog without title gets the system's; kinds above 3 show nothing at all.
  SetWord(kDialog, forms::kDialogKind, 0);
  SetText(kDialog, forms::kDialogTitle, "");
  pt::ScriptFileDialogCancel();
  EXPECT_FALSE(Open());
  log = pt::TakeFileDialogLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_FALSE(log[0].save);
  EXPECT_FALSE(log[0].titleUtf8.empty());
  SetWord(kDialog, forms::kDialogKind, 4);
  EXPECT_FALSE(Open());
  EXPECT_TRUE(pt::TakeFileDialogLog().empty());
}

TEST_F(CommonDlgTest, FontDialogStartsFromThePropertiesAndWritesBackOnlyOnOk) {
  forms::TypeBlock p = DefaultBlock(forms::kTypeCommonDlg);
  p.SetWord(forms::kDialogBold, 1);
  p.SetWord(forms::kDialogUnderline, 1);
  p.SetText(forms::kDialogFaceName, "Carlito");
  p.SetWord(forms::kDialogFontSize, 12);
  LOGFONTA start = forms::InitialDialogFont(p, 96);
  EXPECT_EQ(start.lfWeight, FW_BOLD);
  EXPECT_EQ(start.lfUnderline, 1);
  EXPECT_EQ(start.lfItalic, 0);
  EXPECT_EQ(start.lfHeight, -16);  // 12 points at 96 dots an inch
  EXPECT_STREQ(start.lfFaceName, "Carlito");

  SetWord(kDialog, forms::kDialogKind, 2);
  LOGFONTA chosen{};
  chosen.lfHeight = -24;
  chosen.lfWeight = FW_BOLD;
  chosen.lfItalic = 1;
  chosen.lfStrikeOut = 1;
  std::strcpy(chosen.lfFaceName, "\xBF\xAC\xCC\xE5");  // 楷体
  pt::ScriptFontDialogAnswer(chosen, RGB(10, 20, 30));
  EXPECT_TRUE(Open());
  EXPECT_EQ(GetWord(kDialog, forms::kDialogFontColor), static_cast<int32_t>(RGB(10, 20, 30)));
  EXPECT_EQ(GetWord(kDialog, forms::kDialogBold), 1);
  EXPECT_EQ(GetWord(kDialog, forms::kDialogItalic), 1);
  EXPECT_EQ(GetWord(kDialog, forms::kDialogStrikeOut), 1);
  EXPECT_EQ(GetWord(kDialog, forms::kDialogUnderline), 0);
  EXPECT_EQ(GetText(kDialog, forms::kDialogFaceName), "\xBF\xAC\xCC\xE5");
  EXPECT_EQ(GetWord(kDialog, forms::kDialogFontSize), 18);  // 24 pixels at 96 dots an inch

  pt::ScriptFontDialogCancel();
  EXPECT_FALSE(Open());
  EXPECT_EQ(GetText(kDialog, forms::kDialogFaceName), "\xBF\xAC\xCC\xE5");
  EXPECT_EQ(GetWord(kDialog, forms::kDialogFontSize), 18);
}

TEST_F(CommonDlgTest, HelpCommandsAreRecordedWhenTheFileExists) {
  const std::string file = (folder_ / "guide.hlp").string();
  std::ofstream(file) << "help";
  const std::string missing = (folder_ / "missing.hlp").string();
  const struct {
    int32_t command;
    int32_t context;
    const std::string* helpFile;
    bool result;
    UINT recorded;  // 0: nothing recorded
  } kCases[] = {
      {0, 0, &file, true, 11},    {3, 0, &file, true, 9},     {1, 7, &file, true, 1},
      {1, 0, &file, true, 11},    {2, 7, &file, true, 8},     {2, 0, &file, true, 11},
      {0, 0, &missing, false, 0}, {1, 7, &missing, false, 0}, {4, 0, &missing, true, 4},
      {5, 0, &missing, true, 2},  {6, 0, &file, false, 0},
  };
  SetWord(kDialog, forms::kDialogKind, 3);
  for (const auto& c : kCases) {
    SetWord(kDialog, forms::kDialogHelpCommand, c.command);
    SetWord(kDialog, forms::kDialogHelpContext, c.context);
    SetText(kDialog, forms::kDialogHelpFile, *c.helpFile);
    EXPECT_EQ(Open(), c.result) << c.command << " " << *c.helpFile;
    auto requests = forms::TakeHelpRequests();
    if (c.recorded == 0) {
      EXPECT_TRUE(requests.empty()) << c.command;
      continue;
    }
    ASSERT_EQ(requests.size(), 1u) << c.command;
    EXPECT_EQ(requests[0].command, c.recorded) << c.command;
    EXPECT_EQ(requests[0].window, Window());
  }

  // A viewer opened for the window is quit with it.
  SetWord(kDialog, forms::kDialogHelpCommand, 0);
  SetText(kDialog, forms::kDialogHelpFile, file);
  ASSERT_TRUE(Open());
  forms::TakeHelpRequests();
  DestroyWindow(Window());
  auto requests = forms::TakeHelpRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].command, 2u);
}

}  // namespace
}  // namespace formtest
