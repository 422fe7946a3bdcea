// Every control piece passes through here so that one installed theme restyles the whole
// process. The outside painter is read as a snapshot per piece: another thread may swap
// themes at any moment, and a piece must be painted entirely by one of them.
#include "platform/user/ThemeParts.h"

#include <array>
#include <mutex>

#include "platform/controls/SystemClasses.h"
#include "platform/user/ThemeHook.h"

namespace platform::user {

namespace {

constexpr int kPartSlots = 128;

struct PainterRegistry {
  std::mutex mutex;
  std::array<PartPainter, kPartSlots> builtIn{};
  std::shared_ptr<const OutsidePainter> outside;
};

PainterRegistry& Registry() {
  // Never destroyed: windows may still paint while static destructors run.
  static auto* registry = new PainterRegistry();
  return *registry;
}

bool ValidPart(int part) {
  return part > 0 && part < kPartSlots;
}

}  // namespace

void SetOutsidePainter(std::shared_ptr<const OutsidePainter> painter) {
  PainterRegistry& r = Registry();
  std::lock_guard lock(r.mutex);
  r.outside = std::move(painter);
}

std::shared_ptr<const OutsidePainter> CurrentOutsidePainter() {
  PainterRegistry& r = Registry();
  std::lock_guard lock(r.mutex);
  return r.outside;
}

void RegisterBuiltInPainter(VelmoraThemePart part, PartPainter painter) {
  if (!ValidPart(part)) return;
  PainterRegistry& r = Registry();
  std::lock_guard lock(r.mutex);
  r.builtIn[static_cast<size_t>(part)] = painter;
}

void PaintThemePart(HDC dc, VelmoraThemePart part, const RECT& rect,
                    const VelmoraThemePaintInfo& info) {
  if (dc == nullptr || !ValidPart(part)) return;
  // The control modules register their painters with their classes; a piece drawn before
  // any control was created (a theme drawing a sample, a test) must still find its look.
  platform::controls::EnsureSystemClassesRegistered();
  PartPainter builtIn = nullptr;
  std::shared_ptr<const OutsidePainter> outside;
  {
    PainterRegistry& r = Registry();
    std::lock_guard lock(r.mutex);
    builtIn = r.builtIn[static_cast<size_t>(part)];
    outside = r.outside;
  }
  // Callers hand over partly filled records; the size tells a theme which fields exist.
  VelmoraThemePaintInfo copy = info;
  copy.size = sizeof(VelmoraThemePaintInfo);
  if (outside && outside->paint != nullptr) {
    // Painters may leave pens, fonts and colours selected; the control's own drawing after
    // the piece must not inherit them.
    int saved = SaveDC(dc);
    RECT r = rect;
    int painted = outside->paint(outside->context, dc, part, &r, &copy);
    RestoreDC(dc, saved);
    if (painted != 0) return;
  }
  if (builtIn != nullptr) {
    int saved = SaveDC(dc);
    builtIn(dc, rect, copy);
    RestoreDC(dc, saved);
  }
}

int ThemeScrollBarSize() {
  std::shared_ptr<const OutsidePainter> outside = CurrentOutsidePainter();
  return outside ? outside->scrollBarSize : 17;
}

}  // namespace platform::user
