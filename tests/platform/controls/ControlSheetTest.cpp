// The control sheet: every control in its states, a menu bar with an open popup and a
// message box, once with the built-in look and once with the sample theme loaded from its
// shared object. Written as a PNG when VELMORA_CONTROL_SHEET names a file; without it the
// test still checks that everything creates and paints and that the theme shows.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "tests/platform/controls/MenuTestSupport.h"

namespace {

using namespace window_test;
using platform::testing::CaptureScreen;
using platform::testing::CaptureWindow;
using platform::testing::Image;
using platform::testing::RunUntilIdle;

constexpr int kGalleryX = 20, kGalleryY = 20, kGalleryW = 700, kGalleryH = 470;
constexpr int kMenuX = 20, kMenuY = 520, kMenuW = 330, kMenuH = 200;
// The menu shot reaches below the window so the open popup is in it.
constexpr int kMenuShotH = 260;

class ControlSheetTest : public WindowTest {
 protected:
  void TearDown() override {
    platform::testing::ClearDialogDriver();
    VelmoraInstallTheme(nullptr);
    WindowTest::TearDown();
  }

  HWND Control(const char* cls, const char* text, DWORD style, int x, int y, int w, int h) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, gallery_,
                             nullptr, nullptr, nullptr);
    EXPECT_NE(c, nullptr) << cls << " " << text;
    ++created_;
    return c;
  }

  // One window with every control in its states.
  HWND BuildGallery() {
    gallery_ = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE,
                    kGalleryX, kGalleryY, kGalleryW, kGalleryH, nullptr, 0, "Controls");
    SetForegroundWindow(gallery_);
    int y = 10;
    Control("BUTTON", "Normal", BS_PUSHBUTTON, 10, y, 90, 26);
    Control("BUTTON", "Default", BS_DEFPUSHBUTTON, 110, y, 90, 26);
    HWND pressed = Control("BUTTON", "Pressed", BS_PUSHBUTTON, 210, y, 90, 26);
    HWND focused = Control("BUTTON", "Focused", BS_PUSHBUTTON, 310, y, 90, 26);
    Control("BUTTON", "Disabled", BS_PUSHBUTTON | WS_DISABLED, 410, y, 90, 26);
    SendMessageA(pressed, BM_SETSTATE, TRUE, 0);
    SetFocus(focused);
    y += 36;
    HWND check = Control("BUTTON", "Checked", BS_AUTOCHECKBOX, 10, y, 100, 20);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    Control("BUTTON", "Unchecked", BS_AUTOCHECKBOX, 120, y, 100, 20);
    HWND radio = Control("BUTTON", "Radio on", BS_AUTORADIOBUTTON, 230, y, 100, 20);
    SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
    Control("BUTTON", "Radio off", BS_AUTORADIOBUTTON, 340, y, 100, 20);
    Control("BUTTON", "Disabled", BS_AUTOCHECKBOX | WS_DISABLED, 450, y, 100, 20);
    y += 30;
    Control("BUTTON", "Group", BS_GROUPBOX, 10, y, 240, 70);
    Control("STATIC", "Left text", SS_LEFT, 20, y + 20, 220, 16);
    Control("STATIC", "Centred text", SS_CENTER, 20, y + 36, 220, 16);
    Control("STATIC", "Right text", SS_RIGHT, 20, y + 52, 220, 16);
    HWND single = Control("EDIT", "Selected text", WS_BORDER | ES_AUTOHSCROLL, 260, y, 150, 22);
    SendMessageA(single, EM_SETSEL, 0, 8);
    Control("EDIT", "Read-only", WS_BORDER | ES_READONLY, 260, y + 26, 150, 22);
    Control("EDIT", "secret", WS_BORDER | ES_PASSWORD, 260, y + 52, 150, 22);
    HWND multi = Control("EDIT", "First line\r\nSecond line\r\nThird line\r\nFourth line\r\nFifth",
                         WS_BORDER | ES_MULTILINE | WS_VSCROLL | ES_AUTOVSCROLL, 420, y, 180, 74);
    SendMessageA(multi, EM_SETSEL, 0, 5);
    y += 84;
    HWND list = Control("LISTBOX", "", WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 10, y, 140, 90);
    for (const char* item : {"Apple", "Banana", "Cherry", "Damson", "Elder", "Fig", "Grape"}) {
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    HWND closed = Control("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 160, y, 140, 150);
    dropped_ = Control("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 310, y, 140, 150);
    for (HWND combo : {closed, dropped_}) {
      for (const char* item : {"Small", "Medium", "Large"}) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      }
      SendMessageA(combo, CB_SETCURSEL, 1, 0);
    }
    HWND vscroll = Control("SCROLLBAR", "", SBS_VERT, 620, y, 17, 120);
    HWND hscroll = Control("SCROLLBAR", "", SBS_HORZ, 460, y + 100, 150, 17);
    for (HWND bar : {vscroll, hscroll}) {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      info.nMax = 100;
      info.nPage = 20;
      info.nPos = 30;
      SetScrollInfo(bar, SB_CTL, &info, TRUE);
    }
    y += 130;
    HWND smooth = Control(PROGRESS_CLASSA, "", PBS_SMOOTH, 10, y, 200, 18);
    HWND segmented = Control(PROGRESS_CLASSA, "", 0, 10, y + 26, 200, 18);
    HWND vertical = Control(PROGRESS_CLASSA, "", PBS_VERTICAL, 220, y, 18, 90);
    SendMessageA(smooth, PBM_SETPOS, 65, 0);
    SendMessageA(segmented, PBM_SETPOS, 40, 0);
    SendMessageA(vertical, PBM_SETPOS, 70, 0);
    HWND htrack = Control(TRACKBAR_CLASSA, "", TBS_HORZ | TBS_AUTOTICKS, 250, y, 200, 36);
    HWND vtrack = Control(TRACKBAR_CLASSA, "", TBS_VERT | TBS_AUTOTICKS, 460, y, 36, 100);
    for (HWND track : {htrack, vtrack}) {
      SendMessageA(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
      SendMessageA(track, TBM_SETPOS, TRUE, 3);
    }
    HWND status = Control(STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, 0, 0, 0, 0);
    int parts[] = {200, 400, -1};
    SendMessageA(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Ready"));
    SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("Part two"));
    SendMessageA(status, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>("Grip at the right"));
    RunUntilIdle();
    SendMessageA(dropped_, CB_SHOWDROPDOWN, TRUE, 0);
    RunUntilIdle();
    return gallery_;
  }

  // The gallery with the dropped list (a popup of its own) from the composed screen.
  Image ShootGallery() {
    Image shot = Crop(CaptureScreen(), kGalleryX, kGalleryY, kGalleryW, kGalleryH + 60);
    SendMessageA(dropped_, CB_SHOWDROPDOWN, FALSE, 0);
    RunUntilIdle();
    return shot;
  }

  // A window with a menu bar whose File menu is open, shot from inside the menu loop.
  Image ShootMenu(bool* popupSeen) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 1, "&New\tCtrl+N");
    AppendMenuA(file, MF_STRING | MF_CHECKED, 2, "&Autosave");
    AppendMenuA(file, MF_STRING | MF_GRAYED, 3, "&Print\tCtrl+P");
    HMENU recent = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, 5, "photo.png");
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 4, "E&xit");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_STRING, 6, "&Edit");
    AppendMenuA(bar, MF_STRING, 7, "&View");
    HWND w = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, kMenuX, kMenuY, kMenuW,
                  kMenuH, nullptr, 0, "Menus", bar);
    SetForegroundWindow(w);
    RunUntilIdle();
    Image shot;
    menu_test::MenuScript script;
    script.steps = {[&](HWND) { platform::testing::PressKey(VK_DOWN); },  // hover the check mark
                    [&](HWND popup) {
                      *popupSeen = popup != nullptr;
                      shot = Crop(CaptureScreen(), kMenuX, kMenuY, kMenuW, kMenuShotH);
                      platform::testing::PressKey(VK_ESCAPE);
                    }};
    script.Attach(w);
    KeyDown(VK_MENU);
    platform::testing::PressKey('F');
    KeyUp(VK_MENU);
    RunUntilIdle();
    DestroyWindow(w);
    DestroyMenu(bar);
    return shot;
  }

  static void KeyDown(int vk) { platform::testing::KeyDown(vk); }
  static void KeyUp(int vk) { platform::testing::KeyUp(vk); }

  Image ShootMessageBox() {
    Image shot;
    platform::testing::SetDialogDriver([&](HWND box) {
      shot = CaptureWindow(box);
      platform::testing::PressKey(VK_ESCAPE);
    });
    MessageBoxA(nullptr, "Save the changes to photo.png?", "Velmora",
                MB_YESNOCANCEL | MB_ICONQUESTION);
    platform::testing::ClearDialogDriver();
    return shot;
  }

  // Runs a modal dialog with a driver that shoots it and closes it with Esc.
  template <class Show>
  Image ShootDialog(Show show) {
    Image shot;
    platform::testing::SetDialogDriver([&](HWND dialog) {
      shot = CaptureWindow(dialog);
      platform::testing::PressKey(VK_ESCAPE);
    });
    show();
    platform::testing::ClearDialogDriver();
    return shot;
  }

  Image ShootFileDialog(bool save) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "velmora-control-sheet";
    fs::create_directories(folder / "Albums");
    for (const char* name : {"beach.png", "portrait.jpg", "notes.txt"})
      std::ofstream(folder / name) << "x";
    const std::string dir = folder.string();
    char file[260] = "beach.png";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "Pictures\0*.png;*.jpg\0All files\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = dir.c_str();
    ofn.lpstrTitle = save ? "Save picture" : "Open picture";
    ofn.Flags = OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    return ShootDialog([&] { save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn); });
  }

  Image ShootFontDialog() {
    LOGFONTA font{};
    font.lfHeight = -16;
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.lpLogFont = &font;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS;
    cf.rgbColors = RGB(0, 0, 128);
    return ShootDialog([&] { ChooseFontA(&cf); });
  }

  static Image Crop(const Image& from, int x, int y, int w, int h) {
    Image out;
    if (from.empty()) return out;
    out.width = std::min(w, from.width - x);
    out.height = std::min(h, from.height - y);
    if (out.width <= 0 || out.height <= 0) return Image{};
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (int row = 0; row < out.height; ++row) {
      for (int col = 0; col < out.width; ++col) {
        out.pixels[static_cast<size_t>(row) * out.width + col] = from.At(x + col, y + row);
      }
    }
    return out;
  }

  static void Paste(Image* sheet, const Image& piece, int x, int y) {
    for (int row = 0; row < piece.height && y + row < sheet->height; ++row) {
      for (int col = 0; col < piece.width && x + col < sheet->width; ++col) {
        sheet->pixels[static_cast<size_t>(y + row) * sheet->width + x + col] = piece.At(col, row);
      }
    }
  }

  static size_t Differing(const Image& a, const Image& b) {
    size_t n = 0;
    for (int y = 0; y < std::min(a.height, b.height); ++y) {
      for (int x = 0; x < std::min(a.width, b.width); ++x) n += a.At(x, y) != b.At(x, y) ? 1 : 0;
    }
    return n;
  }

  struct Shots {
    Image gallery, menu, box, open, save, font;
    bool popupSeen = false;
  };

  Shots ShootAll() {
    Shots s;
    created_ = 0;
    BuildGallery();
    s.gallery = ShootGallery();
    DestroyWindow(gallery_);
    RunUntilIdle();
    s.menu = ShootMenu(&s.popupSeen);
    s.box = ShootMessageBox();
    s.open = ShootFileDialog(false);
    s.save = ShootFileDialog(true);
    s.font = ShootFontDialog();
    return s;
  }

  HWND gallery_ = nullptr;
  HWND dropped_ = nullptr;
  int created_ = 0;
};

TEST_F(ControlSheetTest, EveryControlPaintsInBothThemes) {
  Shots plain = ShootAll();
  const int controls = created_;
  HMODULE library = LoadLibraryA(VELMORA_SAMPLE_THEME);
  ASSERT_NE(library, nullptr);
  auto attach = reinterpret_cast<int (*)()>(
      reinterpret_cast<void*>(GetProcAddress(library, "SampleThemeAttach")));
  ASSERT_NE(attach, nullptr);
  ASSERT_EQ(attach(), 1);
  Shots themed = ShootAll();
  VelmoraInstallTheme(nullptr);

  EXPECT_EQ(controls, 29) << "each one created (a failure above names it)";
  for (const Shots* s : {&plain, &themed}) {
    EXPECT_FALSE(s->gallery.empty());
    EXPECT_FALSE(s->menu.empty());
    EXPECT_TRUE(s->popupSeen) << "the menu loop showed the popup";
    EXPECT_FALSE(s->box.empty()) << "the message box appeared as a window";
    EXPECT_FALSE(s->open.empty());
    EXPECT_FALSE(s->save.empty());
    EXPECT_FALSE(s->font.empty());
  }
  // The theme changes most of what is shown: palette, frames and control pieces.
  const size_t area = static_cast<size_t>(plain.gallery.width) * plain.gallery.height;
  EXPECT_GT(Differing(plain.gallery, themed.gallery), area / 2);
  EXPECT_GT(Differing(plain.menu, themed.menu),
            static_cast<size_t>(plain.menu.width) * plain.menu.height / 4);

  const char* path = std::getenv("VELMORA_CONTROL_SHEET");
  if (path == nullptr || *path == '\0') return;
  // Default look on the left, the sample theme on the right: the controls, then the menu
  // and the message box, then the file and font dialogs.
  int column = kGalleryW;
  int dialogsHeight = 0;
  for (const Shots* s : {&plain, &themed}) {
    column = std::max(column, s->open.width + 10 + s->save.width);
    dialogsHeight = std::max({dialogsHeight, s->open.height, s->save.height});
  }
  column += 20;
  const int fontRow = 10 + plain.gallery.height + 10 + std::max(kMenuShotH, plain.box.height) + 10 +
                      dialogsHeight + 10;
  Image sheet;
  sheet.width = 2 * column + 10;
  sheet.height = fontRow + std::max(plain.font.height, themed.font.height) + 10;
  sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height, 0x00808080);
  const Shots* both[2] = {&plain, &themed};
  for (int i = 0; i < 2; ++i) {
    const Shots& s = *both[i];
    const int x = 10 + i * column;
    Paste(&sheet, s.gallery, x, 10);
    const int second = 20 + s.gallery.height;
    Paste(&sheet, s.menu, x, second);
    Paste(&sheet, s.box, x + kMenuW + 20, second);
    const int third = second + std::max(kMenuShotH, s.box.height) + 10;
    Paste(&sheet, s.open, x, third);
    Paste(&sheet, s.save, x + s.open.width + 10, third);
    Paste(&sheet, s.font, x, fontRow);
  }
  EXPECT_TRUE(platform::testing::WritePng(sheet, path));
}

}  // namespace
