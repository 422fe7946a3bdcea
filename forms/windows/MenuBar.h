// A window's menu bar and accelerator table, built from its menu-item records.
#pragma once

#include "forms/data/FormTemplate.h"
#include "platform/user32.h"

namespace forms {

struct MenuBar {
  HMENU menu = nullptr;           // null when the window has no menu items
  HACCEL accelerators = nullptr;  // null when no item has a shortcut key
  void Destroy();
};

MenuBar BuildMenuBar(const FormTemplate& form);

// Replaces a loaded window's menu bar and accelerators after its menu items changed.
void RebuildMenuBar(FormTemplate& form);

}  // namespace forms
