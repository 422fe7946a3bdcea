// Themes from outside shared objects: the C record is checked, copied and turned into the
// frame theme and the control painter that the rest of the window manager uses.
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ThemeApi.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/kernel32.h"
#include "platform/user/Theme.h"
#include "platform/user/ThemeHook.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

constexpr int kSysColorCount = COLOR_MENUBAR + 1;

struct InstallState {
  // Recursive: a window procedure run by the repaint may install a theme itself.
  std::recursive_mutex mutex;
  // The colours in use before the first outside theme, to give back on NULL.
  bool haveBuiltInColors = false;
  std::vector<COLORREF> builtInColors;
};

InstallState& Installs() {
  static auto* state = new InstallState();
  return *state;
}

bool InRange(int32_t value, int low, int high) {
  return value >= low && value <= high;
}

bool SaneMetrics(const VelmoraThemeMetrics& m) {
  // Programs lay their dialogs out against the fixed frame; the rest only has to leave
  // room for a usable window.
  return m.fixedBorder == 6 && m.captionHeight == 24 && InRange(m.resizableBorder, 1, 32) &&
         InRange(m.toolFixedBorder, 0, 32) && InRange(m.toolResizableBorder, 1, 32) &&
         InRange(m.toolCaptionHeight, 8, 64) && InRange(m.menuBarHeight, 12, 64) &&
         InRange(m.captionButtonWidth, 12, 96) && InRange(m.scrollBarSize, 8, 48);
}

class OutsideTheme final : public Theme {
 public:
  OutsideTheme(const ThemeMetrics& metrics, std::shared_ptr<const OutsidePainter> painter)
      : metrics_(metrics), painter_(std::move(painter)), builtIn_(CreateDefaultTheme()) {}

  const ThemeMetrics& Metrics() const override { return metrics_; }

  void PaintFrame(HDC dc, const RECT& window, const RECT& client,
                  const FrameState& state) override {
    VelmoraThemePaintInfo info = Describe(state);
    info.inner = client;
    if (!Ask(dc, VELMORA_PART_FRAME, window, info)) builtIn_->PaintFrame(dc, window, client, state);
  }

  void PaintCaption(HDC dc, const RECT& caption, const FrameState& state) override {
    VelmoraThemePaintInfo info = Describe(state);
    if (!Ask(dc, VELMORA_PART_CAPTION, caption, info)) builtIn_->PaintCaption(dc, caption, state);
  }

  void PaintCaptionButton(HDC dc, const RECT& button, CaptionButton which, ButtonState state,
                          const FrameState& frame) override {
    VelmoraThemePaintInfo info = Describe(frame);
    switch (which) {
      case CaptionButton::Close:
        info.value = 0;
        break;
      case CaptionButton::Maximize:
        info.value = 1;
        break;
      case CaptionButton::Restore:
        info.value = 2;
        break;
      case CaptionButton::Minimize:
        info.value = 3;
        break;
    }
    if (state == ButtonState::Hot) info.state |= VELMORA_STATE_HOT;
    if (state == ButtonState::Pressed) info.state |= VELMORA_STATE_PRESSED | VELMORA_STATE_HOT;
    if (state == ButtonState::Disabled) info.state |= VELMORA_STATE_DISABLED;
    if (!Ask(dc, VELMORA_PART_CAPTION_BUTTON, button, info)) {
      builtIn_->PaintCaptionButton(dc, button, which, state, frame);
    }
  }

 private:
  // The title's buffer lives in `state`, which outlives the call.
  static VelmoraThemePaintInfo Describe(const FrameState& state) {
    VelmoraThemePaintInfo info{};
    info.size = sizeof(info);
    info.state = state.active ? VELMORA_STATE_ACTIVE : 0;
    info.text = state.title.c_str();
    info.style = state.style;
    info.exStyle = state.exStyle;
    info.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return info;
  }

  bool Ask(HDC dc, VelmoraThemePart part, const RECT& rect, const VelmoraThemePaintInfo& info) {
    if (painter_->paint == nullptr) return false;
    RECT r = rect;
    int saved = SaveDC(dc);
    int painted = painter_->paint(painter_->context, dc, part, &r, &info);
    RestoreDC(dc, saved);
    return painted != 0;
  }

  ThemeMetrics metrics_;
  std::shared_ptr<const OutsidePainter> painter_;
  std::shared_ptr<Theme> builtIn_;
};

void RepaintEverything() {
  std::vector<std::pair<HWND, DWORD>> windows;
  {
    std::lock_guard lock(UserLock());
    for (Window* w : State().topLevel) windows.emplace_back(w->handle, w->threadId);
  }
  const DWORD self = GetCurrentThreadId();
  for (const auto& [window, thread] : windows) {
    UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
    // Our own windows show the new look before we return; other threads' windows get it
    // from their own paint cycle.
    if (thread == self) flags |= RDW_UPDATENOW;
    RedrawWindow(window, nullptr, nullptr, flags);
  }
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

BOOL VelmoraInstallTheme(const VelmoraTheme* theme) {
  InstallState& s = Installs();
  {
    std::lock_guard lock(s.mutex);
    if (theme == nullptr) {
      SetOutsidePainter(nullptr);
      if (s.haveBuiltInColors) {
        platform::gdi::SetSysColors(s.builtInColors.data(),
                                    static_cast<int>(s.builtInColors.size()));
      }
      InstallTheme(nullptr);
    } else {
      if (theme->size != sizeof(VelmoraTheme) || theme->version != VELMORA_THEME_VERSION ||
          theme->sysColorCount < 0 || (theme->sysColors == nullptr && theme->sysColorCount > 0) ||
          (theme->metrics != nullptr && !SaneMetrics(*theme->metrics))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      ThemeMetrics metrics;
      auto painter = std::make_shared<OutsidePainter>();
      painter->paint = theme->paint;
      painter->context = theme->context;
      if (theme->metrics != nullptr) {
        const VelmoraThemeMetrics& m = *theme->metrics;
        metrics.fixedBorder = m.fixedBorder;
        metrics.resizableBorder = m.resizableBorder;
        metrics.toolFixedBorder = m.toolFixedBorder;
        metrics.toolResizableBorder = m.toolResizableBorder;
        metrics.captionHeight = m.captionHeight;
        metrics.toolCaptionHeight = m.toolCaptionHeight;
        metrics.menuBarHeight = m.menuBarHeight;
        metrics.captionButtonWidth = m.captionButtonWidth;
        metrics.toolCaptionButtonWidth =
            std::min(metrics.toolCaptionButtonWidth, m.captionButtonWidth);
        painter->scrollBarSize = m.scrollBarSize;
      }
      if (!s.haveBuiltInColors) {
        s.builtInColors.resize(kSysColorCount);
        for (int i = 0; i < kSysColorCount; ++i)
          s.builtInColors[static_cast<size_t>(i)] = GetSysColor(i);
        s.haveBuiltInColors = true;
      }
      // Colours the theme leaves out are the built-in ones, not the previous theme's.
      std::vector<COLORREF> colors = s.builtInColors;
      const int given = std::min(theme->sysColorCount, kSysColorCount);
      for (int i = 0; i < given; ++i) colors[static_cast<size_t>(i)] = theme->sysColors[i];
      platform::gdi::SetSysColors(colors.data(), kSysColorCount);
      SetOutsidePainter(painter);
      InstallTheme(std::make_shared<OutsideTheme>(metrics, painter));
    }
  }
  RepaintEverything();
  return TRUE;
}
