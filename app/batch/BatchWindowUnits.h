// The units of the batch window, as its form source stores them.
#pragma once

#include <cstdint>

#include "forms/units/commondlg/CommonDlgUnit.h"
#include "forms/units/label/LabelUnit.h"
#include "forms/units/picbox/PicBoxUnit.h"

namespace app::batch {

inline constexpr uint32_t kPhotoBox = 0x16000902;      // "图片框2": the photo being stamped
inline constexpr uint32_t kWatermarkBox = 0x16000903;  // "图片框1": the watermark, on the photo
inline constexpr uint32_t kStatusLabel = 0x16000904;   // the strip above the photo
inline constexpr uint32_t kGroupBox = 0x16000905;
inline constexpr uint32_t kLoadButton = 0x16000906;   // "载入水印"
inline constexpr uint32_t kStampButton = 0x16000907;  // "一键批量打水印"
inline constexpr uint32_t kCloseButton = 0x16000908;
inline constexpr uint32_t kFileDialog = 0x16000909;
inline constexpr uint32_t kHintLabel = 0x1600090A;

// Property numbers of the unit types used here.
using forms::kDialogFileName;
using forms::kLabelCaption;
using forms::kPicBoxPicture;

// What the window shows of the photo, from the window's outer top-left corner: the photo box
// exactly, the watermark box on it included.
inline constexpr int32_t kPhotoLeft = 0;
inline constexpr int32_t kPhotoTop = 26;
inline constexpr int32_t kPhotoWidth = 1096;
inline constexpr int32_t kPhotoHeight = 515;

}  // namespace app::batch
