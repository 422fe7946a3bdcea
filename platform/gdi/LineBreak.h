// Where wrapped text may go on to a new line: after spaces, and between characters of
// scripts written without spaces, except that Chinese punctuation keeps to its neighbour:
// closing marks (，。、；：？！ and closing quotes and brackets) never start a line and
// opening ones never end one.
#pragma once

namespace platform::gdi {

bool IsWrapSpace(char32_t c);
// Scripts written without spaces may break between any two characters.
bool IsCjkChar(char32_t c);
bool NeverStartsLine(char32_t c);
bool NeverEndsLine(char32_t c);
// Whether a line may end between these two neighbours.
bool CanBreakBetween(char32_t before, char32_t after);

}  // namespace platform::gdi
