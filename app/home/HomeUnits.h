// The units of the four windows of the home area, as their form sources store them.
#pragma once

#include <cstdint>

#include "forms/units/timer/TimerUnit.h"
#include "forms/units/window/WindowUnit.h"

namespace app::home {

// HomeWindow: the picture and the six click areas laid over its tiles.
inline constexpr uint32_t kHomePicture = 0x16000102;
inline constexpr uint32_t kCaptionArea = 0x16000103;    // 字幕
inline constexpr uint32_t kWatermarkArea = 0x16000104;  // 水印
inline constexpr uint32_t kBatchArea = 0x16000105;      // 批量
inline constexpr uint32_t kFilterArea = 0x16000106;     // 滤镜
inline constexpr uint32_t kVideoArea = 0x16000107;      // 视频
inline constexpr uint32_t kAboutArea = 0x16000108;      // 关于

// SplashWindow.
inline constexpr uint32_t kSplashPicture = 0x16000202;
inline constexpr uint32_t kSplashNameLabel = 0x16000203;
inline constexpr uint32_t kSplashNameTimer = 0x16000204;   // 2000 ms
inline constexpr uint32_t kSplashCloseTimer = 0x16000205;  // 3000 ms
inline constexpr uint32_t kSplashMusicTimer = 0x16000206;  // 1500 ms

// WebPageWindow.
inline constexpr uint32_t kWebPageViewer = 0x16000302;

// AboutWindow.
inline constexpr uint32_t kAboutPicture = 0x16000402;
inline constexpr uint32_t kAboutLinkLabel = 0x16000403;

// Property indexes the handlers use.
using forms::kTimerPeriod;
using forms::kWindowMusic;
inline constexpr int32_t kViewerAddress = 11;  // the viewer's address

}  // namespace app::home
