// The units of the watermark window the editor works with, and the property numbers it
// reads and writes on them, as the window's form source stores them.
#pragma once

#include <cstdint>

#include "forms/units/commondlg/CommonDlgUnit.h"
#include "forms/units/scrollbar/ScrollBarUnit.h"
#include "forms/units/slider/SliderUnit.h"

namespace app::watermark {

inline constexpr uint32_t kViewport = 0x16000802;       // 图片框2: the box scrolls inside it
inline constexpr uint32_t kBox = 0x16000803;            // 显示动画框
inline constexpr uint32_t kTemplate = 0x16000804;       // 动画物体1
inline constexpr uint32_t kHorizontalBar = 0x16000805;  // 横向滚动条1
inline constexpr uint32_t kVerticalBar = 0x16000806;    // 纵向滚动条1
inline constexpr uint32_t kAlphaSlider = 0x16000808;    // 滑块条1: watermark transparency
inline constexpr uint32_t kScaleSlider = 0x1600080A;    // 滑块条2: scale per mille
inline constexpr uint32_t kLoadProcessedButton = 0x1600080B;
inline constexpr uint32_t kLoadBackgroundButton = 0x1600080C;
inline constexpr uint32_t kLoadWatermarkButton = 0x1600080D;
inline constexpr uint32_t kSaveButton = 0x1600080E;
inline constexpr uint32_t kDialog = 0x1600080F;  // 通用对话框1

// Template object.
inline constexpr int32_t kTemplatePicture = 11;
inline constexpr int32_t kTemplateZoom = 21;
inline constexpr int32_t kTemplateLayer = 22;
using forms::kDialogFileName;
using forms::kDialogFilter;
using forms::kDialogKind;
using forms::kScrollMax;
using forms::kScrollPosition;
using forms::kSliderMax;
using forms::kSliderMin;
using forms::kSliderPosition;
inline constexpr int32_t kDialogOpenFile = 0;
inline constexpr int32_t kDialogSaveFile = 1;

inline constexpr int32_t kPhotoLayer = 1;
inline constexpr int32_t kWatermarkLayer = 2;

// The scale at which the scene is saved, and in which the watermark's place is kept.
inline constexpr int32_t kFullScale = 1000;

}  // namespace app::watermark
