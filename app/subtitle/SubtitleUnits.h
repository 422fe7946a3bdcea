// The units of the caption window and of the caption library window that the handlers reach,
// with the property numbers they use, as the two windows' form sources store them.
#pragma once

#include <cstdint>

#include "app/program/WindowIds.h"
#include "forms/units/commondlg/CommonDlgUnit.h"
#include "forms/units/edit/EditBoxUnit.h"
#include "forms/units/label/LabelUnit.h"
#include "forms/units/picbox/PicBoxUnit.h"

namespace app::subtitle {

// SubtitleWindow
inline constexpr uint32_t kFilmFrame = 0x16000502;               // "图片框1", the black frame
inline constexpr uint32_t kPhotoBox = 0x16000503;                // "图片框2", the photo
inline constexpr uint32_t kChineseLine = 0x16000504;             // "标签1"
inline constexpr uint32_t kEnglishLine = 0x16000505;             // "标签2"
inline constexpr uint32_t kCaptionBox = 0x16000508;              // "编辑框1"
inline constexpr uint32_t kOpenPhotoButton = 0x16000506;         // "打开照片"
inline constexpr uint32_t kSaveButton = 0x16000507;              // "生成并保存"
inline constexpr uint32_t kProcessedPictureButton = 0x16000509;  // "载入以处理图片"
inline constexpr uint32_t kEffectsButton = 0x1600050A;           // "加特效"
inline constexpr uint32_t kMoreCaptionsButton = 0x1600050B;      // "更多字幕"
inline constexpr uint32_t kOpenDialog = 0x1600050C;              // first file dialog
inline constexpr uint32_t kSaveDialog = 0x1600050D;  // second file dialog, "处理照片"

// SubtitleLibraryWindow
inline constexpr uint32_t kLibraryBox = 0x16000603;    // "编辑框1", the whole library
inline constexpr uint32_t kKeywordBox = 0x16000604;    // "编辑框3"
inline constexpr uint32_t kResultBox = 0x16000605;     // "编辑框2"
inline constexpr uint32_t kInsertButton = 0x16000606;  // "插入"

// Where the caption picture is cut from the window: its outer top-left corner is (0, 0),
// so this is the film still with its two caption lines, without frame and buttons.
inline constexpr int32_t kCaptionCropX = 9;
inline constexpr int32_t kCaptionCropY = 30;
inline constexpr int32_t kCaptionCropWidth = 979;
inline constexpr int32_t kCaptionCropHeight = 610;

inline constexpr int32_t kPictureProperty = forms::kPicBoxPicture;
inline constexpr int32_t kCaptionProperty = forms::kLabelCaption;
inline constexpr int32_t kContentProperty = forms::kEditContent;
inline constexpr int32_t kSelectedTextProperty = forms::kEditSelText;
inline constexpr int32_t kFileNameProperty = forms::kDialogFileName;

}  // namespace app::subtitle
