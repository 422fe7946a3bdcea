// The status bar (msctls_statusbar32): a strip along the bottom of its parent, split into
// parts with texts, or one simple part; a size grip in the corner when the parent can be
// resized. The parent forwards WM_SIZE to keep it in place.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/commctrl.h"
#include "platform/controls/ControlState.h"
#include "platform/controls/SystemClasses.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowManager.h"

namespace platform::controls {

using platform::user::PaintThemePart;

namespace {

constexpr int kMaxParts = 256;
constexpr int kGripSize = 16;
constexpr int kBorderX = 0, kBorderY = 2, kGap = 2;
constexpr WPARAM kSizeBottomRight = 8;  // WMSZ_BOTTOMRIGHT

struct Pane {
  std::string text;
  UINT flags = 0;
};

struct StatusBar {
  std::vector<int> edges{-1};
  std::vector<Pane> panes{Pane{}};
  bool simple = false;
  Pane simplePane;
  int minHeight = 0;
  HFONT font = nullptr;
  COLORREF back = CLR_DEFAULT;
};

HFONT FontOf(const StatusBar& s) {
  return s.font != nullptr ? s.font : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int Height(HWND window, const StatusBar& s) {
  int text = 13;
  HDC dc = GetDC(window);
  if (dc != nullptr) {
    HGDIOBJ old = SelectObject(dc, FontOf(s));
    TEXTMETRICA tm{};
    if (GetTextMetricsA(dc, &tm)) text = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(window, dc);
  }
  return std::max(text + 2 * kBorderY + 6, s.minHeight + 2 * kBorderY);
}

// The grip shows only where it can do something: on a parent with a sizing border that is
// not maximised.
bool GripShown(HWND window) {
  if ((GetWindowLongPtrA(window, GWL_STYLE) & SBARS_SIZEGRIP) == 0) return false;
  HWND parent = GetParent(window);
  if (parent == nullptr) return false;
  LONG_PTR style = GetWindowLongPtrA(parent, GWL_STYLE);
  return (style & WS_THICKFRAME) != 0 && !IsZoomed(parent);
}

RECT GripRect(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right - kGripSize, client.bottom - kGripSize, client.right, client.bottom};
}

void PlaceAtBottom(HWND window, const StatusBar& s) {
  HWND parent = GetParent(window);
  if (parent == nullptr) return;
  RECT area{};
  GetClientRect(parent, &area);
  int height = Height(window, s);
  RECT now{};
  GetWindowRect(window, &now);
  POINT origin{now.left, now.top};
  ScreenToClient(parent, &origin);
  // Placing it again where it already is would only echo WM_SIZE back to us.
  if (origin.x == 0 && origin.y == area.bottom - height && now.right - now.left == area.right &&
      now.bottom - now.top == height) {
    return;
  }
  SetWindowPos(window, nullptr, 0, area.bottom - height, area.right, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT PartRect(HWND window, const StatusBar& s, int index) {
  RECT client{};
  GetClientRect(window, &client);
  if (s.simple)
    return {client.left + kBorderX, client.top + kBorderY, client.right - kBorderX, client.bottom};
  int left = client.left + kBorderX;
  for (int i = 0; i < index; ++i) {
    int edge = s.edges[i] < 0 ? client.right : s.edges[i];
    left = std::max(left, edge + kGap);
  }
  int right = s.edges[index] < 0 ? client.right - kBorderX : s.edges[index];
  return {std::min<int>(left, client.right), client.top + kBorderY,
          std::min<int>(std::max(left, right), client.right), client.bottom};
}

int PartCount(const StatusBar& s) {
  return static_cast<int>(s.edges.size());
}

Pane* PaneAt(StatusBar& s, int index) {
  if (index == SB_SIMPLEID) return &s.simplePane;
  if (index < 0 || index >= PartCount(s)) return nullptr;
  return &s.panes[index];
}

void Paint(HWND window, const StatusBar& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  HGDIOBJ oldFont = SelectObject(dc, FontOf(s));
  VelmoraThemePaintInfo info{};
  info.size = sizeof(info);
  info.style = style;
  info.font = FontOf(s);
  if (s.back == CLR_DEFAULT) {
    PaintThemePart(dc, VELMORA_PART_STATUS_BACKGROUND, client, info);
  } else {
    HBRUSH brush = CreateSolidBrush(s.back);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
  }
  const bool grip = GripShown(window);
  auto pane = [&](const RECT& r, const Pane& p) {
    VelmoraThemePaintInfo paneInfo = info;
    paneInfo.text = p.text.c_str();
    paneInfo.value = static_cast<int>(p.flags);
    RECT clipped = r;
    if (grip) clipped.right = std::min<LONG>(clipped.right, client.right - kGripSize);
    if (!IsRectEmpty(&clipped)) PaintThemePart(dc, VELMORA_PART_STATUS_PANE, clipped, paneInfo);
  };
  if (s.simple) {
    pane(PartRect(window, s, 0), s.simplePane);
  } else {
    for (int i = 0; i < PartCount(s); ++i) pane(PartRect(window, s, i), s.panes[i]);
  }
  if (grip) PaintThemePart(dc, VELMORA_PART_SIZE_GRIP, GripRect(window), info);
  SelectObject(dc, oldFont);
  EndPaint(window, &ps);
}

void FillColor(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void PaintBackground(HDC dc, const RECT& r, const VelmoraThemePaintInfo&) {
  FillColor(dc, r, GetSysColor(COLOR_BTNFACE));
  FillColor(dc, {r.left, r.top, r.right, r.top + 1}, GetSysColor(COLOR_BTNSHADOW));
}

void PaintPane(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  const UINT flags = static_cast<UINT>(info.value);
  if ((flags & SBT_NOBORDERS) == 0) {
    // A sunken pane has a separator at its right; a popped-out one a lighter face.
    if ((flags & SBT_POPOUT) != 0) FillColor(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT));
    FillColor(dc, {r.right - 1, r.top + 2, r.right, r.bottom - 2}, GetSysColor(COLOR_BTNSHADOW));
  }
  if (info.text == nullptr || info.text[0] == '\0') return;
  HGDIOBJ old = info.font != nullptr ? SelectObject(dc, info.font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT text = r;
  text.left += 4;
  text.right -= 4;
  // Tabs split the text into left, centred and right-aligned pieces.
  std::string all = info.text;
  size_t first = all.find('\t');
  size_t second = first == std::string::npos ? std::string::npos : all.find('\t', first + 1);
  auto draw = [&](const std::string& piece, UINT align) {
    if (piece.empty()) return;
    RECT box = text;
    DrawTextA(dc, piece.c_str(), static_cast<int>(piece.size()), &box,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | align);
  };
  draw(all.substr(0, first), DT_LEFT);
  if (first != std::string::npos) {
    draw(
        all.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1),
        DT_CENTER);
  }
  if (second != std::string::npos) draw(all.substr(second + 1), DT_RIGHT);
  if (old != nullptr) SelectObject(dc, old);
}

void PaintGrip(HDC dc, const RECT& r, const VelmoraThemePaintInfo&) {
  // Three diagonal rows of dots.
  COLORREF dot = GetSysColor(COLOR_BTNSHADOW);
  for (int row = 0; row < 3; ++row) {
    for (int k = 0; k <= row; ++k) {
      int x = r.right - 4 - (row - k) * 4 - 2, y = r.bottom - 4 - k * 4 - 2;
      FillColor(dc, {x, y, x + 2, y + 2}, dot);
    }
  }
}

LRESULT PackedLength(const Pane& p) {
  return MAKELPARAM(static_cast<int>(p.text.size()), static_cast<int>(p.flags));
}

LRESULT StatusMessage(HWND window, StatusBar& s, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    if (create != nullptr && create->lpszName != nullptr &&
        reinterpret_cast<uintptr_t>(create->lpszName) > 0xFFFF) {
      s.panes[0].text = create->lpszName;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  switch (message) {
    case WM_CREATE:
      PlaceAtBottom(window, s);
      return 0;
    case WM_SIZE:
      // Whatever size a program asks for, the bar stays along the parent's bottom edge.
      PlaceAtBottom(window, s);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window, s);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wParam);
      if (lParam != 0) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_NCHITTEST: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(window, &p);
      RECT grip = GripRect(window);
      if (GripShown(window) && PtInRect(&grip, p)) return HTBOTTOMRIGHT;
      return HTCLIENT;
    }
    case WM_NCLBUTTONDOWN:
      // The grip sizes the parent, not the bar.
      if (static_cast<LRESULT>(wParam) == HTBOTTOMRIGHT) {
        HWND parent = GetParent(window);
        if (parent != nullptr)
          SendMessageA(parent, WM_SYSCOMMAND, SC_SIZE + kSizeBottomRight, lParam);
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETTEXT:
      s.panes[0].text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
      InvalidateRect(window, nullptr, TRUE);
      return DefWindowProcA(window, message, wParam, lParam);
    case SB_SETPARTS: {
      int count = static_cast<int>(wParam);
      const int* edges = reinterpret_cast<const int*>(lParam);
      if (edges == nullptr || count <= 0 || count > kMaxParts) return FALSE;
      s.edges.assign(edges, edges + count);
      s.panes.resize(static_cast<size_t>(count));
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case SB_GETPARTS: {
      int* out = reinterpret_cast<int*>(lParam);
      if (out != nullptr) {
        int n = std::min(static_cast<int>(wParam), PartCount(s));
        for (int i = 0; i < n; ++i) out[i] = s.edges[i];
      }
      return PartCount(s);
    }
    case SB_SETTEXTA: {
      Pane* pane = PaneAt(s, static_cast<int>(wParam & 0xFF));
      if (pane == nullptr) return FALSE;
      const char* text = reinterpret_cast<const char*>(lParam);
      pane->text = text != nullptr ? text : "";
      pane->flags = static_cast<UINT>(wParam & 0xFF00);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case SB_GETTEXTA: {
      Pane* pane = PaneAt(s, static_cast<int>(wParam & 0xFF));
      if (pane == nullptr) return 0;
      char* out = reinterpret_cast<char*>(lParam);
      if (out != nullptr) std::memcpy(out, pane->text.c_str(), pane->text.size() + 1);
      return PackedLength(*pane);
    }
    case SB_GETTEXTLENGTHA: {
      Pane* pane = PaneAt(s, static_cast<int>(wParam & 0xFF));
      return pane != nullptr ? PackedLength(*pane) : 0;
    }
    case SB_SETBKCOLOR: {
      COLORREF old = s.back;
      s.back = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return static_cast<LRESULT>(old);
    }
    case SB_SIMPLE:
      s.simple = wParam != 0;
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case SB_ISSIMPLE:
      return s.simple ? TRUE : FALSE;
    case SB_SETMINHEIGHT:
      s.minHeight = std::clamp(static_cast<int>(wParam), 0, 4096);
      return 0;
    case SB_GETRECT: {
      int index = static_cast<int>(wParam);
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (out == nullptr || (!s.simple && (index < 0 || index >= PartCount(s)))) return FALSE;
      *out = PartRect(window, s, s.simple ? 0 : index);
      return TRUE;
    }
    case SB_GETBORDERS: {
      int* out = reinterpret_cast<int*>(lParam);
      if (out == nullptr) return FALSE;
      out[0] = kBorderX;
      out[1] = kBorderY;
      out[2] = kGap;
      return TRUE;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterStatusBarClass() {
  platform::user::RegisterBuiltInPainter(VELMORA_PART_STATUS_BACKGROUND, PaintBackground);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_STATUS_PANE, PaintPane);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_SIZE_GRIP, PaintGrip);
  RegisterControlClass(STATUSCLASSNAMEA, ControlProc<StatusBar, StatusMessage>, CS_DBLCLKS);
}

}  // namespace platform::controls
