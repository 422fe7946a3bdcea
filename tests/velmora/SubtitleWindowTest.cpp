// The caption window driven as a user drives it: typed keys and input-method text in the
// caption box against a local translation service (and without one), the photo handed over
// or opened from a file, the still saved as a BMP (and nothing written when the save dialog
// is cancelled), and the two windows its buttons open.
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
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/ScriptedServer.h"
#include "tests/velmora/SubtitleTestSupport.h"

namespace velmoratest {
namespace {

using testing_gbk::Gbk;
namespace fs = std::filesystem;

// A 24-bit BMP two pixels wide and one high: red on the left, blue on the right.
std::string RedBlueBmp() {
  std::string bmp(54 + 8, '\0');
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bmp[at], &v, 4); };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 1);
  bmp[26] = 1;
  bmp[28] = 24;
  const unsigned char pixels[] = {0, 0, 255, 255, 0, 0};  // B, G, R per pixel
  std::memcpy(&bmp[54], pixels, sizeof pixels);
  return bmp;
}

void* ByteSet(const std::string& bytes) {
  return rt::BuildByteSet(rt::AllocMem, bytes.data(), bytes.size());
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder that is also the current directory while the test runs, since the save
// dialog's initial name is a bare file name.
class ScratchFolder {
 public:
  ScratchFolder() : previous_(fs::current_path()) {
    path_ = fs::temp_directory_path() / ("velmora-subtitle-" + std::to_string(getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
    fs::current_path(path_);
  }
  ~ScratchFolder() {
    fs::current_path(previous_);
    fs::remove_all(path_);
  }
  const fs::path& path() const { return path_; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
      names.push_back(entry.path().filename());
    return names;
  }

 private:
  fs::path previous_;
  fs::path path_;
};

class SubtitleWindowTest : public SubtitleTest {
 protected:
  void SetUp() override {
    SubtitleTest::SetUp();
    OpenWindow(app::kSubtitleWindow);
    ASSERT_NE(Handle(app::kSubtitleWindow), nullptr);
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
  if (std::string png = PngPath("subtitle-window"); !png.empty()) {
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
  if (std::string png = PngPath("subtitle-window-typed"); !png.empty()) {
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
  ScratchFolder folder;
  const fs::path photo = folder.path() / "photo.bmp";
  std::ofstream(photo, std::ios::binary) << RedBlueBmp();
  struct Step {
    const char* what;
    const char* answer;  // null: cancelled
    std::string shown;
  } steps[] = {
      {"cancelled before any choice", nullptr, ""},
      {"a photo chosen", "photo.bmp", RedBlueBmp()},
      {"cancelled afterwards", nullptr, RedBlueBmp()},
      {"a file that is gone", "gone.bmp", ""},
  };
  for (const Step& step : steps) {
    if (step.answer == nullptr) {
      platform::testing::ScriptFileDialogCancel();
    } else {
      platform::testing::ScriptFileDialogAnswer((folder.path() / step.answer).string());
    }
    ClickUnit(app::kSubtitleWindow, sub::kOpenPhotoButton);
    EXPECT_EQ(PhotoBytes(), step.shown) << step.what;
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
  ScratchFolder folder;
  app::ReplaceBlock(app::G().processedPicture, ByteSet(RedBlueBmp()));
  ClickUnit(app::kSubtitleWindow, sub::kProcessedPictureButton);
  StartTyping();
  ASSERT_TRUE(platform::testing::TypeUtf8("你好"));
  Pump();

  // Cancelled before any choice: the dialog still holds its initial name, which must not
  // be written to.
  platform::testing::ScriptFileDialogCancel();
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  EXPECT_TRUE(folder.Names().empty());

  platform::testing::ScriptFileDialogAnswer((folder.path() / "still.jpg").string());
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  const std::string saved = FileBytes(folder.path() / "still.jpg");
  ExpectStillOfWindow(saved, platform::testing::CaptureWindow(Handle(app::kSubtitleWindow)));

  // Another caption, then a cancelled save: the file chosen last time keeps the first still.
  StartTyping();
  TypeKeys("b");
  platform::testing::ScriptFileDialogCancel();
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  EXPECT_EQ(FileBytes(folder.path() / "still.jpg"), saved);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"still.jpg"});

  const auto dialogs = platform::testing::TakeFileDialogLog();
  ASSERT_EQ(dialogs.size(), 3u);
  for (const auto& record : dialogs) {
    EXPECT_TRUE(record.save);
    EXPECT_EQ(record.titleUtf8, "处理照片");
  }
}

// The buttons that open another window wait for it to close: the window is looked at and
// closed from the loop's idle turn.
uint32_t g_expected = 0;
bool g_seen = false;
void SeeAndClose(intptr_t) {
  if (g_seen || Handle(g_expected) == nullptr) return;
  g_seen = true;
  app::CloseWindow(g_expected);
}

TEST_F(SubtitleWindowTest, MoreCaptionsAndEffectsOpenTheirWindowsAndWait) {
  struct Row {
    uint32_t button;
    uint32_t window;
  } rows[] = {{sub::kMoreCaptionsButton, app::kSubtitleLibraryWindow},
              {sub::kEffectsButton, app::kFilterWindow}};
  for (const Row& row : rows) {
    g_expected = row.window;
    g_seen = false;
    rt::AddIdleRoutine(Handle(app::kSubtitleWindow), SeeAndClose, 0);
    ClickUnit(app::kSubtitleWindow, row.button);
    rt::RemoveIdleRoutines(Handle(app::kSubtitleWindow));
    EXPECT_TRUE(g_seen) << std::hex << row.window;
    EXPECT_EQ(Handle(row.window), nullptr);
    EXPECT_NE(Handle(app::kSubtitleWindow), nullptr);
  }
}

}  // namespace
}  // namespace velmoratest
