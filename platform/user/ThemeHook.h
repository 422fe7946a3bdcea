// What an outside theme installed through the C interface hands to control painting. Kept
// apart from ThemeParts.h because only the installer sets it.
#pragma once

#include <memory>

#include "platform/ThemeApi.h"

namespace platform::user {

struct OutsidePainter {
  VelmoraThemePaintFn paint = nullptr;  // may be null: the theme only changes colours
  void* context = nullptr;
  int scrollBarSize = 17;
};

// Replaces the outside painter (null: none). A paint in progress keeps the snapshot it took.
void SetOutsidePainter(std::shared_ptr<const OutsidePainter> painter);
std::shared_ptr<const OutsidePainter> CurrentOutsidePainter();

}  // namespace platform::user
