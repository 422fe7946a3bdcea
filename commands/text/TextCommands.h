// The core library's commands that measure, cut, search, replace in and split texts.
// Texts are GBK byte strings; lengths and 1-based positions count bytes.
#pragma once

#include <cstdint>

#include "runtime/calls/ArgRecord.h"

namespace cmd {

// (text) -> int: bytes before the terminating zero.
void TextLength(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (text, int n) -> text: the last n bytes, cut blindly.
void RightText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (text, int start, int count) -> text: bytes from a 1-based start, cut blindly.
void MidText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (text, sought, [int start], [bool ignore case]) -> int: 1-based position or -1.
void FindText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (text, sought, [replacement], [int start], [int count], [bool match case]) -> text.
void ReplaceText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (text, [delimiter], [int maximum]) -> array of texts.
void SplitText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

}  // namespace cmd
