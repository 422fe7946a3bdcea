// What the skins do to text: menu labels keep their access keys as underlines and fit the
// popup the menu layout sized for them, and every text a window shows reads on its ground
// under every made skin, the application's own black included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/testing/InputAutomation.h"
#include "tests/platform/controls/MenuTestSupport.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

using namespace window_test;
using platform::testing::CaptureWindow;
using platform::testing::Image;
using platform::testing::RunUntilIdle;

int Channel(uint32_t p, int shift) {
  return static_cast<int>((p >> shift) & 0xFF);
}

int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift : {0, 8, 16}) d = std::max(d, std::abs(Channel(a, shift) - Channel(b, shift)));
  return d;
}

// Which pixels of an area are text. Each row is measured against its own ground (a column
// known to hold none), so shaded bars work; a pixel is text when it is more than half way
// from the ground to the strongest difference in the area. Half coverage is where a glyph's
// edge falls whatever its colours, so the same text in two colour pairs gives one mask.
struct Ink {
  int width = 0, height = 0;
  std::vector<uint8_t> on;

  bool At(int x, int y) const { return on[static_cast<size_t>(y) * width + x] != 0; }
  int Count() const { return static_cast<int>(std::count(on.begin(), on.end(), 1)); }
};

Ink InkOf(const Image& image, RECT area, int groundX) {
  Ink ink;
  ink.width = area.right - area.left;
  ink.height = area.bottom - area.top;
  ink.on.assign(static_cast<size_t>(std::max(0, ink.width * ink.height)), 0);
  int strongest = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      strongest = std::max(strongest, Distance(image.At(x, y), image.At(groundX, y)));
  if (strongest < 40) return ink;  // nothing written here
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (2 * Distance(image.At(x, y), image.At(groundX, y)) > strongest)
        ink.on[static_cast<size_t>(y - area.top) * ink.width + x - area.left] = 1;
  return ink;
}

// A mask cut to the rows and columns that hold text.
Ink Trim(const Ink& ink) {
  int left = ink.width, right = 0, top = ink.height, bottom = 0;
  for (int y = 0; y < ink.height; ++y)
    for (int x = 0; x < ink.width; ++x)
      if (ink.At(x, y)) {
        left = std::min(left, x), right = std::max(right, x + 1);
        top = std::min(top, y), bottom = std::max(bottom, y + 1);
      }
  Ink out;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) out.on.push_back(ink.At(x, y) ? 1 : 0);
  out.width = std::max(0, right - left);
  out.height = std::max(0, bottom - top);
  return out;
}

// The runs of text in an area, separated by at least `gap` columns without any mark: the
// items of a bar, or a label and its shortcut. Each run is measured on its own, so a dimmer
// shortcut beside its label is still found whole.
std::vector<Ink> Pieces(const Image& image, const RECT& area, int groundX, int gap) {
  std::vector<Ink> pieces;
  auto marked = [&](int x) {
    for (int y = area.top; y < area.bottom; ++y)
      if (Distance(image.At(x, y), image.At(groundX, y)) > 24) return true;
    return false;
  };
  int start = -1, last = -1;
  for (int x = area.left; x <= area.right; ++x) {
    const bool any = x < area.right && marked(x);
    if (any) {
      if (start < 0) start = x;
      last = x;
    } else if (start >= 0 && (x - last > gap || x == area.right)) {
      pieces.push_back(Trim(InkOf(image, {start, area.top, last + 1, area.bottom}, groundX)));
      start = -1;
    }
  }
  return pieces;
}

// Pixels set in one mask and not in the other, top-left corners laid together.
int Mismatch(const Ink& a, const Ink& b) {
  int n = 0;
  for (int y = 0; y < std::max(a.height, b.height); ++y)
    for (int x = 0; x < std::max(a.width, b.width); ++x) {
      bool inA = x < a.width && y < a.height && a.At(x, y);
      bool inB = x < b.width && y < b.height && b.At(x, y);
      n += inA != inB ? 1 : 0;
    }
  return n;
}

// The reference: the text as DrawText writes it in the menu font, black on white, with
// room to spare, away from every window, menu and theme.
Ink Written(const char* text, UINT format) {
  constexpr int w = 400, h = 40;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  RECT all{0, 0, w, h};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, 0);
  SetBkMode(dc, TRANSPARENT);
  RECT box{10, 0, w - 10, h};
  DrawTextA(dc, text, -1, &box, format | DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  Image image;
  image.width = w;
  image.height = h;
  const auto* p = static_cast<const uint32_t*>(bits);
  image.pixels.assign(p, p + w * h);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return Trim(InkOf(image, {0, 0, w, h}, w - 1));
}

// Relative luminance and contrast ratio, as readability guidelines define them.
double Luminance(COLORREF c) {
  auto linear = [](int v) {
    double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) +
         0.0722 * linear(GetBValue(c));
}

double Contrast(COLORREF a, COLORREF b) {
  double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

constexpr double kReadable = 4.5;  // the usual floor for text

// A text against its ground: each row's ground is read in a column the text leaves
// empty, so shaded bars and captions are judged where the text lies; the text's colour is
// the pixel that stands out most.
struct Measured {
  double contrast = 1;
  COLORREF text = 0, ground = 0;
};

Measured Measure(const Image& image, const RECT& area, int groundX) {
  Measured m;
  for (int y = area.top; y < area.bottom; ++y) {
    const COLORREF ground = image.ColorAt(groundX, y);
    for (int x = area.left; x < area.right; ++x) {
      const double c = Contrast(image.ColorAt(x, y), ground);
      if (c > m.contrast) m = {c, image.ColorAt(x, y), ground};
    }
  }
  return m;
}

class SkinTextTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    attach_ = skin_test::LoadAttach();
    ASSERT_NE(attach_, nullptr);
  }
  void TearDown() override {
    VelmoraInstallTheme(nullptr);
    WindowTest::TearDown();
  }

  // Look 0 is the built-in one, 1..33 the made skins.
  void UseLook(int look) {
    if (look == 0) {
      VelmoraInstallTheme(nullptr);
      return;
    }
    const std::vector<uint8_t> block = skin_test::SkinBlock(look);
    ASSERT_EQ(attach_(block.data(), static_cast<int>(block.size()), "", 0, 0, 0), 1)
        << "skin " << look;
  }

  // Where a child lies inside its top-level window's capture.
  static RECT InCapture(HWND top, HWND child, int inset) {
    RECT w{}, c{};
    GetWindowRect(top, &w);
    GetWindowRect(child, &c);
    OffsetRect(&c, -w.left, -w.top);
    InflateRect(&c, -inset, -inset);
    return c;
  }

  skin_test::AttachFn attach_ = nullptr;
};

// The filter window's menus: access keys in the bar and in a popup, a shortcut, and a
// popup without shortcuts whose widest label alone sets its width.
const char* const kBar[] = {"\xCE\xC4\xBC\xFE(&F)", "\xC2\xCB\xBE\xB5(&L)"};  // 文件 滤镜
struct PopupEntry {
  const char* label;  // null: a separator
  const char* shortcut;
};
const std::vector<PopupEntry> kPopups[] = {
    {{"\xB4\xF2\xBF\xAA(&O)", "Ctrl+O"}, {nullptr, nullptr}, {"\xCD\xCB\xB3\xF6(&X)", nullptr}},
    {{"\xC8\xA1\xCF\xFB\xCB\xF9\xD3\xD0\xC2\xCB\xBE\xB5", nullptr},  // 取消所有滤镜
     {nullptr, nullptr},
     {"Emboss", nullptr},
     {"Black and White", nullptr}},
};

TEST_F(SkinTextTest, MenuLabelsAreWrittenWholeWithTheirAccessKeysUnderEveryLook) {
  // The same glyphs rasterised in other colours move an edge pixel here and there (four at
  // most in these labels); a literal '&' adds a glyph and shifts what follows, a missing
  // underline drops six pixels or more, a cut label whole columns.
  constexpr int kAllowed = 5;
  std::vector<Ink> bar;
  for (const char* text : kBar) bar.push_back(Written(text, 0));

  for (int look = 0; look <= skin_test::kMadeSkins; ++look) {
    SCOPED_TRACE("look " + std::to_string(look));
    UseLook(look);
    HMENU menu = CreateMenu();
    for (size_t p = 0; p < std::size(kBar); ++p) {
      HMENU popup = CreatePopupMenu();
      for (const PopupEntry& e : kPopups[p]) {
        if (e.label == nullptr) {
          AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
          continue;
        }
        std::string text = e.label;
        if (e.shortcut != nullptr) text += std::string("\t") + e.shortcut;
        AppendMenuA(popup, MF_STRING, 100, text.c_str());
      }
      AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), kBar[p]);
    }
    HWND w = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 20, 20, 420, 240, nullptr,
                  0, "Velmora", menu);
    SetForegroundWindow(w);
    RunUntilIdle();

    // The bar lies between the caption and the client area.
    const Image window = CaptureWindow(w);
    RECT frame{};
    GetWindowRect(w, &frame);
    POINT client{0, 0};
    ClientToScreen(w, &client);
    const RECT band{6, 30, window.width - 20, client.y - frame.top};
    const std::vector<Ink> items = Pieces(window, band, window.width - 12, 8);
    ASSERT_EQ(items.size(), 2u);
    for (size_t i = 0; i < items.size(); ++i)
      EXPECT_LE(Mismatch(items[i], bar[i]), kAllowed) << kBar[i];

    // Each popup as it is open: its label column starts after the check marks, and its
    // ground is read in the submenu-arrow column, empty in these menus.
    for (size_t p = 0; p < std::size(kBar); ++p) {
      Image popup;
      menu_test::MenuScript script;
      script.steps = {[&](HWND open) {
        popup = CaptureWindow(open);
        platform::testing::PressKey(VK_ESCAPE);
        platform::testing::PressKey(VK_ESCAPE);
      }};
      script.Attach(w);
      platform::testing::KeyDown(VK_MENU);
      platform::testing::PressKey(p == 0 ? 'F' : 'L');
      platform::testing::KeyUp(VK_MENU);
      RunUntilIdle();
      ASSERT_FALSE(popup.empty());
      int top = 3;
      for (const PopupEntry& e : kPopups[p]) {
        if (e.label == nullptr) {
          top += 8;
          continue;
        }
        const RECT row{25, top + 3, popup.width - 13, top + 17};
        top += 20;
        const std::vector<Ink> texts = Pieces(popup, row, popup.width - 12, 12);
        ASSERT_EQ(texts.size(), e.shortcut != nullptr ? 2u : 1u) << e.label;
        EXPECT_LE(Mismatch(texts[0], Written(e.label, 0)), kAllowed) << e.label;
        if (e.shortcut != nullptr) {
          EXPECT_LE(Mismatch(texts[1], Written(e.shortcut, DT_NOPREFIX)), kAllowed) << e.shortcut;
          // A shortcut may step back from its label, but stays text one can read.
          const RECT right{popup.width / 2, row.top, row.right, row.bottom};
          EXPECT_GE(Measure(popup, right, popup.width - 12).contrast, kReadable) << e.shortcut;
        }
      }
    }
    DestroyWindow(w);
    RunUntilIdle();
  }
}

TEST_F(SkinTextTest, EveryTextReadsOnItsGroundUnderEverySkin) {
  // Colours the application writes in without asking the skin: black, the default of its
  // labels and edit boxes, and the grey of the batch window's hint line.
  const COLORREF kApplicationInks[] = {RGB(0, 0, 0), RGB(0x50, 0x50, 0x50)};
  for (int look = 1; look <= skin_test::kMadeSkins; ++look) {
    SCOPED_TRACE("skin " + std::to_string(look));
    UseLook(look);
    HWND behind = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 320, 300, 80,
                       nullptr, 0, "\xD2\xBB\xB6\xFE\xC8\xFD\xD2\xBB\xB6\xFE\xC8\xFD");
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "\xD2\xBB\xB6\xFE\xC8\xFD");  // 一二三
    HWND w = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 460, 300, nullptr, 0,
                  "\xD2\xBB\xB6\xFE\xC8\xFD\xD2\xBB\xB6\xFE\xC8\xFD", menu);
    auto child = [&](const char* cls, const char* text, DWORD style, int x, int y, int cx, int cy) {
      return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, w, nullptr,
                             nullptr, nullptr);
    };
    const char* kText = "\xD2\xBB\xB6\xFE\xC8\xFD\xD2\xBB";  // 一二三一
    HWND label = child("STATIC", kText, SS_LEFT, 10, 10, 150, 30);
    HWND edit = child("EDIT", kText, WS_BORDER, 10, 50, 170, 34);
    HWND button = child("BUTTON", kText, BS_PUSHBUTTON, 200, 10, 130, 36);
    HWND list = child("LISTBOX", "", WS_BORDER, 200, 60, 150, 90);
    HWND status = child(STATUSCLASSNAMEA, "", 0, 0, 0, 0, 0);
    // Strokes two pixels wide reach the full text colour, which a measure of the strongest
    // pixel needs; the menu bar and the caption keep their own fonts.
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr);
    for (HWND control : {label, edit, button, list, status})
      SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kText));
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kText));
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(kText));
    SetForegroundWindow(w);
    RunUntilIdle();
    const Image shot = CaptureWindow(w);

    RECT frame{};
    GetWindowRect(w, &frame);
    POINT client{0, 0};
    ClientToScreen(w, &client);
    const RECT listBox = InCapture(w, list, 2);
    const int itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    const RECT labelBox = InCapture(w, label, 0), editBox = InCapture(w, edit, 3);
    const RECT buttonBox = InCapture(w, button, 4), statusBox = InCapture(w, status, 3);
    const struct {
      const char* what;
      RECT area;
      int groundX;  // a column the text leaves empty
    } texts[] = {
        {"caption", {26, 6, shot.width - 80, 28}, shot.width - 78},
        {"menu bar", {6, 30, 80, static_cast<int>(client.y - frame.top)}, shot.width - 12},
        {"label", labelBox, labelBox.right - 3},
        {"edit", editBox, editBox.right - 3},
        {"push button", buttonBox, buttonBox.left + 2},
        {"list item",
         {listBox.left, listBox.top, listBox.right, listBox.top + itemHeight},
         listBox.right - 3},
        {"selected list item",
         {listBox.left, listBox.top + itemHeight, listBox.right, listBox.top + 2 * itemHeight},
         listBox.right - 3},
        {"status bar", statusBox, statusBox.right - 3},
    };
    for (const auto& t : texts) {
      const Measured m = Measure(shot, t.area, t.groundX);
      EXPECT_GE(m.contrast, kReadable)
          << t.what << ": text " << std::hex << m.text << " on " << m.ground;
    }
    // An inactive title may step back, but not out of sight.
    const Image idle = CaptureWindow(behind);
    EXPECT_GE(Measure(idle, {26, 6, idle.width - 80, 28}, idle.width - 78).contrast, 3.0)
        << "inactive caption";
    // The grounds the application writes on with colours of its own.
    for (const auto& [what, ground] :
         {std::pair{"label", shot.ColorAt(labelBox.right - 3, labelBox.top + 4)},
          std::pair{"edit", shot.ColorAt(editBox.right - 3, editBox.top + 4)}}) {
      for (COLORREF ink : kApplicationInks)
        EXPECT_GE(Contrast(ink, ground), kReadable)
            << what << " ground " << std::hex << ground << " under " << ink;
    }
    DestroyWindow(w);
    DestroyWindow(behind);
    RunUntilIdle();
    DeleteObject(font);
  }
}

}  // namespace
