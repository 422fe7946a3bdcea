// The screen as GetDC(NULL) sees it: the desktop colour with every visible top-level window
// laid over it from the bottom of the z-order up. Each screen DC has its own composition,
// so drawing on it changes no window, and it is composed again whenever the windows change.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/gdi/DeviceContext.h"
#include "platform/user/WindowDC.h"
#include "platform/user/WindowManager.h"

namespace platform::user {

namespace {

// Lays the desktop into `surface`, replacing it when the screen changed size. Lock held.
void ComposeLocked(std::shared_ptr<gdi::Surface>& surface) {
  const int width = gdi::Screen().width;
  const int height = gdi::Screen().height;
  if (!surface || surface->width() != width || surface->height() != height) {
    surface = gdi::Surface::Create(width, height, 32, true);
    if (!surface) return;
  }
  const uint32_t desktop = gdi::ColorToBgrx(GetSysColor(COLOR_BACKGROUND));
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(surface->Row(y));
    std::fill(row, row + width, desktop);
  }
  const auto& windows = State().topLevel;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    const Window& top = **it;
    if (top.destroyed || (top.style & WS_VISIBLE) == 0 || top.minimized || !top.surface) continue;
    gdi::Surface& source = *top.surface;
    const int left = std::max<int>(top.window.left, 0);
    const int right = std::min<int64_t>(int64_t{top.window.left} + source.width(), width);
    const int upper = std::max<int>(top.window.top, 0);
    const int lower = std::min<int64_t>(int64_t{top.window.top} + source.height(), height);
    if (right <= left || lower <= upper) continue;
    std::lock_guard pixels(source.lock());
    for (int y = upper; y < lower; ++y) {
      std::memcpy(surface->Row(y) + static_cast<size_t>(left) * 4,
                  source.Row(y - top.window.top) + static_cast<size_t>(left - top.window.left) * 4,
                  static_cast<size_t>(right - left) * 4);
    }
  }
}

struct ScreenBinding {
  uint64_t generation = 0;
};

}  // namespace

HDC CreateScreenDc() {
  std::shared_ptr<gdi::Surface> surface;
  auto binding = std::make_shared<ScreenBinding>();
  {
    std::lock_guard lock(UserLock());
    ComposeLocked(surface);
    binding->generation = State().generation;
  }
  HDC dc =
      gdi::CreateWindowDC(surface, {0, 0}, std::nullopt, [binding](gdi::DeviceContext& target) {
        std::lock_guard lock(UserLock());
        if (binding->generation == State().generation) return;
        binding->generation = State().generation;
        ComposeLocked(target.surface);
      });
  if (dc != nullptr) RegisterDc(dc, nullptr, DcKind::Screen);
  return dc;
}

}  // namespace platform::user
