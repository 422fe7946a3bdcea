// The label: a caption drawn by the unit itself over its back colour or back picture, inside
// one of six borders. Its event 0 is a feedback event: whoever sends the label
// kMsgLabelFeedback with two words has event 0 raised with them and gets the handler's
// returned value back (0 when it returned none).
#pragma once

#include <cstdint>

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kLabelCaption = 8;
inline constexpr uint32_t kLabelHAlign = 9;
inline constexpr uint32_t kLabelVAlign = 10;
inline constexpr uint32_t kLabelInt11 = 11;  // never below 5
inline constexpr uint32_t kLabelFont = 15;
inline constexpr uint32_t kLabelTextColor = 16;
inline constexpr uint32_t kLabelBackColor = 17;
inline constexpr uint32_t kLabelBackPicture = 18;
// 0 none, 1 sunken, 2 raised, 3 shallow sunken, 4 framed, 5 single line.
inline constexpr uint32_t kLabelBorder = 19;

inline constexpr int32_t kLabelFeedbackEvent = 0;
inline constexpr int32_t kLabelMinimum11 = 5;

// Private to the label's class: wParam and lParam are the event's two arguments.
inline constexpr UINT kMsgLabelFeedback = WM_USER + 0x100;

void* LabelInterface(int32_t operation);

}  // namespace forms
