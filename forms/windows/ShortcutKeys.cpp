#include "forms/windows/ShortcutKeys.h"

#include <array>
#include <string>

namespace forms {

namespace {

// Ctrl+A-Z, F1-F12, Ctrl+F1-F12, Shift+F1-F12, Ctrl+Shift+F1-F12, then the three editing
// keys of the clipboard.
struct Table {
  std::array<std::string, kShortcutKeyCount> names;
  std::array<ShortcutKey, kShortcutKeyCount> keys{};

  Table() {
    size_t n = 0;
    auto add = [&](std::string name, WORD key, BYTE modifiers) {
      names[n] = std::move(name);
      keys[n] = {nullptr, key, modifiers};
      ++n;
    };
    for (char c = 'A'; c <= 'Z'; ++c) add(std::string("Ctrl+") + c, static_cast<WORD>(c), FCONTROL);
    const struct {
      const char* prefix;
      BYTE modifiers;
    } kFunctionRows[] = {
        {"", 0}, {"Ctrl+", FCONTROL}, {"Shift+", FSHIFT}, {"Ctrl+Shift+", FCONTROL | FSHIFT}};
    for (const auto& row : kFunctionRows) {
      for (int f = 1; f <= 12; ++f) {
        add(std::string(row.prefix) + "F" + std::to_string(f), static_cast<WORD>(VK_F1 + f - 1),
            row.modifiers);
      }
    }
    add("Ctrl+Ins", VK_INSERT, FCONTROL);
    add("Shift+Ins", VK_INSERT, FSHIFT);
    add("Del", VK_DELETE, 0);
    for (size_t i = 0; i < n; ++i) keys[i].name = names[i].c_str();
  }
};

}  // namespace

const ShortcutKey* FindShortcutKey(uint32_t number) {
  static const Table table;
  if (number == 0 || number > kShortcutKeyCount) return nullptr;
  return &table.keys[number - 1];
}

}  // namespace forms
