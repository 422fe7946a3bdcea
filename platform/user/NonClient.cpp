// The non-client area: how thick each frame is, what lies where in it (caption, caption
// buttons, borders, menu bar), hit testing, and drawing it through the theme.
#include <algorithm>
#include <mutex>

#include "platform/controls/MenuPaint.h"
#include "platform/controls/WindowScrollBars.h"
#include "platform/kernel32.h"
#include "platform/user/NonClientLayout.h"
#include "platform/user/Theme.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

struct PressedButton {
  HWND window = nullptr;
  LRESULT hit = HTNOWHERE;
  bool pressed = false;
};

PressedButton& Pressed() {
  static PressedButton pressed;
  return pressed;
}

bool InCorner(int along, int length, int grip) {
  return along < grip || along >= length - grip;
}

}  // namespace

bool HasMenuBar(const Window& window) {
  return !window.IsChild() && window.menu != nullptr;
}

RECT InsetsOf(const Window& window) {
  RECT insets = NonClientInsets(window.style, window.exStyle, HasMenuBar(window));
  // [window scroll bars] Shown bars sit between the frame and the client area.
  controls::AddScrollBarInsets(window.style, insets);
  return insets;
}

RECT NonClientInsets(DWORD style, DWORD exStyle, bool hasMenu) {
  const ThemeMetrics& m = CurrentTheme()->Metrics();
  const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
  int border = 0;
  if ((style & WS_THICKFRAME) != 0) {
    border = tool ? m.toolResizableBorder : m.resizableBorder;
  } else if ((style & WS_DLGFRAME) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0) {
    border = tool ? m.toolFixedBorder : m.fixedBorder;
  } else if ((style & WS_BORDER) != 0) {
    border = m.thinBorder;
  }
  int top = border;
  if ((style & WS_CAPTION) == WS_CAPTION) top += tool ? m.toolCaptionHeight : m.captionHeight;
  if (hasMenu && (style & WS_CHILD) == 0) top += m.menuBarHeight;
  int edge = ((exStyle & WS_EX_CLIENTEDGE) != 0 ? m.clientEdge : 0) +
             ((exStyle & WS_EX_STATICEDGE) != 0 ? m.staticEdge : 0);
  return {border + edge, top + edge, border + edge, border + edge};
}

FrameLayout LayoutFrame(const Window& window) {
  const ThemeMetrics& m = CurrentTheme()->Metrics();
  FrameLayout layout;
  const bool tool = (window.exStyle & WS_EX_TOOLWINDOW) != 0;
  const int width = window.window.right - window.window.left;
  const int height = window.window.bottom - window.window.top;
  layout.window = {0, 0, width, height};
  layout.client = window.client;
  OffsetRect(&layout.client, -window.window.left, -window.window.top);
  RECT all = InsetsOf(window);
  int edge = ((window.exStyle & WS_EX_CLIENTEDGE) != 0 ? m.clientEdge : 0) +
             ((window.exStyle & WS_EX_STATICEDGE) != 0 ? m.staticEdge : 0);
  layout.border = all.left - edge;
  layout.resizable = (window.style & WS_THICKFRAME) != 0 && !window.maximized && !window.minimized;
  int y = layout.border;
  if ((window.style & WS_CAPTION) == WS_CAPTION) {
    int h = tool ? m.toolCaptionHeight : m.captionHeight;
    layout.caption = {layout.border, y, width - layout.border, y + h};
    y += h;
    if ((window.style & WS_SYSMENU) != 0) {
      int w = tool ? m.toolCaptionButtonWidth : m.captionButtonWidth;
      int right = layout.caption.right;
      auto next = [&]() {
        RECT r{right - w, layout.caption.top, right, layout.caption.bottom};
        if (r.left < layout.caption.left) r.left = layout.caption.left;
        right -= w;
        return r;
      };
      layout.close = next();
      if (!tool && (window.style & WS_MAXIMIZEBOX) != 0) layout.maximize = next();
      if (!tool && (window.style & WS_MINIMIZEBOX) != 0) layout.minimize = next();
      layout.title = layout.caption;
      layout.title.right = std::max(layout.caption.left, static_cast<LONG>(right));
    } else {
      layout.title = layout.caption;
    }
  }
  if (HasMenuBar(window)) {
    layout.menuBar = {layout.border, y, width - layout.border, y + m.menuBarHeight};
  }
  return layout;
}

LRESULT HitTestLayout(const FrameLayout& layout, POINT p) {
  if (!PtInRect(&layout.window, p)) return HTNOWHERE;
  if (PtInRect(&layout.client, p)) return HTCLIENT;
  const int width = layout.window.right;
  const int height = layout.window.bottom;
  const int grip = CurrentTheme()->Metrics().cornerGrip;
  if (layout.resizable && layout.border > 0) {
    bool left = p.x < layout.border, right = p.x >= width - layout.border;
    bool top = p.y < layout.border, bottom = p.y >= height - layout.border;
    if (top || bottom) {
      if (InCorner(p.x, width, grip)) {
        if (top) return p.x < width / 2 ? HTTOPLEFT : HTTOPRIGHT;
        return p.x < width / 2 ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
      }
      return top ? HTTOP : HTBOTTOM;
    }
    if (left || right) {
      if (InCorner(p.y, height, grip)) {
        if (left) return p.y < height / 2 ? HTTOPLEFT : HTBOTTOMLEFT;
        return p.y < height / 2 ? HTTOPRIGHT : HTBOTTOMRIGHT;
      }
      return left ? HTLEFT : HTRIGHT;
    }
  }
  if (PtInRect(&layout.close, p)) return HTCLOSE;
  if (PtInRect(&layout.maximize, p)) return HTMAXBUTTON;
  if (PtInRect(&layout.minimize, p)) return HTMINBUTTON;
  if (PtInRect(&layout.caption, p)) return HTCAPTION;
  if (PtInRect(&layout.menuBar, p)) return HTMENU;
  return HTBORDER;
}

void SetPressedCaptionButton(HWND window, LRESULT hit, bool pressed) {
  std::lock_guard lock(UserLock());
  Pressed() = {window, hit, pressed};
}

LRESULT NonClientHitTest(HWND handle, POINT screen) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) return HTNOWHERE;
  if (IsDesktop(*w)) return HTCLIENT;
  RECT r = WindowRectOnScreen(*w);
  FrameLayout layout = LayoutFrame(*w);
  POINT p{screen.x - r.left, screen.y - r.top};
  LRESULT hit = HitTestLayout(layout, p);
  // [window scroll bars] The bars lie in what the frame layout calls border.
  if (hit == HTBORDER) {
    LRESULT bar = controls::ScrollBarHitTest(w->style, layout.client, p);
    if (bar != HTNOWHERE) return bar;
  }
  return hit;
}

void PaintNonClient(HWND handle, HDC dc, bool active) {
  FrameLayout layout;
  FrameState state;
  PressedButton pressed;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr || IsDesktop(*w)) return;
    layout = LayoutFrame(*w);
    state.style = w->style;
    state.exStyle = w->exStyle;
    state.active = active;
    state.maximized = w->maximized;
    state.title = w->text;
    state.icon = w->iconSmall != nullptr        ? w->iconSmall
                 : w->cls->iconSmall != nullptr ? w->cls->iconSmall
                                                : nullptr;
    pressed = Pressed();
  }
  // Nothing outside the client area: nothing to draw.
  if (EqualRect(&layout.window, &layout.client)) return;
  std::shared_ptr<Theme> theme = CurrentTheme();
  theme->PaintFrame(dc, layout.window, layout.client, state);
  // [window scroll bars]
  controls::PaintWindowScrollBars(handle, dc, layout.client);
  // [menu bar]
  if (!IsRectEmpty(&layout.menuBar)) controls::PaintMenuBar(handle, dc, layout.menuBar);
  if (IsRectEmpty(&layout.caption)) return;
  theme->PaintCaption(dc, layout.title, state);
  auto button = [&](const RECT& r, LRESULT hit, CaptionButton which) {
    if (IsRectEmpty(&r)) return;
    ButtonState s = ButtonState::Normal;
    if (pressed.window == handle && pressed.hit == hit) {
      s = pressed.pressed ? ButtonState::Pressed : ButtonState::Hot;
    }
    theme->PaintCaptionButton(dc, r, which, s, state);
  };
  button(layout.close, HTCLOSE, CaptionButton::Close);
  button(layout.maximize, HTMAXBUTTON,
         state.maximized ? CaptionButton::Restore : CaptionButton::Maximize);
  button(layout.minimize, HTMINBUTTON, CaptionButton::Minimize);
}

}  // namespace platform::user
