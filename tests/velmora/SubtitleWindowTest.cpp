// The caption window driven as a user drives it: typed keys and input-method text in the
// caption box against a local translation service (and without one), the photo handed over
// or opened from a file, and the still saved as a BMP (nothing written when the save dialog
// is cancelled).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/program/Globals.h"
#include "platform/testing/Automation.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/ScriptedServer.h"
#include "tests/velmora/SubtitleTestSupport.h"

namespace velmoratest {
namespace {

using testing_gbk::Gbk;
namespace fs = std::filesystem;

// A 24-bit BMP two pixels wide and one high: red on the left, blue on the right.
std::string RedBlueBmp() {
  using namespace std::string_literals;
  return "BM\x3E\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0"s +
         std::string(24, '\0') + "\0\0\xFF\xFF\0\0\0\0"s;
}

void* ByteSet(const std::string& bytes) {
  return rt::BuildByteSet(rt::AllocMem, bytes.data(), bytes.size());
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each test works in a fresh folder that is also the current directory, since the save
// dialog's initial name is a bare file name.
class SubtitleWindowTest : public SubtitleTest {
 protected:
  void SetUp() override {
    SubtitleTest::SetUp();
    // Read after the runtime has made the program folder current: a test before this one
    // may have left the process in a folder it has since removed.
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() / ("velmora-subtitle-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    OpenWindow(app::kSubtitleWindow);
    ASSERT_NE(Handle(app::kSubtitleWindow), nullptr);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(folder_);
    SubtitleTest::TearDown();
  }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.push_back(entry.path().filename());
    return names;
  }

  std::string PhotoBytes() { return Bytes(app::kSubtitleWindow, sub::kPhotoBox, 10); }
  // The photo box as the screen shows it.
  platform::testing::Image Photo() {
    return platform::testing::CaptureWindow(Handle(app::kSubtitleWindow, sub::kPhotoBox));
  }
  void TypeKeys(const char* letters) {
    for (const char* c = letters; *c; ++c) {
      platform::testing::PressKey(*c - 'a' + 'A');
      Pump();
      typed_ += *c;
      EXPECT_EQ(Chinese(), typed_) << "the Chinese line follows every key";
      EXPECT_EQ(English(), typed_) << "the service echoes what it does not know";
    }
  }
  void StartTyping() {
    ClickUnit(app::kSubtitleWindow, sub::kCaptionBox);
    SelectAllByKeys();
    typed_.clear();
  }

  std::string typed_;
  fs::path previous_;
  fs::path folder_;
};

TEST_F(SubtitleWindowTest, PhotoBoxShowsTheHandedOverPictureOnLoadAndOnRequest) {
  // Before any filter work there is nothing to show: no picture, one plain colour. The box
  // reaches a few pixels past the client area on both sides (that is the frame), so the
  // edges are left out.
  EXPECT_EQ(PhotoBytes(), "");
  platform::testing::Image empty = Photo();
  ASSERT_FALSE(empty.empty());
  for (int x = 8; x < empty.width - 8; x += 7) {
    for (int y = 0; y < empty.height; y += 7) ASSERT_EQ(empty.At(x, y), empty.At(8, 0));
  }
  if (std::string png = LookPath("subtitle-window.png"); !png.empty()) {
    platform::testing::WritePng(platform::testing::CaptureWindow(Handle(app::kSubtitleWindow)),
                                png);
  }

  // A hand-over while the window is open shows only when asked for.
  app::ReplaceBlock(app::G().processedPicture, ByteSet(RedBlueBmp()));
  Pump();
  EXPECT_EQ(PhotoBytes(), "");
  ClickUnit(app::kSubtitleWindow, sub::kProcessedPictureButton);
  EXPECT_EQ(PhotoBytes(), RedBlueBmp());
  // Stretched over the box: the left half red, the right half blue.
  platform::testing::Image shown = Photo();
  EXPECT_EQ(shown.At(shown.width / 4, shown.height / 2), 0xFF0000u);
  EXPECT_EQ(shown.At(shown.width * 3 / 4, shown.height / 2), 0x0000FFu);

  // Loading the window shows the last hand-over at once.
  app::CloseWindow(app::kSubtitleWindow);
  Pump();
  OpenWindow(app::kSubtitleWindow);
  EXPECT_EQ(PhotoBytes(), RedBlueBmp());
}

TEST_F(SubtitleWindowTest, TypingUpdatesTheChineseLineAtOnceAndTheEnglishLineFromTheService) {
  EXPECT_EQ(Chinese(), Gbk("请输入文字"));
  EXPECT_EQ(English(), "Please input the text");
  StartTyping();
  const size_t before = service_.Targets().size();
  TypeKeys("ab");
  // A phrase committed by the input method is one change and one request.
  ASSERT_TRUE(platform::testing::TypeUtf8("你好"));
  Pump();
  EXPECT_EQ(Text(app::kSubtitleWindow, sub::kCaptionBox, 8), "ab" + Gbk("你好"));
  EXPECT_EQ(Chinese(), "ab" + Gbk("你好"));
  SelectAllByKeys();
  ASSERT_TRUE(platform::testing::TypeUtf8("你好"));
  Pump();
  EXPECT_EQ(Chinese(), Gbk("你好"));
  EXPECT_EQ(English(), "Hello");
  const std::vector<std::string> targets = service_.Targets();
  ASSERT_EQ(targets.size(), before + 4);
  EXPECT_NE(targets.back().find("&text=%E4%BD%A0%E5%A5%BD&from=zh-CHS&to=en"), std::string::npos)
      << targets.back();
  if (std::string png = LookPath("subtitle-window-typed.png"); !png.empty()) {
    platform::testing::WritePng(platform::testing::CaptureWindow(Handle(app::kSubtitleWindow)),
                                png);
  }
}

TEST_F(SubtitleWindowTest, WithoutAServiceTheEnglishLineIsEmptyAndNothingElseChanges) {
  app::ReplaceBlock(app::G().processedPicture, ByteSet(RedBlueBmp()));
  ClickUnit(app::kSubtitleWindow, sub::kProcessedPictureButton);
  platform::testing::TakeMessageBoxLog();
  UseService(scripted_server::RefusingPort());
  StartTyping();
  ASSERT_TRUE(platform::testing::TypeUtf8("你好"));
  Pump();
  EXPECT_EQ(Chinese(), Gbk("你好"));
  EXPECT_EQ(English(), "");
  EXPECT_EQ(Text(app::kSubtitleWindow, sub::kCaptionBox, 8), Gbk("你好"));
  EXPECT_EQ(PhotoBytes(), RedBlueBmp());
  EXPECT_TRUE(platform::testing::TakeMessageBoxLog().empty());
  EXPECT_EQ(GetFocus(), Handle(app::kSubtitleWindow, sub::kCaptionBox));
  // The service coming back is used by the next change.
  UseService(service_.Port());
  platform::testing::PressKey(VK_BACK);
  Pump();
  EXPECT_EQ(Chinese(), Gbk("你"));
  EXPECT_EQ(English(), Gbk("你"));
}

TEST_F(SubtitleWindowTest, OpenPhotoReadsTheChosenFileAndACancelKeepsThePhoto) {
  // The handed-over photo is shown first; the photo opened later is a green one, whose file
  // is gone by the time of the second cancel, so that re-reading the last name would show.
  app::ReplaceBlock(app::G().processedPicture, ByteSet(RedBlueBmp()));
  ClickUnit(app::kSubtitleWindow, sub::kProcessedPictureButton);
  std::string green = RedBlueBmp();
  green.replace(54, 6, "\0\xFF\0\0\xFF\0", 6);
  std::ofstream(folder_ / "photo.bmp", std::ios::binary) << green;
  struct Step {
    const char* what;
    const char* answer;  // null: cancelled
    std::string shown;
  } steps[] = {
      {"cancelled before any choice", nullptr, RedBlueBmp()},
      {"a photo chosen", "photo.bmp", green},
      {"cancelled after its file went", nullptr, green},
      {"a file that is gone", "photo.bmp", ""},
  };
  for (const Step& step : steps) {
    if (step.answer == nullptr) {
      platform::testing::ScriptFileDialogCancel();
    } else {
      platform::testing::ScriptFileDialogAnswer((folder_ / step.answer).string());
    }
    ClickUnit(app::kSubtitleWindow, sub::kOpenPhotoButton);
    EXPECT_EQ(PhotoBytes(), step.shown) << step.what;
    if (step.answer != nullptr) fs::remove(folder_ / step.answer);
  }
  for (const auto& record : platform::testing::TakeFileDialogLog()) EXPECT_FALSE(record.save);
}

// The saved still against the window as the screen shows it: every pixel of the 979 x 610
// rectangle 9 px right of and 30 px below the window's outer corner.
void ExpectStillOfWindow(const std::string& bmp, const platform::testing::Image& window) {
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    if (at + 4 <= bmp.size()) std::memcpy(&v, &bmp[at], 4);
    return v;
  };
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(u32(2), bmp.size());
  EXPECT_EQ(u32(10), 54u);
  EXPECT_EQ(u32(18), 979u);
  EXPECT_EQ(u32(22), 610u);
  const int bits = static_cast<uint8_t>(bmp[28]);
  ASSERT_EQ(bits, 32) << "the screen's depth";
  ASSERT_EQ(bmp.size(), 54u + 979u * 610u * 4u);
  int differing = 0;
  for (int y = 0; y < 610; ++y) {
    for (int x = 0; x < 979; ++x) {
      const uint32_t stored = u32(54 + (static_cast<size_t>(609 - y) * 979 + x) * 4) & 0xFFFFFF;
      if (stored != window.At(9 + x, 30 + y)) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST_F(SubtitleWindowTest, SaveWritesTheStillAndACancelledDialogWritesNothing) {
  app::ReplaceBlock(app::G().processedPicture, ByteSet(RedBlueBmp()));
  ClickUnit(app::kSubtitleWindow, sub::kProcessedPictureButton);
  StartTyping();
  ASSERT_TRUE(platform::testing::TypeUtf8("你好"));
  Pump();

  // Cancelled before any choice: the dialog still holds its initial name, which must not
  // be written to.
  platform::testing::ScriptFileDialogCancel();
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  EXPECT_TRUE(FolderNames().empty());

  platform::testing::ScriptFileDialogAnswer((folder_ / "still.jpg").string());
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  const std::string saved = FileBytes(folder_ / "still.jpg");
  if (std::string look = LookPath("still.bmp"); !look.empty())
    std::ofstream(look, std::ios::binary) << saved;
  ExpectStillOfWindow(saved, platform::testing::CaptureWindow(Handle(app::kSubtitleWindow)));

  // Another caption, then a cancelled save: the file chosen last time keeps the first still.
  StartTyping();
  TypeKeys("b");
  platform::testing::ScriptFileDialogCancel();
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  EXPECT_TRUE(FileBytes(folder_ / "still.jpg") == saved) << "the first still was overwritten";
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"still.jpg"});

  const auto dialogs = platform::testing::TakeFileDialogLog();
  ASSERT_EQ(dialogs.size(), 3u);
  for (const auto& record : dialogs) {
    EXPECT_TRUE(record.save);
    EXPECT_EQ(record.titleUtf8, "处理照片");
  }
}

}  // namespace
}  // namespace velmoratest
