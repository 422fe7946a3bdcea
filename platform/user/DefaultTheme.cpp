// The default frame: flat. Border and caption share one colour (the active or inactive
// caption colour), a one-pixel dark outline closes the window, caption buttons are plain
// line glyphs that light up when hot and darken when pressed; close turns red.
#include <algorithm>
#include <mutex>

#include "platform/user/Theme.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

COLORREF Mix(COLORREF a, COLORREF b, int percentB) {
  auto channel = [&](int shift) {
    int x = static_cast<int>((a >> shift) & 0xFF);
    int y = static_cast<int>((b >> shift) & 0xFF);
    return static_cast<COLORREF>((x * (100 - percentB) + y * percentB) / 100) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

class DefaultTheme final : public Theme {
 public:
  const ThemeMetrics& Metrics() const override { return metrics_; }

  void PaintFrame(HDC dc, const RECT& window, const RECT& client,
                  const FrameState& state) override {
    const COLORREF face = CaptionColor(state);
    const bool framed = (state.style & (WS_THICKFRAME | WS_DLGFRAME)) != 0 ||
                        (state.exStyle & WS_EX_DLGMODALFRAME) != 0;
    const int edge = ((state.exStyle & WS_EX_CLIENTEDGE) != 0 ? metrics_.clientEdge : 0) +
                     ((state.exStyle & WS_EX_STATICEDGE) != 0 ? metrics_.staticEdge : 0);
    RECT inner = client;
    InflateRect(&inner, edge, edge);
    // The band between the outer rectangle and the client edge, as four strips so the
    // client area is never touched.
    COLORREF band = framed ? face : GetSysColor(COLOR_WINDOWFRAME);
    Fill(dc, {window.left, window.top, window.right, inner.top}, band);
    Fill(dc, {window.left, inner.bottom, window.right, window.bottom}, band);
    Fill(dc, {window.left, inner.top, inner.left, inner.bottom}, band);
    Fill(dc, {inner.right, inner.top, window.right, inner.bottom}, band);
    if (framed) {
      HBRUSH outline = CreateSolidBrush(Mix(face, RGB(0, 0, 0), 45));
      FrameRect(dc, &window, outline);
      DeleteObject(outline);
    }
    if (edge > 0) {
      // A sunken client edge: shadow outside, darker line inside.
      RECT r = inner;
      HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
      FrameRect(dc, &r, shadow);
      if (edge > 1) {
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_3DLIGHT));
      }
    }
  }

  void PaintCaption(HDC dc, const RECT& caption, const FrameState& state) override {
    Fill(dc, caption, CaptionColor(state));
    RECT text = caption;
    text.left += 8;
    if (state.icon != nullptr) {
      int size = std::min(16, static_cast<int>(caption.bottom - caption.top));
      int y = caption.top + (caption.bottom - caption.top - size) / 2;
      DrawIconEx(dc, caption.left + 6, y, state.icon, size, size, 0, nullptr, DI_NORMAL);
      text.left = caption.left + 6 + size + 6;
    }
    if (state.title.empty() || text.right <= text.left) return;
    int saved = SaveDC(dc);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(state.active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    DrawTextA(dc, state.title.c_str(), static_cast<int>(state.title.size()), &text,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    RestoreDC(dc, saved);
  }

  void PaintCaptionButton(HDC dc, const RECT& button, CaptionButton which, ButtonState state,
                          const FrameState& frame) override {
    const COLORREF face = CaptionColor(frame);
    COLORREF back = face;
    if (state == ButtonState::Hot) {
      back = which == CaptionButton::Close ? RGB(232, 17, 35) : Mix(face, RGB(255, 255, 255), 20);
    } else if (state == ButtonState::Pressed) {
      back = which == CaptionButton::Close ? RGB(160, 12, 24) : Mix(face, RGB(0, 0, 0), 25);
    }
    Fill(dc, button, back);
    COLORREF ink = GetSysColor(frame.active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    if (state == ButtonState::Disabled) ink = Mix(ink, face, 55);
    int saved = SaveDC(dc);
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int glyph = std::max(4, std::min(10, static_cast<int>(button.bottom - button.top) - 12));
    const int x = button.left + (button.right - button.left - glyph) / 2;
    const int y = button.top + (button.bottom - button.top - glyph) / 2;
    switch (which) {
      case CaptionButton::Close:
        Line(dc, x, y, x + glyph, y + glyph);
        Line(dc, x + glyph - 1, y, x - 1, y + glyph);
        break;
      case CaptionButton::Maximize:
        Rectangle(dc, x, y, x + glyph, y + glyph);
        break;
      case CaptionButton::Restore:
        Rectangle(dc, x, y + 2, x + glyph - 2, y + glyph);
        Line(dc, x + 2, y + 2, x + 2, y);
        Line(dc, x + 2, y, x + glyph, y);
        Line(dc, x + glyph - 1, y, x + glyph - 1, y + glyph - 2);
        Line(dc, x + glyph - 1, y + glyph - 3, x + glyph - 3, y + glyph - 3);
        break;
      case CaptionButton::Minimize:
        Line(dc, x, y + glyph / 2, x + glyph, y + glyph / 2);
        break;
    }
    RestoreDC(dc, saved);
    DeleteObject(pen);
  }

 private:
  static COLORREF CaptionColor(const FrameState& state) {
    return GetSysColor(state.active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  }

  ThemeMetrics metrics_;
};

std::mutex& ThemeMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}

std::shared_ptr<Theme>& ThemeSlot() {
  static auto* slot = new std::shared_ptr<Theme>(CreateDefaultTheme());
  return *slot;
}

}  // namespace

std::shared_ptr<Theme> CreateDefaultTheme() {
  return std::make_shared<DefaultTheme>();
}

std::shared_ptr<Theme> CurrentTheme() {
  std::lock_guard lock(ThemeMutex());
  return ThemeSlot();
}

void InstallTheme(std::shared_ptr<Theme> theme) {
  {
    std::lock_guard lock(ThemeMutex());
    ThemeSlot() = theme ? std::move(theme) : CreateDefaultTheme();
  }
  std::vector<HWND> frames;
  {
    std::lock_guard lock(UserLock());
    for (Window* w : State().topLevel) frames.push_back(w->handle);
  }
  for (HWND w : frames)
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace platform::user
