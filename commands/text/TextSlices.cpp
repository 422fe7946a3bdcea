// Measuring and cutting texts. These count bytes blindly: a cut may fall inside a
// two-byte character, which callers accept.
#include <algorithm>
#include <climits>
#include <string_view>

#include "commands/support/CommandArgs.h"
#include "commands/text/TextCommands.h"

namespace cmd {

void TextLength(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  std::string_view text = in.Text(0);
  // A text block cannot exceed the 32-bit sizes the heap hands out.
  SetInt(result, static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX)));
}

void RightText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  std::string_view text = in.Text(0);
  int32_t n = in.Int(1, 0);
  if (n <= 0) {
    SetText(result, {});
    return;
  }
  size_t take = std::min(static_cast<size_t>(n), text.size());
  SetText(result, text.substr(text.size() - take));
}

void MidText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  std::string_view text = in.Text(0);
  // Widened so that a start of INT32_MIN cannot overflow. A missing count takes the rest.
  int64_t p = int64_t{in.Int(1, 1)} - 1;
  int32_t n = in.Int(2, INT32_MAX);
  if (p < 0 || static_cast<uint64_t>(p) >= text.size() || n <= 0) {
    SetText(result, {});
    return;
  }
  SetText(result, text.substr(static_cast<size_t>(p), static_cast<size_t>(n)));
}

}  // namespace cmd
