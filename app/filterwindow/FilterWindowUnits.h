// The units of the image-processing window, as its form source stores them.
#pragma once

#include <cstdint>

#include "forms/units/commondlg/CommonDlgUnit.h"
#include "forms/units/picbox/PicBoxUnit.h"
#include "forms/units/progress/ProgressUnit.h"

namespace app::filterwindow {

inline constexpr uint32_t kPhotoBox = 0x16000702;         // "图片框1": the photo being worked on
inline constexpr uint32_t kProgressLabel = 0x16000703;    // "渲染进度："
inline constexpr uint32_t kProgressBar = 0x16000704;      // "进度条1"
inline constexpr uint32_t kToCaptionButton = 0x16000705;  // "应用到电影水印"
inline constexpr uint32_t kToWatermarkButton = 0x16000706;  // "加水印"
inline constexpr uint32_t kSaveButton = 0x16000707;         // "保存此图片"
inline constexpr uint32_t kStatusBar = 0x16000708;          // "状态条1"
inline constexpr uint32_t kOpenDialog = 0x16000709;         // the picture to open
inline constexpr uint32_t kSaveDialog = 0x1600070A;         // "保存"

// Property numbers of the unit types used here.
using forms::kDialogFileName;
using forms::kPicBoxPicture;
using forms::kProgressPosition;

}  // namespace app::filterwindow
