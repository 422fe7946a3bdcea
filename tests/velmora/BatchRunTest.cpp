// The batch window stamping the photos of the program folder's input folder. Photos are
// real JPEGs made here with libjpeg, which also decodes them again as the reference for what
// each output must show; the 200 ms pause per photo passes on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/batch/BatchFiles.h"
#include "app/batch/BatchRun.h"
#include "app/batch/BatchWindowUnits.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "platform/kernel/Clock.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "runtime/RuntimeState.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/BmpFile.h"
#include "tests/common/Gbk.h"
#include "tests/common/JpegFile.h"
#include "tests/common/TempFolder.h"
#include "tests/velmora/CaptureTestSupport.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_gbk::Gbk;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

using capturetest::Field;

// A photo of four flat quadrants, so that any scaling leaves their middles alone.
struct Quadrants {
  uint32_t rgb[4];  // top-left, top-right, bottom-left, bottom-right; 0xRRGGBB
};
std::vector<uint8_t> QuadrantPhoto(const Quadrants& q, int w = 320, int h = 240) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t c = q.rgb[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
      rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  }
  return testing_jpeg::Encode(rgb, w, h);
}

// An output file: a 32-bit bottom-up BMP of the photo area.
struct Stamped {
  std::vector<uint8_t> bytes;
  bool IsPhotoArea() const {
    return bytes.size() == 54u + 1096u * 515u * 4u && Field(bytes.data(), 2) == 0x4D42 &&
           Field(bytes.data() + 18, 4) == 1096 && Field(bytes.data() + 22, 4) == 515 &&
           Field(bytes.data() + 28, 2) == 32;
  }
  uint32_t At(int x, int y) const { return capturetest::Pixel32(bytes.data(), x, y); }
};

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  }
  return true;
}

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class BatchRunTest : public velmoratest::VelmoraTest {
 protected:
  void SetUp() override {
    VelmoraTest::SetUp();
    platform::kernel::UseVirtualClock(true);
    root_ = testing_temp::MakeFolder("velmora-batch");
    ASSERT_FALSE(root_.empty());
  }
  void TearDown() override {
    VelmoraTest::TearDown();
    platform::kernel::UseVirtualClock(false);
    std::error_code error;
    fs::remove_all(root_, error);
  }

  // Makes `relative` (UTF-8) under the test folder the program folder and opens the window.
  fs::path ProgramFolder(const std::string& relative) {
    const fs::path folder = root_ / fs::path(relative);
    fs::create_directories(folder);
    rt::Runtime().runDirectory = Gbk(folder.string());
    velmoratest::OpenWindow(app::kBatchWindow);
    return folder;
  }

  fs::path root_;
};

TEST_F(BatchRunTest, FolderCases) {
  struct Case {
    const char* name;
    const char* programFolder;
    bool makeInput;
    std::vector<std::string> inputs;  // a trailing "/" makes a folder
    std::set<std::string> outputs;
  };
  const Case cases[] = {
      {"no input folder", "p1", false, {}, {}},
      {"empty input folder", "p2", true, {}, {}},
      {"jpg names of any case, kept as they are",
       "p3",
       true,
       {"海边.jpg", "B.JPG", "c.jpeg", "d.png", "e.jpg.txt", "folder.jpg/"},
       {"海边.jpg", "B.JPG"}},
      {"program folder inside a folder named like the input",
       "待处理/程序",
       true,
       {"x.jpg"},
       {"x.jpg"}},
  };
  int serial = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path program = ProgramFolder(c.programFolder);
    const fs::path input = program / "待处理";
    if (c.makeInput) fs::create_directories(input);
    for (const std::string& name : c.inputs) {
      if (name.back() == '/') {
        fs::create_directories(input / name.substr(0, name.size() - 1));
      } else {
        WriteFile(input / name,
                  QuadrantPhoto({{0x102030u * static_cast<uint32_t>(++serial), 0, 0, 0}}));
      }
    }

    EXPECT_EQ(app::batch::RunBatch(), static_cast<int32_t>(c.outputs.size()));
    const fs::path output = program / "已处理";
    if (c.outputs.empty()) {
      EXPECT_FALSE(fs::exists(output));
    } else {
      EXPECT_EQ(FileNames(output), c.outputs);
      for (const std::string& name : c.outputs) {
        EXPECT_TRUE(Stamped{ReadFile(output / name)}.IsPhotoArea()) << name;
      }
    }
    // Nothing lands anywhere else: the test folder holds only the program folders.
    EXPECT_FALSE(fs::exists(root_ / "已处理"));
    velmoratest::Pump();
    app::CloseWindow(app::kBatchWindow);
    velmoratest::Pump();
  }
}

// The list is made afresh by each run: a second run stamps what the folder holds now, once.
TEST_F(BatchRunTest, SecondRunStampsTheFolderOnce) {
  const fs::path program = ProgramFolder("app");
  fs::create_directories(program / "待处理");
  WriteFile(program / "待处理" / "a.jpg", QuadrantPhoto({{0xC04000, 0, 0, 0}}));
  WriteFile(program / "待处理" / "b.jpg", QuadrantPhoto({{0x00C040, 0, 0, 0}}));
  ASSERT_EQ(app::batch::RunBatch(), 2);
  WriteFile(program / "待处理" / "c.jpg", QuadrantPhoto({{0x4000C0, 0, 0, 0}}));

  EXPECT_EQ(app::batch::RunBatch(), 3);
  const void* list = app::G().batchFileList;
  ASSERT_EQ(app::batch::TextArrayCount(list), 3);
  std::set<std::string> listed;
  for (int i = 0; i < 3; ++i) listed.insert(app::batch::TextArrayEntry(list, i));
  EXPECT_EQ(listed.size(), 3u);
  EXPECT_EQ(app::G().batchIndex, 3);
  EXPECT_EQ(FileNames(program / "已处理"), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
}

// Through the window as a user works it: a watermark chosen in the file dialog, then one
// press stamps five photos, one of which is no photo at all.
TEST_F(BatchRunTest, StampsAFolderThroughTheWindow) {
  const fs::path program = ProgramFolder("Velmora");
  const fs::path input = program / "待处理";
  fs::create_directories(input);
  const Quadrants photos[] = {
      {{0xE03030, 0x30E030, 0x3030E0, 0xE0E030}}, {{0x202020, 0xF0F0F0, 0x808080, 0x40A0C0}},
      {{0x000000, 0x000000, 0x000000, 0x000000}},  // replaced by a broken file below
      {{0xA05010, 0x10A050, 0x5010A0, 0xC0C0C0}}, {{0x906030, 0x309060, 0x603090, 0x10F010}},
  };
  std::vector<std::string> names;
  std::vector<std::vector<uint8_t>> originals;
  for (int i = 0; i < 5; ++i) {
    names.push_back("照片" + std::to_string(i + 1) + ".jpg");
    std::vector<uint8_t> bytes = QuadrantPhoto(photos[i], 400 + 40 * i, 300);
    if (i == 2) bytes = std::vector<uint8_t>(5000, 0x5A);  // not a picture of any kind
    WriteFile(input / names.back(), bytes);
    originals.push_back(std::move(bytes));
  }
  const fs::path watermark = root_ / "水印.bmp";
  WriteFile(watermark, testing_bmp::SolidBmp24(100, 100, 0xFF00FF));

  // A cancelled dialog keeps the watermark the window starts with; a chosen file replaces it.
  auto loadButton = [] {
    ASSERT_TRUE(platform::testing::ClickInWindow(
        velmoratest::Handle(app::kBatchWindow, app::batch::kLoadButton), {20, 10}));
    velmoratest::Pump();
  };
  auto watermarkBytes = [] {
    void* block =
        app::GetByteSet(app::kBatchWindow, app::batch::kWatermarkBox, app::batch::kPicBoxPicture);
    const rt::ByteSetView view = rt::ViewByteSet(block);
    std::vector<uint8_t> bytes(view.data, view.data + view.size);
    app::FreeBlock(block);
    return bytes;
  };
  const std::vector<uint8_t> stored = watermarkBytes();
  ASSERT_FALSE(stored.empty());
  platform::testing::ScriptFileDialogCancel();
  loadButton();
  EXPECT_EQ(watermarkBytes(), stored);
  platform::testing::ScriptFileDialogAnswer(Gbk(watermark.string()));
  loadButton();
  EXPECT_EQ(watermarkBytes(), ReadFile(watermark));
  const uint64_t before = platform::kernel::ClockNowMs();
  ASSERT_TRUE(platform::testing::ClickInWindow(
      velmoratest::Handle(app::kBatchWindow, app::batch::kStampButton), {20, 10}));
  velmoratest::Pump();

  // Each photo stood at least its 200 ms before it was taken.
  EXPECT_GE(platform::kernel::ClockNowMs() - before, 5u * 200u);
  EXPECT_EQ(app::GetText(app::kBatchWindow, app::batch::kStatusLabel, app::batch::kLabelCaption),
            Gbk("  完成：5 张照片已盖好水印，保存在“已处理”文件夹"));

  // The middles of the four quadrants (the watermark sits in the bottom-right corner, clear
  // of them) and the middle of the watermark box.
  const int sampleX[4] = {274, 822, 274, 822};
  const int sampleY[4] = {129, 129, 386, 386};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(ReadFile(input / names[i]), originals[i]);
    const Stamped out{ReadFile(program / "已处理" / names[i])};
    ASSERT_TRUE(out.IsPhotoArea());
    // The watermark box's corners, inside and just outside: the photo area is cut exactly.
    EXPECT_EQ(out.At(976, 395), 0xFF00FFu);
    EXPECT_EQ(out.At(1075, 494), 0xFF00FFu);
    EXPECT_NE(out.At(975, 394), 0xFF00FFu);
    EXPECT_NE(out.At(1076, 495), 0xFF00FFu);
    if (i == 2) {
      // What the window showed: the empty photo box, and the watermark on it.
      for (int q = 0; q < 4; ++q) EXPECT_EQ(out.At(sampleX[q], sampleY[q]), 0u) << q;
      continue;
    }
    const testing_jpeg::Decoded reference = testing_jpeg::Decode(originals[i]);
    for (int q = 0; q < 4; ++q) {
      const int rx = sampleX[q] * reference.width / 1096;
      const int ry = sampleY[q] * reference.height / 515;
      const uint8_t* p = &reference.rgb[(static_cast<size_t>(ry) * reference.width + rx) * 3];
      const uint32_t expected = (p[0] << 16) | (p[1] << 8) | p[2];
      EXPECT_TRUE(Near(out.At(sampleX[q], sampleY[q]), expected, 3))
          << "quadrant " << q << ": " << std::hex << out.At(sampleX[q], sampleY[q])
          << " instead of " << expected;
    }
  }
}

}  // namespace
