// Opens captioned top-level windows: two with painted child windows, one with the system
// controls and a menu bar; runs until all are closed. Text is GBK, as everywhere in the
// program.
#include <cstdio>
#include <string>

#include "platform/presenters/ProgramPresenter.h"
#include "platform/user/Presenter.h"
#include "platform/user32.h"

namespace {

constexpr char kFrameClass[] = "VelmoraDemoFrame";
constexpr char kPanelClass[] = "VelmoraDemoPanel";
constexpr char kTextClass[] = "VelmoraDemoText";
constexpr char kShapesClass[] = "VelmoraDemoShapes";

constexpr char kSongTi[] = "\xCB\xCE\xCC\xE5";  // 宋体
// 宋体：你好，窗口演示
constexpr char kChineseLine[] =
    "\xCB\xCE\xCC\xE5\xA3\xBA\xC4\xE3\xBA\xC3\xA3\xAC\xB4\xB0\xBF\xDA\xD1\xDD\xCA\xBE";
// 第二个窗口
constexpr char kSecondTitle[] = "Velmora demo \xB5\xDA\xB6\xFE\xB8\xF6\xB4\xB0\xBF\xDA";

// 照片：海边的日落
constexpr char kEditText[] = "\xD5\xD5\xC6\xAC\xA3\xBA\xBA\xA3\xB1\xDF\xB5\xC4\xC8\xD5\xC2\xE4";
// 文件(&F), 打开(&O)
constexpr char kFileMenu[] = "\xCE\xC4\xBC\xFE(&F)";
constexpr char kOpen[] = "\xB4\xF2\xBF\xAA(&O)\tCtrl+O";
// Velmora demo: 控件
constexpr char kControlsTitle[] = "Velmora demo: \xBF\xD8\xBC\xFE";

int g_openFrames = 0;
// What was typed into either window (GBK), shown by the text panels.
std::string g_typed;
HWND g_textPanels[2] = {};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      ++g_openFrames;
      return 0;
    case WM_DESTROY:
      if (--g_openFrames == 0) PostQuitMessage(0);
      return 0;
    case WM_CHAR:
      if (wParam == VK_BACK) {
        if (!g_typed.empty()) g_typed.pop_back();
      } else if (wParam >= 0x20) {
        g_typed.push_back(static_cast<char>(wParam));
      }
      for (HWND panel : g_textPanels) InvalidateRect(panel, nullptr, TRUE);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// A panel paints itself in the colour kept in its user data.
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA)));
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  EndPaint(window, &paint);
  return 0;
}

LRESULT CALLBACK TextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(20, 20, 20));
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const char line1[] = "Default GUI font: The quick brown fox";
  TextOutA(dc, 8, 8, line1, static_cast<int>(sizeof line1 - 1));
  HFONT song = CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0,
                           kSongTi);
  SelectObject(dc, song);
  SetTextColor(dc, RGB(160, 20, 20));
  TextOutA(dc, 8, 32, kChineseLine, static_cast<int>(sizeof kChineseLine - 1));
  SetTextColor(dc, RGB(20, 20, 120));
  const std::string typed = "Typed: " + g_typed;
  TextOutA(dc, 8, 60, typed.c_str(), static_cast<int>(typed.size()));
  SelectObject(dc, old);
  DeleteObject(song);
  EndPaint(window, &paint);
  return 0;
}

LRESULT CALLBACK ShapesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  HPEN blue = CreatePen(PS_SOLID, 3, RGB(30, 60, 200));
  HGDIOBJ oldPen = SelectObject(dc, blue);
  for (int i = 0; i <= 4; ++i) {
    MoveToEx(dc, 10, 10 + i * 20, nullptr);
    LineTo(dc, client.right - 10, client.bottom - 10 - i * 20);
  }
  HBRUSH green = CreateSolidBrush(RGB(60, 180, 90));
  HGDIOBJ oldBrush = SelectObject(dc, green);
  Ellipse(dc, client.right / 2 - 50, client.bottom / 2 - 30, client.right / 2 + 50,
          client.bottom / 2 + 30);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(green);
  DeleteObject(blue);
  EndPaint(window, &paint);
  return 0;
}

bool Register(const char* name, WNDPROC proc, int backgroundStock) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = proc;
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(backgroundStock));
  cls.lpszClassName = name;
  return RegisterClassA(&cls) != 0;
}

HWND Child(const char* cls, HWND parent, int x, int y, int width, int height, COLORREF color = 0) {
  HWND child = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                               nullptr, nullptr, nullptr);
  if (child != nullptr) SetWindowLongPtrA(child, GWLP_USERDATA, static_cast<LONG_PTR>(color));
  return child;
}

HWND Control(const char* cls, const char* text, DWORD style, HWND parent, int x, int y, int width,
             int height, int id) {
  HWND control =
      CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  if (control != nullptr)
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 0);
  return control;
}

// The third window: a menu bar and one of each common control.
HWND MakeControlsWindow() {
  HWND w = CreateWindowExA(0, kFrameClass, kControlsTitle,
                           WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 620, 20, 620, 270,
                           nullptr, nullptr, nullptr, nullptr);
  if (w == nullptr) return nullptr;
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 1, kOpen);
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, 2, "E&xit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), kFileMenu);
  AppendMenuA(bar, MF_STRING, 3, "&Help");
  SetMenu(w, bar);

  Control("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, w, 10, 10, 90, 28, 10);
  Control("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, w, 110, 10, 90, 28, 11);
  HWND check =
      Control("BUTTON", "Film grain", BS_AUTOCHECKBOX | WS_TABSTOP, w, 10, 48, 120, 22, 12);
  SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
  HWND radio = Control("BUTTON", "Colour", BS_AUTORADIOBUTTON | WS_GROUP, w, 140, 48, 90, 22, 13);
  Control("BUTTON", "Mono", BS_AUTORADIOBUTTON, w, 230, 48, 80, 22, 14);
  SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
  Control("STATIC", "Caption:", SS_LEFT, w, 10, 84, 60, 20, 15);
  HWND edit = Control("EDIT", kEditText, ES_AUTOHSCROLL | WS_TABSTOP, w, 72, 80, 238, 24, 16);
  SetWindowLongPtrA(edit, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  HWND combo =
      Control("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, w, 10, 116, 140, 160, 17);
  for (const char* item : {"Kodachrome", "Tri-X", "Velvia"}) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  HWND list = Control("LISTBOX", "", LBS_NOTIFY | WS_BORDER | WS_VSCROLL, w, 330, 10, 130, 110, 18);
  for (const char* item :
       {"beach.jpg", "portrait.jpg", "street.jpg", "night.jpg", "harbour.jpg", "snow.jpg"}) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SendMessageA(list, LB_SETCURSEL, 2, 0);
  HWND progress = Control(PROGRESS_CLASSA, "", 0, w, 160, 120, 150, 18, 19);
  SendMessageA(progress, PBM_SETPOS, 60, 0);
  HWND track = Control(TRACKBAR_CLASSA, "", TBS_AUTOTICKS, w, 330, 130, 200, 34, 20);
  SendMessageA(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendMessageA(track, TBM_SETPOS, TRUE, 7);
  HWND bar2 = Control("SCROLLBAR", "", SBS_VERT, w, 480, 10, 17, 110, 21);
  SendMessageA(bar2, SBM_SETRANGE, 0, 100);
  HWND status = Control(STATUSCLASSNAMEA, "", 0, w, 0, 0, 0, 0, 22);
  int parts[] = {200, -1};
  SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Ready"));
  SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("3 photos"));
  return w;
}

}  // namespace

int main() {
  if (!platform::user::StartPresenterForProgram()) return 1;
  if (!Register(kFrameClass, FrameProc, LTGRAY_BRUSH) ||
      !Register(kPanelClass, PanelProc, WHITE_BRUSH) ||
      !Register(kTextClass, TextProc, WHITE_BRUSH) ||
      !Register(kShapesClass, ShapesProc, WHITE_BRUSH)) {
    std::fprintf(stderr, "window_demo: cannot register the window classes\n");
    return 1;
  }

  HWND first = CreateWindowExA(0, kFrameClass, "Velmora demo: first window",
                               WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 60, 50, 520,
                               360, nullptr, nullptr, nullptr, nullptr);
  HWND second = CreateWindowExA(0, kFrameClass, kSecondTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 480,
                                300, 560, 380, nullptr, nullptr, nullptr, nullptr);
  if (first == nullptr || second == nullptr) {
    std::fprintf(stderr, "window_demo: cannot create the windows\n");
    return 1;
  }
  Child(kPanelClass, first, 10, 10, 150, 120, RGB(220, 60, 60));
  Child(kPanelClass, first, 170, 10, 150, 120, RGB(250, 200, 40));
  Child(kPanelClass, first, 330, 10, 160, 120, RGB(60, 120, 220));
  g_textPanels[0] = Child(kTextClass, first, 10, 140, 480, 170);

  Child(kShapesClass, second, 10, 10, 300, 320);
  Child(kPanelClass, second, 320, 10, 210, 150, RGB(120, 60, 160));
  g_textPanels[1] = Child(kTextClass, second, 320, 170, 210, 160);

  HWND controls = MakeControlsWindow();
  if (controls == nullptr) {
    std::fprintf(stderr, "window_demo: cannot create the controls window\n");
    return 1;
  }

  UpdateWindow(first);
  UpdateWindow(second);
  UpdateWindow(controls);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
