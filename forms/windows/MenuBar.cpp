#include "forms/windows/MenuBar.h"

#include <string>
#include <vector>

#include "forms/units/window/WindowUnit.h"
#include "forms/windows/ShortcutKeys.h"
#include "forms/windows/WindowList.h"

namespace forms {

namespace {

struct Item {
  UINT command;
  uint32_t level;
  uint32_t flags;
  uint32_t shortcut;
  std::string caption;
};

std::vector<Item> MenuItems(const FormTemplate& form) {
  std::vector<Item> items;
  UINT command = kFirstMenuCommand;
  for (size_t i = 0; i < form.UnitCount(); ++i) {
    if (!form.IsMenuItem(i)) continue;
    MenuItemRecordView item = form.MenuItem(i);
    items.push_back(
        {command++, item.Level(), item.StateFlags(), item.Shortcut(), std::string(item.Caption())});
  }
  return items;
}

class Builder {
 public:
  explicit Builder(const std::vector<Item>& items) : items_(items) {}

  // Appends the items from `pos` on that lie deeper than `parentLevel` (-1: the bar).
  void Fill(HMENU menu, int64_t parentLevel) {
    while (pos_ < items_.size() && static_cast<int64_t>(items_[pos_].level) > parentLevel) {
      const Item& item = items_[pos_++];
      bool popup = item.level == 0 || (pos_ < items_.size() && items_[pos_].level > item.level);
      HMENU sub = nullptr;
      if (popup) {
        sub = CreatePopupMenu();
        Fill(sub, item.level);
      }
      if ((item.flags & kMenuHidden) != 0) {
        if (sub != nullptr) DestroyMenu(sub);
        continue;
      }
      Append(menu, item, sub);
    }
  }

  std::vector<ACCEL> accelerators;

 private:
  void Append(HMENU menu, const Item& item, HMENU sub) {
    if (sub == nullptr && item.caption == "-") {
      AppendMenuA(menu, MF_SEPARATOR, item.command, nullptr);
      return;
    }
    UINT flags = MF_STRING;
    if ((item.flags & kMenuDisabled) != 0) flags |= MF_GRAYED;
    std::string caption = item.caption;
    if (sub != nullptr) {
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
      return;
    }
    if ((item.flags & kMenuChecked) != 0) flags |= MF_CHECKED;
    if (const ShortcutKey* key = FindShortcutKey(item.shortcut)) {
      caption += '\t';
      caption += key->name;
      accelerators.push_back({static_cast<BYTE>(FVIRTKEY | FNOINVERT | key->modifiers), key->key,
                              static_cast<WORD>(item.command)});
    }
    AppendMenuA(menu, flags, item.command, caption.c_str());
  }

  const std::vector<Item>& items_;
  size_t pos_ = 0;
};

}  // namespace

void MenuBar::Destroy() {
  if (menu != nullptr) DestroyMenu(menu);
  if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
  menu = nullptr;
  accelerators = nullptr;
}

MenuBar BuildMenuBar(const FormTemplate& form) {
  MenuBar bar;
  std::vector<Item> items = MenuItems(form);
  if (items.empty()) return bar;
  bar.menu = CreateMenu();
  Builder builder(items);
  builder.Fill(bar.menu, -1);
  if (!builder.accelerators.empty()) {
    bar.accelerators = CreateAcceleratorTableA(builder.accelerators.data(),
                                               static_cast<int>(builder.accelerators.size()));
  }
  return bar;
}

void RebuildMenuBar(FormTemplate& form) {
  WindowUnit* window = LiveWindow(form);
  if (window == nullptr) return;
  MenuBar bar = BuildMenuBar(form);
  HWND h = window->Handle();
  HMENU old = GetMenu(h);
  SetMenu(h, bar.menu);
  if (old != nullptr && old != bar.menu) DestroyMenu(old);
  window->SetAccelerators(bar.accelerators);
}

}  // namespace forms
