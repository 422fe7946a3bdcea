// The batch window stamping the photos of the program folder's input folder. Photos are real
// JPEGs made with libjpeg, which also decodes them as the reference for each output; the
// 200 ms pause per photo passes on the virtual clock.

#include <set>

#include "app/batch/BatchRun.h"
#include "app/batch/BatchWindowUnits.h"
#include "platform/kernel/Clock.h"
#include "tests/common/BmpFile.h"
#include "tests/common/Gbk.h"
#include "tests/common/JpegFile.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

namespace fs = std::filesystem;
namespace batch = app::batch;
using testing_gbk::Gbk;

// Four flat quadrants (top-left, top-right, bottom-left, bottom-right; 0xRRGGBB), so that
// any scaling leaves their middles alone.
std::vector<uint8_t> QuadrantPhoto(const std::vector<uint32_t>& q, int w = 320, int h = 240) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t c = q[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
      rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  }
  return testing_jpeg::Encode(rgb, w, h);
}

// An output: the photo area as a 32-bit BMP, empty if it is anything else.
testing_bmp::Pixels Stamped(const fs::path& file) {
  testing_bmp::Pixels p = testing_bmp::ReadBmp(ReadFile(file), 32);
  return p.width == 1096 && p.height == 515 ? p : testing_bmp::Pixels{};
}

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    names.insert(entry.path().filename().string());
  return names;
}

class BatchRunTest : public VelmoraTest {
 protected:
  void SetUp() override {
    VelmoraTest::SetUp();
    platform::kernel::UseVirtualClock(true);
  }
  void TearDown() override {
    VelmoraTest::TearDown();
    platform::kernel::UseVirtualClock(false);
  }
  // `relative` (UTF-8) under the test folder made the program folder, the window opened.
  fs::path ProgramFolder(const std::string& relative) {
    const fs::path folder = fs::path(Folder()) / relative;
    fs::create_directories(folder);
    rt::Runtime().runDirectory = Gbk(folder.string());
    OpenWindow(app::kBatchWindow);
    return folder;
  }
};

TEST_F(BatchRunTest, FolderCases) {
  const struct Case {
    const char* name;
    const char* programFolder;
    bool makeInput;
    std::vector<std::string> inputs;  // a trailing "/" makes a folder
    std::set<std::string> outputs;
  } cases[] = {
      {"no input folder", "p1", false, {}, {}},
      {"empty input folder", "p2", true, {}, {}},
      {"jpg names of any case, kept as they are",
       "p3",
       true,
       {"海边.jpg", "B.JPG", "c.jpeg", "d.png", "e.jpg.txt", "folder.jpg/"},
       {"海边.jpg", "B.JPG"}},
      {"program folder inside one named like the input", "待处理/程序", true, {"x.jpg"}, {"x.jpg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path program = ProgramFolder(c.programFolder);
    const fs::path input = program / "待处理", output = program / "已处理";
    if (c.makeInput) fs::create_directories(input);
    for (const std::string& name : c.inputs) {
      if (name.back() == '/') {
        fs::create_directories(input / name.substr(0, name.size() - 1));
      } else {
        WriteFile(input / name, QuadrantPhoto({0x102030, 0, 0, 0}));
      }
    }
    // A second run stamps what the folder holds now, not the first run's list again.
    for (int run = 0; run < 2; ++run) {
      EXPECT_EQ(batch::RunBatch(), static_cast<int32_t>(c.outputs.size())) << run;
    }
    EXPECT_EQ(FileNames(output), c.outputs);
    if (c.outputs.empty()) {
      EXPECT_FALSE(fs::exists(output));
    }
    for (const std::string& name : c.outputs) EXPECT_GT(Stamped(output / name).width, 0) << name;
    EXPECT_FALSE(fs::exists(fs::path(Folder()) / "已处理")) << "results sent elsewhere";
    app::CloseWindow(app::kBatchWindow);
    Pump();
  }
}

// As a user works it: a watermark chosen in the file dialog, then one press stamps five
// photos, one of which is no photo at all.
TEST_F(BatchRunTest, StampsAFolderThroughTheWindow) {
  const fs::path program = ProgramFolder("Velmora"), input = program / "待处理";
  fs::create_directories(input);
  const std::vector<uint32_t> photos[] = {{0xE03030, 0x30E030, 0x3030E0, 0xE0E030},
                                          {0x202020, 0xF0F0F0, 0x808080, 0x40A0C0},
                                          {},  // not a picture of any kind
                                          {0xA05010, 0x10A050, 0x5010A0, 0xC0C0C0},
                                          {0x906030, 0x309060, 0x603090, 0x10F010}};
  std::vector<std::vector<uint8_t>> originals;
  auto name = [](int i) { return "照片" + std::to_string(i + 1) + ".jpg"; };
  for (int i = 0; i < 5; ++i) {
    originals.push_back(i == 2 ? std::vector<uint8_t>(5000, 0x5A)
                               : QuadrantPhoto(photos[i], 400 + 40 * i, 300));
    WriteFile(input / name(i), originals.back());
  }
  const fs::path watermark = fs::path(Folder()) / "水印.bmp";
  WriteFile(watermark, testing_bmp::SolidBmp24(100, 100, 0xFF00FF));

  // A cancelled dialog keeps the watermark the window starts with; a chosen file replaces it.
  const auto shipped = ByteSetOf(app::kBatchWindow, batch::kWatermarkBox, batch::kPicBoxPicture);
  ASSERT_FALSE(shipped.empty());
  platform::testing::ScriptFileDialogCancel();
  ClickUnit(app::kBatchWindow, batch::kLoadButton);
  EXPECT_EQ(ByteSetOf(app::kBatchWindow, batch::kWatermarkBox, batch::kPicBoxPicture), shipped);
  platform::testing::ScriptFileDialogAnswer(Gbk(watermark.string()));
  ClickUnit(app::kBatchWindow, batch::kLoadButton);
  EXPECT_EQ(ByteSetOf(app::kBatchWindow, batch::kWatermarkBox, batch::kPicBoxPicture),
            ReadFile(watermark));
  const uint64_t before = platform::kernel::ClockNowMs();
  ClickUnit(app::kBatchWindow, batch::kStampButton);

  EXPECT_GE(platform::kernel::ClockNowMs() - before, 5u * 200u) << "each photo stood 200 ms";
  EXPECT_EQ(app::GetText(app::kBatchWindow, batch::kStatusLabel, batch::kLabelCaption),
            Gbk("  完成：5 张照片已盖好水印，保存在“已处理”文件夹"));
  // The middles of the quadrants, clear of the watermark in the bottom-right corner.
  const int sampleX[4] = {274, 822, 274, 822}, sampleY[4] = {129, 129, 386, 386};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(name(i));
    EXPECT_EQ(ReadFile(input / name(i)), originals[i]);
    const testing_bmp::Pixels out = Stamped(program / "已处理" / name(i));
    ASSERT_GT(out.width, 0);
    // The watermark box's corners, inside and just outside: the photo area is cut exactly.
    EXPECT_EQ(out.At(976, 395), 0xFF00FFu);
    EXPECT_EQ(out.At(1075, 494), 0xFF00FFu);
    EXPECT_NE(out.At(975, 394), 0xFF00FFu);
    EXPECT_NE(out.At(1076, 495), 0xFF00FFu);
    const testing_jpeg::Decoded reference =
        i == 2 ? testing_jpeg::Decoded{} : testing_jpeg::Decode(originals[i]);
    for (int q = 0; q < 4; ++q) {
      uint32_t expected = 0;  // the broken photo leaves the box empty
      if (i != 2) {
        const int rx = sampleX[q] * reference.width / 1096,
                  ry = sampleY[q] * reference.height / 515;
        const uint8_t* p = &reference.rgb[(static_cast<size_t>(ry) * reference.width + rx) * 3];
        expected = (p[0] << 16) | (p[1] << 8) | p[2];
      }
      const uint32_t got = out.At(sampleX[q], sampleY[q]);
      for (int shift = 0; shift < 24; shift += 8) {
        EXPECT_NEAR(int(got >> shift & 0xFF), int(expected >> shift & 0xFF), 3)
            << "quadrant " << q << std::hex << ": " << got << " for " << expected;
      }
    }
  }
}

}  // namespace
}  // namespace velmoratest
