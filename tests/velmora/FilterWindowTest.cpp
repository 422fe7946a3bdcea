// The image-processing window driven by its menu, the box read back pixel by pixel against
// the plain working of each filter below. The box is made so small that every
// pixel, the bands beside the photo and the white beyond its edges all count.

#include <cmath>
#include <set>

#include "app/filters/FilterPass.h"
#include "app/filterwindow/FilterWindowUnits.h"
#include "platform/wingdi.h"
#include "platform/winuser_controls.h"
#include "tests/common/BmpFile.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

namespace dialogs = platform::testing;
using app::kFilterWindow;
using Kind = app::FilterKind;
using namespace app::filterwindow;

// A second, deliberately plain working of the filters: channel triples with white outside,
// each formula in whole numbers where the arithmetic is exact (the program's doubles
// truncate to the same values there), in doubles only where rounding is the point.
struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Colours as the box holds them; white outside.
struct Picture {
  Picture(int width, int height) : w(width), h(height), px(static_cast<size_t>(w * h)) {}
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  Rgb At(int x, int y) const { return Inside(x, y) ? px[y * w + x] : Rgb{255, 255, 255}; }
  // The colour as a signed number, -1 outside, as Rects reads it.
  int64_t Raw(int x, int y) const {
    return Inside(x, y) ? At(x, y).b * 65536 + At(x, y).g * 256 + At(x, y).r : -1;
  }
  void Put(int x, int y, int r, int g, int b) {
    if (Inside(x, y)) px[y * w + x] = {r & 255, g & 255, b & 255};
  }
  bool operator==(const Picture&) const = default;

  int w, h;
  std::vector<Rgb> px;
};

int Clamp(int v) {
  return v > 255 ? 255 : (v < 0 ? 0 : v);
}

// trunc(|a| - |s| / 4) in whole numbers: |s| / 4 rounds up when the result is not negative
// and down when it is.
int64_t RectsValue(int64_t c0, int64_t s) {
  const int64_t a = std::llabs(c0), m = std::llabs(s);
  if (m % 4 == 0) return a - m / 4;
  return 4 * a - m >= 0 ? a - m / 4 - 1 : a - m / 4;
}

// sin(arctan(n / d)) * 125 + 20 for channel values; n / d = 0 / 0 counts as 0.
int Strange(int n, int d) {
  if (d == 0) return n > 0 ? 145 : 0;
  return static_cast<int>(std::sin(std::atan(static_cast<double>(n) / d)) * 125 + 20);
}

int Aqua(int a, int b) {
  return ((a - b) ^ 2) / 125;
}

int Heat(int c, int d, int e) {
  return static_cast<int>((c ^ 2) * 128.0 / (d + e + 10));
}

// One pass in place, columns 0..w and rows 0..h as the program scans them. Diffuse is left
// out: its offsets are random.
void Apply(Kind f, Picture& p) {
  for (int x = 0; x <= p.w; ++x) {
    for (int y = 0; y <= p.h; ++y) {
      const Rgb c = p.At(x, y), q = p.At(x + 1, y + 1), s = p.At(x - 1, y - 1);
      Rgb o = c;
      switch (f) {
        case Kind::kEmboss:
          o = {std::abs(c.r - q.r + 128), std::abs(c.g - q.g + 128), std::abs(c.b - q.b + 128)};
          break;
        case Kind::kSharpen:
          o = {Clamp((3 * c.r - 2 * s.r) / 2), Clamp((3 * c.g - 2 * s.g) / 2),
               Clamp((3 * c.b - 2 * s.b) / 2)};
          break;
        case Kind::kDiffuse:
          return;
        case Kind::kRects: {
          const int64_t v = RectsValue(
              p.Raw(x, y), p.Raw(x + 1, y) + p.Raw(x - 1, y) + p.Raw(x, y + 1) + p.Raw(x, y - 1));
          o = {int(v & 255), int(v >> 8 & 255), int(v >> 16 & 255)};  // the top byte is ignored
          break;
        }
        case Kind::kBrightness: {
          const int a = (c.r + c.g + c.b) / 3;
          o = {c.r + a, c.g + a, c.b + a};
          break;
        }
        case Kind::kIce:
          o = {std::abs(c.r - c.g - c.b) * 3 / 2, std::abs(c.g - c.b - c.r) * 3 / 2,
               std::abs(c.b - c.r - c.g) * 3 / 2};
          break;
        case Kind::kDark:
          o = {std::abs(c.r - 64), std::abs(c.g - 64), std::abs(c.b - 64)};
          break;
        case Kind::kHeat:
          o = {Heat(c.r, c.b, c.g), Heat(c.g, c.r, c.b), Heat(c.b, c.g, c.r)};
          break;
        case Kind::kStrange:
          o = {Strange(c.g, c.b), Strange(c.r, c.b), Strange(c.r, c.g)};
          break;
        case Kind::kAqua:
          o = {Aqua(c.g, c.b), Aqua(c.r, c.b), Aqua(c.r, c.g)};
          break;
        case Kind::kNight:
          o = {c.r * c.r / 256, c.g * c.g / 256, c.b * c.b / 256};
          break;
        case Kind::kAfrika:
          o.r = c.g * c.b / 256, o.g = c.b * o.r / 256, o.b = o.r * o.g / 256;
          break;
        case Kind::kBlur:
          o = {};
          for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
              o = {o.r + p.At(x + dx, y + dy).r, o.g + p.At(x + dx, y + dy).g,
                   o.b + p.At(x + dx, y + dy).b};
          o = {o.r / 10, o.g / 10, o.b / 10};
          break;
        case Kind::kGreyscale:
          o.r = o.g = o.b = static_cast<int>(c.r * 0.3 + c.g * 0.59 + c.b * 0.11);
          break;
        case Kind::kComic: {
          const int r = std::abs(c.r * (2 * c.g - c.b + c.r)) / 256;
          const int g = std::abs(r * (2 * c.b - c.g + r)) / 256;
          o.r = o.g = o.b = (r + g + g * (g + r) / 256) / 3;
          break;
        }
        case Kind::kBlackAndWhite:
          o.r = o.g = o.b = c.r < 200 && c.g < 200 && c.b < 200 ? 0 : 255;
          break;
      }
      p.Put(x, y, o.r, o.g, o.b);
    }
  }
}

// Menu command ids count from 20000 in menu order: "文件(&F)", "打开(&O)", "-", "退出(&X)",
// "滤镜(&L)", "取消所有滤镜", "-", then the filters.
constexpr WPARAM kOpenCommand = 20001, kExitCommand = 20003, kRemoveFiltersCommand = 20005;
constexpr WPARAM FilterCommand(Kind filter) {
  return 20007 + static_cast<WPARAM>(filter);
}
const std::string kDone = "\xCD\xEA\xB3\xC9";  // "完成"

// 9 x 6 with the values the formulas single out (black, white, a channel of 250 over
// zeros, zero divisors for Strange, the 200 threshold) among mixed colours.
std::vector<uint32_t> PhotoPixels() {
  std::vector<uint32_t> px = {0x000000, 0xFFFFFF, 0x0000FA, 0x0A0000, 0xC86432,
                              0xC7C7C7, 0xC80000, 0x808080, 0x00FF00, 0x3C2814};
  for (uint32_t i = 10; i < 54; ++i)
    px.push_back(((i * 37) & 0xFF) << 16 | ((i * 91 + 13) & 0xFF) << 8 | ((255 - i * 23) & 0xFF));
  return px;
}

std::vector<uint8_t> HandedOver() {
  const rt::ByteSetView view = rt::ViewByteSet(app::G().processedPicture);
  return {view.data, view.data + view.size};
}

using P = std::pair<int, int>;

class FilterWindowTest : public VelmoraTest {
 protected:
  // The photo opened through "打开(&O)" into a box shrunk to a 12 x 9 client area (its sunken
  // border takes two pixels a side), where it sits centred.
  void SetUp() override {
    VelmoraTest::SetUp();
    OpenWindow(kFilterWindow);
    ASSERT_NE(Handle(kFilterWindow), nullptr);
    app::SetInt(kFilterWindow, kPhotoBox, app::kWidth, 16);
    app::SetInt(kFilterWindow, kPhotoBox, app::kHeight, 13);
    box_ = Handle(kFilterWindow, kPhotoBox);
    WriteFile(Folder() + "/photo.bmp", testing_bmp::Bmp24(9, 6, PhotoPixels()));
    dialogs::ScriptFileDialogAnswer(Folder() + "/photo.bmp");
    Command(kOpenCommand);
    original_ = Shown();
    ASSERT_EQ(P(original_.w, original_.h), P(12, 9));
    ASSERT_EQ(original_.At(2, 1), (Rgb{255, 255, 255})) << "the photo is not in the box";
  }
  static void Command(WPARAM id) {
    PostMessageA(Handle(kFilterWindow), WM_COMMAND, id, 0);
    Pump();
  }
  Picture Shown() const {
    RECT client{};
    GetClientRect(box_, &client);
    Picture p(client.right, client.bottom);
    HDC dc = GetDC(box_);
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        p.Put(x, y, GetRValue(c), GetGValue(c), GetBValue(c));
      }
    ReleaseDC(box_, dc);
    return p;
  }
  std::string StatusText() const {
    char text[64] = {};
    SendMessageA(Handle(kFilterWindow, kStatusBar), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }
  // A BMP of the box's whole window, border included, whose client area shows `shown`.
  void ExpectSnapshotOf(const std::vector<uint8_t>& file, const Picture& shown) const {
    RECT outer{};
    GetWindowRect(box_, &outer);
    POINT origin{0, 0};
    ClientToScreen(box_, &origin);
    const testing_bmp::Pixels bmp = testing_bmp::ReadBmp(file, 24);
    ASSERT_EQ(P(bmp.width, bmp.height), P(outer.right - outer.left, outer.bottom - outer.top));
    for (int y = 0; y < shown.h; ++y)
      for (int x = 0; x < shown.w; ++x) {
        const uint32_t c = bmp.At(x + origin.x - outer.left, y + origin.y - outer.top);
        ASSERT_EQ((Rgb{int(c >> 16), int(c >> 8 & 255), int(c & 255)}), shown.At(x, y));
      }
  }

  HWND box_ = nullptr;
  Picture original_{0, 0};
};

// Every filter but Diffuse with "取消所有滤镜" between them; then three that compound, each
// working on what the one before drew.
TEST_F(FilterWindowTest, EachFilterFromTheMenuMatchesTheReference) {
  for (int k = 0; k < app::kFilterCount; ++k) {
    const auto f = static_cast<Kind>(k);
    if (f == Kind::kDiffuse) continue;
    SCOPED_TRACE(app::FilterName(f));
    Command(FilterCommand(f));
    Picture expected = original_;
    Apply(f, expected);
    EXPECT_EQ(Shown(), expected);
    EXPECT_FALSE(app::GetInt(kFilterWindow, kProgressBar, app::kVisible));
    EXPECT_EQ(app::GetInt(kFilterWindow, kProgressBar, kProgressPosition), 100);
    EXPECT_EQ(StatusText(), kDone);
    Command(kRemoveFiltersCommand);
    ASSERT_EQ(Shown(), original_);
  }
  Picture expected = original_;
  for (Kind f : {Kind::kDark, Kind::kNight, Kind::kSharpen}) {
    Command(FilterCommand(f));
    Apply(f, expected);
  }
  EXPECT_EQ(Shown(), expected);
  // A box without client width: the pass has nothing to do, and its one progress value,
  // 0 / 0, comes out as 0.
  app::SetInt(kFilterWindow, kPhotoBox, app::kWidth, 4);
  Command(FilterCommand(Kind::kBlur));
  EXPECT_EQ(app::GetInt(kFilterWindow, kProgressBar, kProgressPosition), 0);
  EXPECT_EQ(StatusText(), kDone);
}

// Each channel comes from two to five pixels down (red), right (green) or down and right
// (blue), or is white when that lies beyond the edge.
TEST_F(FilterWindowTest, DiffuseTakesEachChannelFromTwoToFivePixelsAway) {
  Command(FilterCommand(Kind::kDiffuse));
  const Picture shown = Shown();
  for (int x = 0; x < shown.w; ++x) {
    for (int y = 0; y < shown.h; ++y) {
      std::set<int> reds, greens, blues;
      for (int d = 2; d <= 5; ++d) {
        reds.insert(original_.At(x, y + d).r);
        greens.insert(original_.At(x + d, y).g);
        blues.insert(original_.At(x + d, y + d).b);
      }
      const Rgb c = shown.At(x, y);
      EXPECT_TRUE(reds.count(c.r) && greens.count(c.g) && blues.count(c.b)) << x << ", " << y;
    }
  }
}

// A filter chosen during a pass runs as a pass of its own and leaves the first its handles,
// so that one finishes on its copy and draws last. Closing the window during a pass ends it
// quietly, where the next progress update of the closed window used to stop the program.
TEST_F(FilterWindowTest, EventsDuringAPassNeitherTakeOverItsHandlesNorEndTheProgram) {
  Picture expected = original_;
  Apply(Kind::kDark, expected);
  PostMessageA(Handle(kFilterWindow), WM_COMMAND, FilterCommand(Kind::kDark), 0);
  PostMessageA(Handle(kFilterWindow), WM_COMMAND, FilterCommand(Kind::kEmboss), 0);
  Pump();
  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(app::G().filterPass.memoryDc, 0);
  EXPECT_EQ(app::G().filterPass.bitmap, 0);

  PostMessageA(Handle(kFilterWindow), WM_COMMAND, FilterCommand(Kind::kBlur), 0);
  PostMessageA(Handle(kFilterWindow), WM_COMMAND, kExitCommand, 0);
  Pump();
  EXPECT_EQ(Handle(kFilterWindow), nullptr);
  EXPECT_TRUE(dialogs::TakeMessageBoxLog().empty()) << "a runtime error was shown";
}

// A cancelled open leaves the picture; "保存此图片" writes the box's snapshot whatever the
// extension, and a cancelled save writes nothing, where it used to overwrite the file chosen
// before (the snapshot is still handed over to the other windows).
TEST_F(FilterWindowTest, CancelledDialogsChangeNothingAndSaveWritesWhatTheBoxShows) {
  dialogs::ScriptFileDialogCancel();
  Command(kOpenCommand);
  EXPECT_EQ(Shown(), original_) << "a cancelled open changed the picture";
  Command(FilterCommand(Kind::kNight));
  const std::string target = Folder() + "/saved.jpg";
  dialogs::ScriptFileDialogAnswer(target);
  ClickUnit(kFilterWindow, kSaveButton);
  const std::vector<uint8_t> saved = ReadFile(target);
  ExpectSnapshotOf(saved, Shown());
  EXPECT_EQ(HandedOver(), saved);

  WriteFile(target, {'k', 'e', 'p', 't'});
  Command(FilterCommand(Kind::kEmboss));
  dialogs::ScriptFileDialogCancel();
  ClickUnit(kFilterWindow, kSaveButton);
  EXPECT_EQ(ReadFile(target), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
  ExpectSnapshotOf(HandedOver(), Shown());
  EXPECT_EQ(dialogs::TakeFileDialogLog().size(), 4u);  // open twice, save twice
}

}  // namespace
}  // namespace velmoratest
