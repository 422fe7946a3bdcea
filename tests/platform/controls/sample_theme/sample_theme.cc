// "Night": a dark theme with green accents, loaded as an outside shared object. Every piece
// is painted here so that a sheet shows at a glance which look is installed.
#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

namespace {

constexpr COLORREF kInk = RGB(0xD8, 0xF0, 0xD8);
constexpr COLORREF kDim = RGB(0x70, 0x80, 0x70);
constexpr COLORREF kBack = RGB(0x1E, 0x22, 0x1E);
constexpr COLORREF kPanel = RGB(0x2A, 0x30, 0x2A);
constexpr COLORREF kField = RGB(0x12, 0x14, 0x12);
constexpr COLORREF kGreen = RGB(0x2E, 0xA0, 0x44);
constexpr COLORREF kGreenDark = RGB(0x1C, 0x66, 0x2B);
constexpr COLORREF kGreenLight = RGB(0x5C, 0xD8, 0x72);

void Fill(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Frame(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
}

// A rectangle with its corners cut, which reads as rounded at these sizes.
void Pill(HDC dc, const RECT& r, COLORREF face, COLORREF edge) {
  if (r.right - r.left < 6 || r.bottom - r.top < 6) {
    Fill(dc, r, face);
    return;
  }
  const int c = 3;
  POINT p[8] = {{r.left + c, r.top},
                {r.right - 1 - c, r.top},
                {r.right - 1, r.top + c},
                {r.right - 1, r.bottom - 1 - c},
                {r.right - 1 - c, r.bottom - 1},
                {r.left + c, r.bottom - 1},
                {r.left, r.bottom - 1 - c},
                {r.left, r.top + c}};
  HBRUSH brush = CreateSolidBrush(face);
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  SelectObject(dc, brush);
  SelectObject(dc, pen);
  Polygon(dc, p, 8);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(brush);
  DeleteObject(pen);
}

void Text(HDC dc, const char* text, RECT r, UINT format, COLORREF color) {
  if (text == nullptr) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextA(dc, text, -1, &r, format | DT_SINGLELINE | DT_VCENTER);
}

int Paint(void*, HDC dc, int part, const RECT* rect, const VelmoraThemePaintInfo* info) {
  const RECT& r = *rect;
  const DWORD s = info->state;
  const bool disabled = (s & (VELMORA_STATE_DISABLED | VELMORA_STATE_GRAYED)) != 0;
  switch (part) {
    case VELMORA_PART_FRAME: {
      RECT in = info->inner;
      const COLORREF band = (s & VELMORA_STATE_ACTIVE) != 0 ? kGreenDark : kPanel;
      Fill(dc, {r.left, r.top, r.right, in.top}, band);
      Fill(dc, {r.left, in.bottom, r.right, r.bottom}, band);
      Fill(dc, {r.left, in.top, in.left, in.bottom}, band);
      Fill(dc, {in.right, in.top, r.right, in.bottom}, band);
      Frame(dc, r, kGreenLight);
      return 1;
    }
    case VELMORA_PART_CAPTION: {
      const bool active = (s & VELMORA_STATE_ACTIVE) != 0;
      Fill(dc, r, active ? kGreenDark : kPanel);
      Fill(dc, {r.left, r.bottom - 2, r.right, r.bottom}, active ? kGreenLight : kDim);
      RECT t = r;
      t.left += 10;
      Text(dc, info->text, t, DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX, active ? kInk : kDim);
      return 1;
    }
    case VELMORA_PART_CAPTION_BUTTON: {
      RECT b = r;
      InflateRect(&b, -4, -4);
      COLORREF face = info->value == 0 ? RGB(0xA0, 0x30, 0x30) : kGreen;
      if ((s & VELMORA_STATE_PRESSED) != 0)
        face = kGreenDark;
      else if ((s & VELMORA_STATE_HOT) != 0)
        face = kGreenLight;
      Pill(dc, b, face, kInk);
      return 1;
    }
    case VELMORA_PART_MENU_BAR:
      Fill(dc, r, kPanel);
      return 1;
    case VELMORA_PART_MENU_POPUP:
      Fill(dc, r, kPanel);
      Frame(dc, r, kGreen);
      return 1;
    case VELMORA_PART_MENU_ITEM: {
      if ((s & VELMORA_STATE_SEPARATOR) != 0) {
        const int y = (r.top + r.bottom) / 2;
        Fill(dc, {r.left + 6, y, r.right - 6, y + 1}, kGreenDark);
        return 1;
      }
      if ((s & VELMORA_STATE_SELECTED) != 0) Pill(dc, r, kGreen, kGreenLight);
      RECT t = r;
      const bool bar = info->value == 1;
      if (!bar) {
        if ((s & VELMORA_STATE_CHECKED) != 0)
          Text(dc, "*", {r.left + 6, r.top, r.left + 20, r.bottom}, DT_LEFT, kGreenLight);
        t.left += 22;
        t.right -= 18;
        if ((s & VELMORA_STATE_POPUP) != 0)
          Text(dc, ">", {r.right - 16, r.top, r.right - 4, r.bottom}, DT_LEFT, kInk);
      }
      Text(dc, info->text, t, bar ? DT_CENTER : DT_LEFT, disabled ? kDim : kInk);
      if (!bar) Text(dc, info->text2, t, DT_RIGHT | DT_NOPREFIX, disabled ? kDim : kGreenLight);
      return 1;
    }
    case VELMORA_PART_PUSH_BUTTON: {
      COLORREF face = (s & VELMORA_STATE_PRESSED) != 0 ? kGreenDark : kGreen;
      if (disabled) face = kPanel;
      Pill(dc, r, face, (s & VELMORA_STATE_DEFAULT) != 0 ? kGreenLight : kGreenDark);
      return 1;
    }
    case VELMORA_PART_CHECK_BOX:
      Fill(dc, r, kField);
      Frame(dc, r, kGreen);
      if (info->value != 0) {
        RECT m = r;
        InflateRect(&m, -3, -3);
        Fill(dc, m, info->value == 1 ? kGreenLight : kDim);
      }
      return 1;
    case VELMORA_PART_RADIO_BUTTON: {
      Pill(dc, r, kField, kGreen);
      if (info->value != 0) {
        RECT m = r;
        InflateRect(&m, -4, -4);
        Pill(dc, m, kGreenLight, kGreenLight);
      }
      return 1;
    }
    case VELMORA_PART_GROUP_BOX: {
      RECT b = r;
      Frame(dc, b, kGreen);
      Fill(dc, {info->inner.left, r.top, info->inner.right, r.top + 1}, kBack);
      return 1;
    }
    case VELMORA_PART_FOCUS_RECT:
      Frame(dc, r, kGreenLight);
      return 1;
    case VELMORA_PART_EDIT_FRAME:
      Frame(dc, r, (s & VELMORA_STATE_FOCUSED) != 0 ? kGreenLight : kGreen);
      return 1;
    case VELMORA_PART_EDIT_BACKGROUND:
      Fill(dc, r, disabled ? kPanel : kField);
      return 1;
    case VELMORA_PART_LIST_ITEM:
      Fill(dc, r, (s & VELMORA_STATE_SELECTED) != 0 ? kGreenDark : kField);
      Text(dc, info->text, {r.left + 3, r.top, r.right, r.bottom}, DT_LEFT | DT_NOPREFIX, kInk);
      return 1;
    case VELMORA_PART_COMBO_BUTTON:
    case VELMORA_PART_SCROLL_ARROW:
      Pill(dc, r, (s & VELMORA_STATE_PRESSED) != 0 ? kGreenDark : kGreen, kGreenDark);
      return 1;
    case VELMORA_PART_SCROLL_TRACK:
      Fill(dc, r, kField);
      return 1;
    case VELMORA_PART_SCROLL_THUMB:
      Pill(dc, r, kGreenLight, kGreen);
      return 1;
    case VELMORA_PART_TRACKBAR_CHANNEL:
      Fill(dc, r, kGreenDark);
      return 1;
    case VELMORA_PART_TRACKBAR_THUMB:
      Pill(dc, r, kGreenLight, kInk);
      return 1;
    case VELMORA_PART_TRACKBAR_TICK:
      Fill(dc, r, kDim);
      return 1;
    case VELMORA_PART_PROGRESS_TRACK:
      Fill(dc, r, kField);
      Frame(dc, r, kGreenDark);
      return 1;
    case VELMORA_PART_PROGRESS_FILL:
      Fill(dc, r, kGreenLight);
      return 1;
    case VELMORA_PART_STATUS_BACKGROUND:
      Fill(dc, r, kGreenDark);
      return 1;
    case VELMORA_PART_STATUS_PANE:
      Frame(dc, r, kGreen);
      Text(dc, info->text, {r.left + 4, r.top, r.right, r.bottom}, DT_LEFT | DT_NOPREFIX, kInk);
      return 1;
    case VELMORA_PART_SIZE_GRIP:
      for (int i = 0; i < 3; ++i)
        Fill(dc, {r.right - 4 - 4 * i, r.bottom - 4, r.right - 2 - 4 * i, r.bottom - 2},
             kGreenLight);
      return 1;
    case VELMORA_PART_DIALOG_BACKGROUND:
      Fill(dc, r, kBack);
      return 1;
    default:
      return 0;
  }
}

COLORREF palette[COLOR_MENUBAR + 1];

}  // namespace

extern "C" __attribute__((visibility("default"))) int SampleThemeAttach() {
  HMODULE user = LoadLibraryA("user32");
  if (user == nullptr) return 0;
  auto install = reinterpret_cast<VelmoraInstallThemeFn>(
      reinterpret_cast<void*>(GetProcAddress(user, "VelmoraInstallTheme")));
  if (install == nullptr) return 0;
  for (COLORREF& c : palette) c = kPanel;
  palette[COLOR_WINDOW] = kField;
  palette[COLOR_WINDOWTEXT] = kInk;
  palette[COLOR_BTNFACE] = kBack;
  palette[COLOR_BTNTEXT] = kInk;
  palette[COLOR_BTNSHADOW] = kGreenDark;
  palette[COLOR_BTNHIGHLIGHT] = kGreenLight;
  palette[COLOR_3DLIGHT] = kGreen;
  palette[COLOR_3DDKSHADOW] = RGB(0, 0, 0);
  palette[COLOR_HIGHLIGHT] = kGreen;
  palette[COLOR_HIGHLIGHTTEXT] = RGB(0xFF, 0xFF, 0xFF);
  palette[COLOR_GRAYTEXT] = kDim;
  palette[COLOR_MENU] = kPanel;
  palette[COLOR_MENUTEXT] = kInk;
  palette[COLOR_MENUBAR] = kPanel;
  palette[COLOR_ACTIVECAPTION] = kGreenDark;
  palette[COLOR_INACTIVECAPTION] = kPanel;
  palette[COLOR_CAPTIONTEXT] = kInk;
  palette[COLOR_INACTIVECAPTIONTEXT] = kDim;
  palette[COLOR_SCROLLBAR] = kField;
  palette[COLOR_WINDOWFRAME] = kGreen;
  static const VelmoraThemeMetrics metrics = {6, 8, 4, 6, 24, 20, 20, 32, 17};
  VelmoraTheme theme{};
  theme.size = sizeof(theme);
  theme.version = VELMORA_THEME_VERSION;
  theme.sysColors = palette;
  theme.sysColorCount = COLOR_MENUBAR + 1;
  theme.metrics = &metrics;
  theme.paint = Paint;
  theme.context = nullptr;
  return install(&theme) ? 1 : 0;
}
