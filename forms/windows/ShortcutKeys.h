// The menu shortcut keys a menu item may name by number (1-77): the key's name, which is
// shown after a tab in the item's caption, and the virtual key with its modifiers.
#pragma once

#include <cstdint>

#include "platform/user32.h"

namespace forms {

struct ShortcutKey {
  const char* name;
  WORD key;
  BYTE modifiers;  // FCONTROL, FSHIFT
};

inline constexpr uint32_t kShortcutKeyCount = 77;
// The key of number 1-77, or null.
const ShortcutKey* FindShortcutKey(uint32_t number);

}  // namespace forms
