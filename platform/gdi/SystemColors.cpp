// System colours: the classic light scheme until the theme interface replaces them.
#include <array>
#include <atomic>
#include <memory>

#include "platform/gdi/DeviceContext.h"

namespace platform::gdi {

namespace {

constexpr int kColorCount = COLOR_MENUBAR + 1;

constexpr std::array<COLORREF, kColorCount> kClassicColors = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25: no name, kept for index compatibility
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};

// Read by every paint of every thread and written rarely by the theme: atomics suffice.
std::array<std::atomic<COLORREF>, kColorCount>& Colors() {
  static auto* colors = [] {
    auto* c = new std::array<std::atomic<COLORREF>, kColorCount>();
    for (int i = 0; i < kColorCount; ++i) (*c)[i].store(kClassicColors[i]);
    return c;
  }();
  return *colors;
}

// One brush per colour, made once; its colour follows the current system colour.
HBRUSH SysColorBrushHandle(int index) {
  static auto* handles = [] {
    auto* h = new std::array<HBRUSH, kColorCount>();
    for (int i = 0; i < kColorCount; ++i) {
      auto brush = std::make_shared<BrushObject>();
      brush->stock = true;
      brush->sysColorIndex = i;
      brush->logBrush = LOGBRUSH{BS_SOLID, kClassicColors[i], 0};
      (*h)[i] = InsertObject(brush);
    }
    return h;
  }();
  return (*handles)[index];
}

}  // namespace

void SetSysColors(const COLORREF* colors, int count) {
  if (colors == nullptr || count <= 0) return;
  for (int i = 0; i < count && i < kColorCount; ++i) Colors()[i].store(colors[i] & 0xFFFFFF);
}

}  // namespace platform::gdi

DWORD GetSysColor(int index) {
  if (index < 0 || index >= platform::gdi::kColorCount) return 0;
  return platform::gdi::Colors()[index].load();
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= platform::gdi::kColorCount) return nullptr;
  return platform::gdi::SysColorBrushHandle(index);
}
