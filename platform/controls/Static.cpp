// The STATIC class: text labels, filled rectangles, frames, etched lines, icons and
// bitmaps. A static is transparent to the mouse unless it asks to notify its parent.
#include <algorithm>
#include <string>

#include "platform/controls/ControlState.h"
#include "platform/controls/SystemClasses.h"
#include "platform/user/WindowManager.h"
#include "platform/user32.h"

namespace platform::controls {

namespace {

struct StaticData {
  HFONT font = nullptr;
  HANDLE image = nullptr;
  UINT imageType = IMAGE_BITMAP;
};

StaticData* Data(HWND hwnd) {
  return ControlStateOf<StaticData>(hwnd).get();
}

DWORD Style(HWND hwnd) {
  return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
}

HFONT FontOf(const StaticData& data) {
  if (data.font != nullptr) return data.font;
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::string WindowText(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
  int got = GetWindowTextA(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

void FillSys(HDC dc, const RECT& r, int color) {
  FillRect(dc, &r, GetSysColorBrush(color));
}
void FrameSys(HDC dc, const RECT& r, int color) {
  FrameRect(dc, &r, GetSysColorBrush(color));
}

HBRUSH AskColors(HWND hwnd, HDC dc) {
  HWND parent = GetParent(hwnd);
  LRESULT r = parent != nullptr
                  ? SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(hwnd))
                  : DefWindowProcA(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(hwnd));
  return reinterpret_cast<HBRUSH>(r);
}

void PaintImage(HDC dc, const StaticData& data, DWORD style, const RECT& client) {
  if (data.image == nullptr) return;
  int w = 0, h = 0;
  if (data.imageType == IMAGE_BITMAP) {
    BITMAP bm{};
    if (!GetObjectA(data.image, sizeof bm, &bm)) return;
    w = bm.bmWidth;
    h = bm.bmHeight;
  } else {
    w = GetSystemMetrics(SM_CXICON);
    h = GetSystemMetrics(SM_CYICON);
  }
  int x = client.left, y = client.top;
  if (style & SS_CENTERIMAGE) {
    x = (client.left + client.right - w) / 2;
    y = (client.top + client.bottom - h) / 2;
  }
  if (data.imageType == IMAGE_BITMAP) {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, data.image);
    BitBlt(dc, x, y, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  } else {
    DrawIconEx(dc, x, y, static_cast<HICON>(data.image), w, h, 0, nullptr, DI_NORMAL);
  }
}

void PaintText(HWND hwnd, HDC dc, const StaticData& data, DWORD style, const RECT& client) {
  std::string text = WindowText(hwnd);
  DWORD kind = style & SS_TYPEMASK;
  UINT format = DT_EXPANDTABS;
  switch (kind) {
    case SS_CENTER:
      format |= DT_CENTER | DT_WORDBREAK;
      break;
    case SS_RIGHT:
      format |= DT_RIGHT | DT_WORDBREAK;
      break;
    case SS_LEFTNOWORDWRAP:
      format |= DT_LEFT;
      break;
    case SS_SIMPLE:
      format = DT_LEFT | DT_SINGLELINE;
      break;
    default:
      format |= DT_LEFT | DT_WORDBREAK;
      break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if ((style & SS_CENTERIMAGE) && kind != SS_SIMPLE) {
    format = (format & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE | DT_VCENTER;
  }
  if (style & SS_ENDELLIPSIS) format |= DT_END_ELLIPSIS;
  HGDIOBJ oldFont = SelectObject(dc, FontOf(data));
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  RECT r = client;
  if (!text.empty()) DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, oldFont);
}

void Paint(HWND hwnd, HDC dc) {
  StaticData* data = Data(hwnd);
  if (data == nullptr) return;
  DWORD style = Style(hwnd);
  DWORD kind = style & SS_TYPEMASK;
  RECT client{};
  GetClientRect(hwnd, &client);

  if (kind == SS_OWNERDRAW) {
    HWND parent = GetParent(hwnd);
    if (parent == nullptr) return;
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_STATIC;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    item.itemAction = ODA_DRAWENTIRE;
    if (!IsWindowEnabled(hwnd)) item.itemState |= ODS_DISABLED;
    item.hwndItem = hwnd;
    item.hDC = dc;
    item.rcItem = client;
    SendMessageA(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    return;
  }

  // Frames and rectangles paint over the parent's background as they are; the others ask
  // the parent for the colours and paint its brush behind themselves.
  bool colored = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_SIMPLE ||
                 kind == SS_LEFTNOWORDWRAP || kind == SS_ICON || kind == SS_BITMAP;
  if (colored) {
    HBRUSH brush = AskColors(hwnd, dc);
    // SS_SIMPLE keeps the parent's background under the text and paints no more.
    if (brush != nullptr && kind != SS_SIMPLE) FillRect(dc, &client, brush);
  }

  RECT r = client;
  switch (kind) {
    case SS_BLACKRECT:
      FillSys(dc, r, COLOR_WINDOWFRAME);
      break;
    case SS_GRAYRECT:
      FillSys(dc, r, COLOR_BTNSHADOW);
      break;
    case SS_WHITERECT:
      FillSys(dc, r, COLOR_WINDOW);
      break;
    case SS_BLACKFRAME:
      FrameSys(dc, r, COLOR_WINDOWFRAME);
      break;
    case SS_GRAYFRAME:
      FrameSys(dc, r, COLOR_BTNSHADOW);
      break;
    case SS_WHITEFRAME:
      FrameSys(dc, r, COLOR_WINDOW);
      break;
    case SS_ETCHEDFRAME:
      DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
      break;
    case SS_ETCHEDHORZ:
      DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
      break;
    case SS_ETCHEDVERT:
      DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT);
      break;
    case SS_ICON:
    case SS_BITMAP:
      PaintImage(dc, *data, style, client);
      break;
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
      PaintText(hwnd, dc, *data, style, client);
      break;
    default:
      break;
  }
  if (style & SS_SUNKEN) {
    RECT edge = client;
    DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
  }
}

HANDLE SetImage(HWND hwnd, StaticData& data, UINT type, HANDLE image) {
  HANDLE old = data.image;
  data.image = image;
  data.imageType = type;
  InvalidateRect(hwnd, nullptr, TRUE);
  return old;
}

LRESULT StaticMessage(HWND hwnd, StaticData& data, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      // An icon or bitmap static names its picture with the window text, a resource
      // this platform does not have; keep the text out of the window so it is not shown.
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      DWORD kind = create != nullptr ? static_cast<DWORD>(create->style) & SS_TYPEMASK : 0;
      if (kind == SS_ICON || kind == SS_BITMAP) {
        CREATESTRUCTA copy = *create;
        copy.lpszName = nullptr;
        return DefWindowProcA(hwnd, message, wParam, reinterpret_cast<LPARAM>(&copy));
      }
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_NCHITTEST:
      // Labels must not steal clicks from what lies under or around them.
      if (!(Style(hwnd) & SS_NOTIFY)) return HTTRANSPARENT;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc != nullptr) Paint(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_ENABLE:
      if (Style(hwnd) & SS_NOTIFY) NotifyParent(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      data.font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontOf(data));
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_LBUTTONDOWN:
      if (Style(hwnd) & SS_NOTIFY) NotifyParent(hwnd, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (Style(hwnd) & SS_NOTIFY) NotifyParent(hwnd, STN_DBLCLK);
      return 0;
    case STM_SETICON:
      return reinterpret_cast<LRESULT>(
          SetImage(hwnd, data, IMAGE_ICON, reinterpret_cast<HANDLE>(wParam)));
    case STM_GETICON:
      return data.imageType != IMAGE_BITMAP ? reinterpret_cast<LRESULT>(data.image) : 0;
    case STM_SETIMAGE:
      if (wParam != IMAGE_BITMAP && wParam != IMAGE_ICON && wParam != IMAGE_CURSOR) return 0;
      return reinterpret_cast<LRESULT>(
          SetImage(hwnd, data, static_cast<UINT>(wParam), reinterpret_cast<HANDLE>(lParam)));
    case STM_GETIMAGE:
      if (wParam == data.imageType || (wParam != IMAGE_BITMAP && data.imageType != IMAGE_BITMAP))
        return reinterpret_cast<LRESULT>(data.image);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterStaticClass() {
  RegisterControlClass("STATIC", ControlProc<StaticData, StaticMessage>,
                       CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
}

}  // namespace platform::controls
