// The image-processing window driven as its user drives it: a photo opened through the file
// dialog, filters chosen from the menu, the box read back pixel by pixel and compared with
// the plain working of each filter in FilterReference.h, started from what the box showed
// before. The box is made small so that every pixel, the bands beside the photo and the
// white beyond the right and bottom edges all count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/filters/FilterPass.h"
#include "app/filterwindow/FilterWindowUnits.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "platform/testing/Automation.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user32.h"
#include "platform/wingdi.h"
#include "platform/winuser_controls.h"
#include "runtime/RuntimeState.h"
#include "runtime/loop/MessageLoop.h"
#include "tests/common/BmpFile.h"
#include "tests/common/TempFolder.h"
#include "tests/velmora/FilterReference.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace ref = filter_reference;
using app::kFilterWindow;
using namespace app::filterwindow;

// Menu command ids count from 20000 in menu order: "文件(&F)", "打开(&O)", "-", "退出(&X)",
// "滤镜(&L)", "取消所有滤镜", "-", then the filters.
constexpr WPARAM kOpenCommand = 20001;
constexpr WPARAM kExitCommand = 20003;
constexpr WPARAM kRemoveFiltersCommand = 20005;
using Kind = app::FilterKind;
constexpr WPARAM FilterCommand(Kind filter) {
  return 20007 + static_cast<WPARAM>(filter);
}

// The photo: 9 x 6 with the values the formulas treat specially (black, white, a channel
// of 250 over zeros, zero divisors for Strange, the 200 threshold) among mixed colours.
constexpr int kPhotoW = 9, kPhotoH = 6;
std::vector<uint32_t> PhotoPixels() {
  std::vector<uint32_t> px = {0x000000, 0xFFFFFF, 0x0000FA, 0x0A0000, 0xC86432,
                              0xC7C7C7, 0xC80000, 0x808080, 0x00FF00, 0x3C2814};
  for (uint32_t i = 10; i < kPhotoW * kPhotoH; ++i)
    px.push_back(((i * 37) & 0xFF) << 16 | ((i * 91 + 13) & 0xFF) << 8 | ((255 - i * 23) & 0xFF));
  return px;
}

// `extension` comes last, so that the save dialog adds none of its own.
fs::path WriteTempFile(const std::string& name, const std::string& extension,
                       const std::vector<uint8_t>& bytes) {
  const fs::path path =
      fs::path(testing_temp::Folder()) /
      (name + "-" + std::to_string(::getpid()) + "-" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name() + extension);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The box as a snapshot sees it: its whole window, border included, and the client area
// showing `shown` at (dx, dy) in it.
struct BoxOnScreen {
  int w = 0, h = 0, dx = 0, dy = 0;
  ref::Picture shown{0, 0};
};

class FilterWindowTest : public velmoratest::VelmoraTest {
 protected:
  void SetUp() override {
    VelmoraTest::SetUp();
    platform::testing::ClearDialogScripts();
    platform::testing::TakeMessageBoxLog();
    platform::testing::TakeFileDialogLog();
    velmoratest::OpenWindow(kFilterWindow);
    window_ = velmoratest::Handle(kFilterWindow);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    for (const fs::path& p : files_) fs::remove(p);
    platform::testing::ClearDialogScripts();
    VelmoraTest::TearDown();
  }

  void Command(WPARAM id) {
    PostMessageA(window_, WM_COMMAND, id, 0);
    velmoratest::Pump();
  }

  // The photo opened through "打开(&O)" (or its Ctrl+O, with Ctrl held while the key is
  // read, as a finger holds it); the box shrunk first so that its client area is 12 x 9 (its
  // sunken border takes two pixels a side) with the photo centred in it.
  void OpenSmallPhoto(bool byKeyboard = false) {
    using namespace platform::testing;
    app::SetInt(kFilterWindow, kPhotoBox, app::kWidth, 16);
    app::SetInt(kFilterWindow, kPhotoBox, app::kHeight, 13);
    box_ = velmoratest::Handle(kFilterWindow, kPhotoBox);
    RECT client{};
    GetClientRect(box_, &client);
    ASSERT_EQ(client.right, 12);
    ASSERT_EQ(client.bottom, 9);
    files_.push_back(
        WriteTempFile("photo", ".bmp", testing_bmp::Bmp24(kPhotoW, kPhotoH, PhotoPixels())));
    ScriptFileDialogAnswer(files_.back().string());
    if (!byKeyboard) return Command(kOpenCommand);
    KeyDown(VK_CONTROL);
    KeyDown('O');
    velmoratest::Pump();
    KeyUp('O');
    KeyUp(VK_CONTROL);
    velmoratest::Pump();
  }

  // What the box shows on screen.
  ref::Picture Shown() const {
    RECT client{};
    GetClientRect(box_, &client);
    ref::Picture p(client.right, client.bottom);
    HDC dc = GetDC(box_);
    for (int y = 0; y < p.H(); ++y)
      for (int x = 0; x < p.W(); ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        p.Put(x, y, GetRValue(c), GetGValue(c), GetBValue(c));
      }
    ReleaseDC(box_, dc);
    return p;
  }

  BoxOnScreen Look() const {
    RECT outer{};
    GetWindowRect(box_, &outer);
    POINT origin{0, 0};
    ClientToScreen(box_, &origin);
    return {outer.right - outer.left, outer.bottom - outer.top, origin.x - outer.left,
            origin.y - outer.top, Shown()};
  }

  std::string StatusText() const {
    HWND bar = velmoratest::Handle(kFilterWindow, kStatusBar);
    char text[64] = {};
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }

  HWND window_ = nullptr;
  HWND box_ = nullptr;
  std::vector<fs::path> files_;
};

// Where two pictures first differ, for the failure message.
std::string FirstDifference(const ref::Picture& a, const ref::Picture& b) {
  for (int y = 0; y < std::min(a.H(), b.H()); ++y)
    for (int x = 0; x < std::min(a.W(), b.W()); ++x)
      if (!(a.At(x, y) == b.At(x, y)))
        return "at (" + std::to_string(x) + ", " + std::to_string(y) +
               "): " + std::to_string(a.At(x, y).r) + "," + std::to_string(a.At(x, y).g) + "," +
               std::to_string(a.At(x, y).b) + " against " + std::to_string(b.At(x, y).r) + "," +
               std::to_string(b.At(x, y).g) + "," + std::to_string(b.At(x, y).b);
  return "in size";
}

// Every filter but Diffuse, chosen from the menu one after the other with "取消所有滤镜"
// between them: each pass leaves exactly what the reference computes from the box as it was,
// ends with the progress bar hidden at 100 and "完成", and the box shows the photo again once
// the filters are removed.
TEST_F(FilterWindowTest, EachFilterFromTheMenuMatchesTheReference) {
  OpenSmallPhoto();
  const ref::Picture original = Shown();
  ASSERT_EQ(original.At(2, 1), (ref::Rgb{255, 255, 255})) << "the photo is not in the box";
  for (int k = 0; k < app::kFilterCount; ++k) {
    const auto f = static_cast<Kind>(k);
    if (f == Kind::kDiffuse) continue;
    const std::string name(app::FilterName(f));
    Command(FilterCommand(f));
    ref::Picture expected = original;
    ref::Apply(f, expected);
    EXPECT_EQ(Shown(), expected) << name << " differs " << FirstDifference(Shown(), expected);
    EXPECT_FALSE(app::GetInt(kFilterWindow, kProgressBar, app::kVisible)) << name;
    EXPECT_EQ(app::GetInt(kFilterWindow, kProgressBar, kProgressPosition), 100) << name;
    EXPECT_EQ(StatusText(), "\xCD\xEA\xB3\xC9") << name;  // "完成"
    Command(kRemoveFiltersCommand);
    ASSERT_EQ(Shown(), original) << "after removing " << name;
  }
  // A box without client width: the pass has nothing to do, and its one progress value,
  // 0 / 0, comes out as 0.
  app::SetInt(kFilterWindow, kPhotoBox, app::kWidth, 4);
  Command(FilterCommand(Kind::kBlur));
  EXPECT_EQ(app::GetInt(kFilterWindow, kProgressBar, kProgressPosition), 0);
  EXPECT_EQ(StatusText(), "\xCD\xEA\xB3\xC9");
}

// The menu as a person works it from the keyboard (Ctrl+O opens the photo; Alt+L opens the
// filter menu on "取消所有滤镜" and the arrows step over the separator to "Dark"), and
// filters compound: each works on what the one before drew, not on the picture.
TEST_F(FilterWindowTest, TheKeyboardDrivesTheMenuAndFiltersCompound) {
  using namespace platform::testing;
  OpenSmallPhoto(/*byKeyboard=*/true);
  ref::Picture expected = Shown();
  ASSERT_EQ(expected.At(2, 1), (ref::Rgb{255, 255, 255})) << "Ctrl+O opened no photo";
  KeyDown(VK_MENU);
  PressKey('L');
  KeyUp(VK_MENU);
  for (int i = 0; i < 7; ++i) PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  velmoratest::Pump();
  ref::Apply(Kind::kDark, expected);
  EXPECT_EQ(Shown(), expected) << FirstDifference(Shown(), expected);
  for (Kind f : {Kind::kNight, Kind::kSharpen}) {
    Command(FilterCommand(f));
    ref::Apply(f, expected);
  }
  EXPECT_EQ(Shown(), expected) << FirstDifference(Shown(), expected);
}

// Each channel of a diffused pixel comes from the picture two to five pixels down (red),
// right (green) or down and right (blue), or is white when that lies beyond the edge.
TEST_F(FilterWindowTest, DiffuseTakesEachChannelFromTwoToFivePixelsAway) {
  OpenSmallPhoto();
  const ref::Picture original = Shown();
  Command(FilterCommand(Kind::kDiffuse));
  const ref::Picture shown = Shown();
  for (int x = 0; x < shown.W(); ++x) {
    for (int y = 0; y < shown.H(); ++y) {
      std::set<int> reds, greens, blues;
      for (int d = 2; d <= 5; ++d) {
        reds.insert(original.At(x, y + d).r);
        greens.insert(original.At(x + d, y).g);
        blues.insert(original.At(x + d, y + d).b);
      }
      const ref::Rgb c = shown.At(x, y);
      EXPECT_TRUE(reds.count(c.r) && greens.count(c.g) && blues.count(c.b))
          << "(" << x << ", " << y << ") " << c.r << "," << c.g << "," << c.b;
    }
  }
}

// What the events handled during a pass may do. A filter chosen meanwhile (here waiting in
// the queue) runs as a pass of its own and leaves the first pass its handles, so that pass
// finishes on its copy and draws its own result last. Closing the window ends the pass
// quietly instead of the program, which would stop on the next progress update of the
// closed window with a runtime error.
TEST_F(FilterWindowTest, EventsDuringAPassNeitherTakeOverItsHandlesNorEndTheProgram) {
  OpenSmallPhoto();
  ref::Picture expected = Shown();
  ref::Apply(Kind::kDark, expected);
  PostMessageA(window_, WM_COMMAND, FilterCommand(Kind::kDark), 0);
  PostMessageA(window_, WM_COMMAND, FilterCommand(Kind::kEmboss), 0);
  velmoratest::Pump();
  EXPECT_EQ(Shown(), expected) << FirstDifference(Shown(), expected);
  EXPECT_EQ(app::G().filterPass.memoryDc, 0) << "the globals are back as they were";
  EXPECT_EQ(app::G().filterPass.bitmap, 0);

  PostMessageA(window_, WM_COMMAND, FilterCommand(Kind::kBlur), 0);
  PostMessageA(window_, WM_COMMAND, kExitCommand, 0);
  velmoratest::Pump();
  EXPECT_EQ(velmoratest::Handle(kFilterWindow), nullptr);
  EXPECT_TRUE(platform::testing::TakeMessageBoxLog().empty()) << "a runtime error was shown";
}

// Pixel (x, y) from the top-left of a bottom-up 24-bit BMP file.
ref::Rgb BmpPixel(const std::vector<uint8_t>& f, int x, int y) {
  const int w = f[18] | f[19] << 8, h = f[22] | f[23] << 8;
  const size_t stride = static_cast<size_t>((w * 24 + 31) / 32 * 4);
  const uint8_t* p = f.data() + 54 + static_cast<size_t>(h - 1 - y) * stride + x * 3;
  return {p[2], p[1], p[0]};
}

void ExpectSnapshotOf(const std::vector<uint8_t>& file, const BoxOnScreen& box) {
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(file[18] | file[19] << 8, box.w);
  EXPECT_EQ(file[22] | file[23] << 8, box.h);
  EXPECT_EQ(file[28], 24);
  ASSERT_EQ(file.size(), 54u + static_cast<size_t>((box.w * 24 + 31) / 32 * 4 * box.h));
  for (int y = 0; y < box.shown.H(); ++y)
    for (int x = 0; x < box.shown.W(); ++x)
      ASSERT_EQ(BmpPixel(file, x + box.dx, y + box.dy), box.shown.At(x, y)) << x << ", " << y;
}

std::vector<uint8_t> ProcessedPicture() {
  const auto* block = static_cast<const uint8_t*>(app::G().processedPicture);
  if (block == nullptr) return {};
  int32_t n = 0;
  std::memcpy(&n, block + 4, 4);
  return {block + 8, block + 8 + n};
}

// The two dialogs: a cancelled "打开(&O)" leaves the picture as it was; "保存此图片" writes
// the snapshot of the box, whatever the extension, and a cancelled save writes nothing,
// where it used to overwrite the file chosen the time before (the snapshot is still taken
// for the other windows).
TEST_F(FilterWindowTest, CancelledDialogsChangeNothingAndSaveWritesWhatTheBoxShows) {
  OpenSmallPhoto();
  const ref::Picture photo = Shown();
  platform::testing::ScriptFileDialogCancel();
  Command(kOpenCommand);
  Command(kRemoveFiltersCommand);
  EXPECT_EQ(Shown(), photo) << "a cancelled open changed the picture";
  Command(FilterCommand(Kind::kNight));
  const BoxOnScreen night = Look();

  HWND save = velmoratest::Handle(kFilterWindow, kSaveButton);
  const fs::path target = WriteTempFile("saved", ".jpg", {});
  files_.push_back(target);
  platform::testing::ScriptFileDialogAnswer(target.string());
  ASSERT_TRUE(platform::testing::ClickInWindow(save, {10, 10}));
  velmoratest::Pump();
  const std::vector<uint8_t> saved = ReadFile(target);
  ExpectSnapshotOf(saved, night);
  EXPECT_EQ(ProcessedPicture(), saved);

  std::ofstream(target, std::ios::binary).write("kept", 4);
  Command(FilterCommand(Kind::kEmboss));
  platform::testing::ScriptFileDialogCancel();
  ASSERT_TRUE(platform::testing::ClickInWindow(save, {10, 10}));
  velmoratest::Pump();
  EXPECT_EQ(ReadFile(target), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
  ExpectSnapshotOf(ProcessedPicture(), Look());
  EXPECT_EQ(platform::testing::TakeFileDialogLog().size(), 4u);  // open twice, save twice
}

// "应用到电影水印": the processed picture is the box as shown, the filter window is closed
// and the caption window opens (modally: it is closed here from the loop's idle time).
TEST_F(FilterWindowTest, HandingOverSnapshotsTheBoxClosesTheWindowAndOpensTheNext) {
  OpenSmallPhoto();
  Command(FilterCommand(Kind::kIce));
  const BoxOnScreen ice = Look();
  struct Seen {
    int subtitleOpen = 0;
    bool filterGone = false;
  } seen;
  HWND anchor = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  rt::AddIdleRoutine(
      anchor,
      [](intptr_t arg) {
        auto* s = reinterpret_cast<Seen*>(arg);
        if (velmoratest::Handle(app::kSubtitleWindow) == nullptr) return;
        ++s->subtitleOpen;
        s->filterGone = velmoratest::Handle(kFilterWindow) == nullptr;
        app::CloseWindow(app::kSubtitleWindow);
      },
      reinterpret_cast<intptr_t>(&seen));
  ASSERT_TRUE(platform::testing::ClickInWindow(velmoratest::Handle(kFilterWindow, kToCaptionButton),
                                               {10, 10}));
  velmoratest::Pump();
  rt::RemoveIdleRoutines(anchor);
  DestroyWindow(anchor);
  EXPECT_GE(seen.subtitleOpen, 1);
  EXPECT_TRUE(seen.filterGone);
  EXPECT_EQ(velmoratest::Handle(app::kSubtitleWindow), nullptr);
  ExpectSnapshotOf(ProcessedPicture(), ice);
}

}  // namespace
