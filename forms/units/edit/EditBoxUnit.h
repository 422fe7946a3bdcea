// The edit box: a system edit control whose change event (0) follows every change of its
// content exactly once, however it came: a typed key, a paste, a phrase committed by an
// input method (which arrives as a run of characters and counts as one change), a
// replaced selection, or a set of the content, even to the text it already holds.
//
// Properties left to us: 15 makes the box multi-line, 16 chooses its scroll bars (0 none,
// 1 horizontal, 2 vertical, 3 both) and 17 its alignment (0 left, 1 centred, 2 right), all
// three by re-creating the control; 9 chooses the edge (0 none, 1 sunken, 2 raised,
// 3 shallow, 4 framed, 5 single line). 13 and 20-23 are kept with the unit.
#pragma once

#include <cstdint>

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kEditContent = 8;
inline constexpr uint32_t kEditBorder = 9;
inline constexpr uint32_t kEditTextColor = 10;
inline constexpr uint32_t kEditBackColor = 11;
inline constexpr uint32_t kEditFont = 12;
inline constexpr uint32_t kEditMaxLength = 14;
inline constexpr uint32_t kEditMultiLine = 15;
inline constexpr uint32_t kEditScrollBars = 16;
inline constexpr uint32_t kEditAlignment = 17;
inline constexpr uint32_t kEditInputMode = 18;  // 1 read-only, 2 password
inline constexpr uint32_t kEditPasswordChar = 19;
inline constexpr uint32_t kEditSelStart = 24;
inline constexpr uint32_t kEditSelLength = 25;
inline constexpr uint32_t kEditSelText = 26;

inline constexpr int32_t kEditChanged = 0;

struct EditStyles {
  DWORD style = 0;
  DWORD exStyle = 0;
};
EditStyles EditBoxStyles(const TypeBlock& properties);

void* EditBoxInterface(int32_t operation);

}  // namespace forms
