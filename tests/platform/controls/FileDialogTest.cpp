#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/controls/FileDialogModel.h"
#include "platform/kernel32.h"
#include "tests/platform/PlatformTestSupport.h"
#include "tests/platform/controls/DialogTestSupport.h"

namespace {

using namespace dialog_test;
using platform_test::TempDirectory;
using platform_test::WriteAll;

constexpr int kIdList = 1002;
constexpr int kIdName = 1003;

constexpr char kFilter[] = "Text\0*.txt\0Images\0*.jpg; *.PNG\0\0";

// A folder with a.txt, b.jpg, C.png, sub/c.jpg, a file whose name GBK cannot spell and one
// whose name is not UTF-8 at all.
class FileDialog : public DialogFixture {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    root_ = dir_.path();
    mkdir((root_ + "/sub").c_str(), 0777);
    WriteAll(root_ + "/a.txt", "a");
    WriteAll(root_ + "/b.jpg", "b");
    WriteAll(root_ + "/C.png", "c");
    WriteAll(root_ + "/sub/c.jpg", "c");
    WriteAll(root_ + "/\xF0\x9F\x98\x80.jpg", "emoji");
    WriteAll(root_ + "/bad\xFF.jpg", "bad");
    WriteAll(root_ + "/.hidden.jpg", "h");
    char cwd[4096];
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    savedCwd_ = cwd;
    std::memset(file_, 0, sizeof(file_));
    ofn_ = OPENFILENAMEA{};
    ofn_.lStructSize = sizeof(ofn_);
    ofn_.lpstrFile = file_;
    ofn_.nMaxFile = sizeof(file_);
    ofn_.lpstrFilter = kFilter;
    ofn_.nFilterIndex = 2;
    ofn_.lpstrInitialDir = root_.c_str();
    ofn_.Flags = OFN_HIDEREADONLY;
  }
  void TearDown() override {
    SetCurrentDirectoryA(savedCwd_.c_str());
    DialogFixture::TearDown();
  }

  // Runs the dialog with a driver; boxes raised inside are handed to `onBox`.
  BOOL Drive(bool save, const std::function<void(HWND)>& drive,
             const std::function<void(HWND)>& onBox = nullptr) {
    automation::SetDialogDriver([&](HWND dialog) {
      if (GetDlgItem(dialog, kIdList) != nullptr) {
        drive(dialog);
      } else if (onBox) {
        onBox(dialog);
      }
    });
    BOOL result = save ? GetSaveFileNameA(&ofn_) : GetOpenFileNameA(&ofn_);
    automation::ClearDialogDriver();
    return result;
  }

  static void DoubleClickItem(HWND list, int index) {
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &p);
    automation::DoubleClick(p);
  }
  static void ClickItem(HWND list, int index) {
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    automation::ClickInWindow(list,
                              POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
  }
  static int IndexOf(HWND list, const std::string& text) {
    auto items = ListItems(list);
    auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
  }

  TempDirectory dir_;
  std::string root_;
  std::string savedCwd_;
  char file_[MAX_PATH];
  OPENFILENAMEA ofn_{};
};

TEST_F(FileDialog, NavigatesIntoAFolderByDoubleClickAndPicksAFile) {
  std::vector<std::string> shown, inSub;
  std::string lookIn;
  BOOL ok = Drive(false, [&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "\xB4\xF2\xBF\xAA") << "the default title";
    HWND list = GetDlgItem(dialog, kIdList);
    shown = ListItems(list);
    DoubleClickItem(list, IndexOf(list, "[sub]"));
    automation::PumpDialogMessages();
    inSub = ListItems(list);
    lookIn = TextOf(GetDlgItem(dialog, 1001));
    ClickItem(list, IndexOf(list, "c.jpg"));
    automation::PumpDialogMessages();
    EXPECT_EQ(TextOf(GetDlgItem(dialog, kIdName)), "c.jpg") << "choosing a file names it";
    automation::PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ok) << CommDlgExtendedError();
  EXPECT_EQ(shown, (std::vector<std::string>{"[..]", "[sub]", "b.jpg", "C.png"}))
      << "folders first, then the files of the second filter; hidden files and names GBK "
         "cannot spell are not listed";
  EXPECT_EQ(inSub, (std::vector<std::string>{"[..]", "c.jpg"}));
  EXPECT_EQ(lookIn, root_ + "/sub");
  std::string expected = root_ + "/sub/c.jpg";
  EXPECT_STREQ(file_, expected.c_str());
  EXPECT_EQ(ofn_.nFileOffset, expected.size() - 5);
  EXPECT_EQ(ofn_.nFileExtension, expected.size() - 3);
  EXPECT_EQ(ofn_.nFilterIndex, 2u);
  char cwd[4096];
  GetCurrentDirectoryA(sizeof(cwd), cwd);
  EXPECT_EQ(std::string(cwd), root_ + "/sub") << "the current folder follows the choice";
  auto log = automation::TakeFileDialogLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(log[0].confirmed);
  EXPECT_EQ(log[0].pathUtf8, expected);
}

TEST_F(FileDialog, SwitchingTheFilterOrTypingAWildcardChangesTheList) {
  std::vector<std::string> images, text, typed;
  ofn_.Flags |= OFN_NOCHANGEDIR;
  BOOL ok = Drive(false, [&](HWND dialog) {
    HWND list = GetDlgItem(dialog, kIdList);
    images = ListItems(list);
    AltKey('T');  // the file type box
    automation::PressKey(VK_UP);
    automation::PumpDialogMessages();
    text = ListItems(list);
    AltKey('N');
    automation::TypeUtf8("*.png;*.txt");
    automation::PressKey(VK_RETURN);
    automation::PumpDialogMessages();
    typed = ListItems(list);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "a wildcard does not confirm the dialog";
    AltKey('N');
    automation::TypeUtf8("a.txt");
    automation::PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ok);
  EXPECT_EQ(images, (std::vector<std::string>{"[..]", "[sub]", "b.jpg", "C.png"}));
  EXPECT_EQ(text, (std::vector<std::string>{"[..]", "[sub]", "a.txt"}));
  EXPECT_EQ(typed, (std::vector<std::string>{"[..]", "[sub]", "a.txt", "C.png"}));
  EXPECT_EQ(std::string(file_), root_ + "/a.txt");
  EXPECT_EQ(ofn_.nFilterIndex, 1u) << "the filter in use is written back";
  char cwd[4096];
  GetCurrentDirectoryA(sizeof(cwd), cwd);
  EXPECT_EQ(std::string(cwd), savedCwd_) << "OFN_NOCHANGEDIR keeps the current folder";
}

TEST_F(FileDialog, FileMustExistShowsAnErrorAndStays) {
  ofn_.Flags |= OFN_FILEMUSTEXIST;
  int boxes = 0;
  BOOL ok = Drive(
      false,
      [&](HWND) {
        automation::TypeUtf8("missing.txt");
        automation::PressKey(VK_RETURN);
        automation::PumpDialogMessages();
        EXPECT_EQ(boxes, 1);
        automation::PressKey(VK_ESCAPE);
      },
      [&](HWND) {
        ++boxes;
        automation::PressKey(VK_RETURN);
      });
  EXPECT_FALSE(ok);
  EXPECT_EQ(CommDlgExtendedError(), 0u) << "a cancelled dialog is not an error";
  auto log = automation::TakeMessageBoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].textUtf8.rfind("missing.txt\n", 0), 0u) << log[0].textUtf8;
  EXPECT_NE(log[0].textUtf8.find("\xE6\x96\x87\xE4\xBB\xB6\xE4\xB8\x8D\xE5\xAD\x98\xE5\x9C\xA8"),
            std::string::npos)
      << "文件不存在";
  EXPECT_STREQ(file_, "") << "the buffer is untouched when cancelled";
}

TEST_F(FileDialog, SaveAppendsTheDefaultExtensionAndAsksBeforeOverwriting) {
  ofn_.Flags |= OFN_OVERWRITEPROMPT;
  ofn_.lpstrDefExt = "jpg";
  ofn_.lpstrTitle = "Export";
  std::strcpy(file_, "b");
  std::vector<int> answers = {IDNO, IDYES};
  int boxes = 0;
  BOOL ok = Drive(
      true,
      [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Export");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, kIdName)), "b") << "the initial name";
        automation::PressKey(VK_RETURN);
        automation::PumpDialogMessages();
        EXPECT_TRUE(IsWindowVisible(dialog)) << "No keeps the dialog open";
        automation::PressKey(VK_RETURN);
      },
      [&](HWND box) { Click(GetDlgItem(box, answers[static_cast<size_t>(boxes++)])); });
  ASSERT_TRUE(ok);
  EXPECT_EQ(boxes, 2);
  EXPECT_EQ(std::string(file_), root_ + "/b.jpg");
  EXPECT_EQ(ofn_.Flags & OFN_EXTENSIONDIFFERENT, 0u);

  // A new name is not asked about.
  std::strcpy(file_, "new");
  automation::TakeMessageBoxLog();
  ok = Drive(true, [](HWND) { automation::PressKey(VK_RETURN); });
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::string(file_), root_ + "/new.jpg");
  EXPECT_TRUE(automation::TakeMessageBoxLog().empty());
}

TEST_F(FileDialog, CreatePromptAndMissingPaths) {
  ofn_.Flags |= OFN_CREATEPROMPT;
  automation::ScriptMessageBoxAnswer(IDNO);
  automation::ScriptMessageBoxAnswer(IDYES);
  ::testing::internal::CaptureStderr();
  BOOL ok = Drive(false, [](HWND dialog) {
    automation::TypeUtf8("fresh.txt");
    automation::PressKey(VK_RETURN);
    automation::PumpDialogMessages();
    EXPECT_TRUE(IsWindowVisible(dialog));
    automation::PressKey(VK_RETURN);
  });
  ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::string(file_), root_ + "/fresh.txt");

  ofn_.Flags = OFN_PATHMUSTEXIST;
  file_[0] = '\0';
  automation::TakeMessageBoxLog();
  ::testing::internal::CaptureStderr();
  ok = Drive(false, [](HWND) {
    automation::TypeUtf8("nowhere/x.txt");
    automation::PressKey(VK_RETURN);
    automation::PumpDialogMessages();
    automation::PressKey(VK_ESCAPE);
  });
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(ok);
  EXPECT_EQ(automation::TakeMessageBoxLog().size(), 1u) << "the missing path is reported";
}

TEST_F(FileDialog, ScriptedAnswersAndBadInput) {
  automation::ScriptFileDialogAnswer("picked");
  ofn_.lpstrDefExt = ".png";
  char title[4] = "zzz";
  ofn_.lpstrFileTitle = title;
  ofn_.nMaxFileTitle = sizeof(title);
  ASSERT_TRUE(GetSaveFileNameA(&ofn_));
  EXPECT_EQ(std::string(file_), root_ + "/picked.png");
  EXPECT_STREQ(title, "pic") << "the file title is cut to its buffer";

  automation::ScriptFileDialogCancel();
  EXPECT_FALSE(GetOpenFileNameA(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  // Too small a buffer reports the size it needs in its first two bytes.
  char tiny[8] = {};
  ofn_.lpstrFile = tiny;
  ofn_.nMaxFile = sizeof(tiny);
  ofn_.lpstrFileTitle = nullptr;
  automation::ScriptFileDialogAnswer("/photos/long-name.txt");
  EXPECT_FALSE(GetOpenFileNameA(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  WORD needed = 0;
  std::memcpy(&needed, tiny, sizeof(needed));
  EXPECT_EQ(needed, std::strlen("/photos/long-name.txt") + 1);

  OPENFILENAMEA bad = ofn_;
  bad.lStructSize = 12;
  EXPECT_FALSE(GetOpenFileNameA(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  bad = ofn_;
  bad.lpstrFile = nullptr;
  EXPECT_FALSE(GetSaveFileNameA(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  EXPECT_FALSE(GetOpenFileNameA(nullptr));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);

  // Without a screen, a script or a driver nobody can answer: cancelled.
  ofn_.lpstrFile = file_;
  ofn_.nMaxFile = sizeof(file_);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(GetOpenFileNameA(&ofn_));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(FileDialog, MissingInitialFolderAndFilterWithoutPattern) {
  static constexpr char kNoPattern[] = "Everything\0\0";
  ofn_.lpstrFilter = kNoPattern;
  ofn_.nFilterIndex = 7;
  ofn_.lpstrInitialDir = "/no/such/folder";
  SetCurrentDirectoryA(root_.c_str());
  std::vector<std::string> shown;
  BOOL ok = Drive(false, [&](HWND dialog) {
    shown = ListItems(GetDlgItem(dialog, kIdList));
    automation::PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(shown, (std::vector<std::string>{"[..]", "[sub]", "a.txt", "b.jpg", "C.png"}))
      << "the current folder, every file";
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST(FileDialogModel, FiltersAndPaths) {
  using namespace platform::controls;
  auto filters = ParseFilter("A\0*.a; *.b ;;\0B\0\0");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.a", "*.b"}));
  EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*"}));
  EXPECT_TRUE(ParseFilter(nullptr).empty());
  EXPECT_TRUE(ParseFilter("\0").empty());
  EXPECT_TRUE(MatchesAny("PHOTO.JPG", {"*.jpg"}));
  EXPECT_TRUE(MatchesAny("\xD5\xD5\xC6\xAC.jpg", {"*.txt", "*.jpg"}));
  EXPECT_FALSE(MatchesAny("a.jpeg", {"*.jpg"}));

  // A GBK character whose trail byte is a backslash is not a separator.
  std::string trail = platform_test::kBackslashTrailGbk;
  EXPECT_EQ(NormalizePath("/a\\b/../" + trail + "/./x"), "/a/" + trail + "/x");
  EXPECT_EQ(NormalizePath("/.."), "/");
  EXPECT_EQ(JoinPath("/a/b", "..\\c"), "/a/c");
  EXPECT_EQ(JoinPath("/a", "/z"), "/z");
  EXPECT_EQ(ParentOf("/a/" + trail), "/a");
  EXPECT_EQ(ParentOf("/a"), "/");
  EXPECT_EQ(ExtensionOffset("/a.b/c"), 0u);
  EXPECT_EQ(ExtensionOffset("/a/.profile"), 0u);
  EXPECT_EQ(ExtensionOffset("/a/x.tar.gz"), 9u);
  EXPECT_EQ(WithDefaultExtension("/a/x", "jpg"), "/a/x.jpg");
  EXPECT_EQ(WithDefaultExtension("/a/x.png", "jpg"), "/a/x.png");
  EXPECT_EQ(WithDefaultExtension("/a/x", ""), "/a/x");
}

}  // namespace
