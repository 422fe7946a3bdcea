// The ids of Velmora's nine windows, as their form sources store them. Window n is
// 0x52000n00; its own unit is 0x06000n01 and its controls and menu items count on from there.
#pragma once

#include <cstdint>

namespace app {

inline constexpr uint32_t kHomeWindow = 0x52000100;
inline constexpr uint32_t kSplashWindow = 0x52000200;
inline constexpr uint32_t kWebPageWindow = 0x52000300;
inline constexpr uint32_t kAboutWindow = 0x52000400;
inline constexpr uint32_t kSubtitleWindow = 0x52000500;
inline constexpr uint32_t kSubtitleLibraryWindow = 0x52000600;
inline constexpr uint32_t kFilterWindow = 0x52000700;
inline constexpr uint32_t kWatermarkWindow = 0x52000800;
inline constexpr uint32_t kBatchWindow = 0x52000900;

// The unit a window reference names when it means the window itself.
inline constexpr uint32_t kWindowItself = 0;

}  // namespace app
