// Loading a window from its template: the menu bar, the units in their creation order,
// parenting, stacking, cursors, the set-up messages, showing, the modal state and focus;
// then re-creating a unit in place after a style change.
#pragma once

#include <cstddef>
#include <cstdint>

#include "forms/data/FormTemplate.h"
#include "platform/user32.h"

namespace forms {

class UnitObject;

// Builds the window and its units (the whole load but the modal loop). False when it
// cannot be created; an open window is only brought to the front.
bool BuildWindow(FormTemplate& form, HWND parent, bool modal);
// The load service: builds the window, then runs the modal loop for a modal one until it
// is gone. 0 when loaded, -1 when not.
int32_t LoadWindow(uint32_t windowId, UnitObject* parent, bool modal);
bool LoadStartupWindow(uint32_t windowId);
// The modal window whose loop runs innermost, or null.
HWND CurrentModalWindow();

// Re-creates unit `index` of a loaded window from its current state (events are left as
// they are: the caller suppresses them). False when the type cannot re-create it.
bool RecreateUnit(FormTemplate& form, size_t index);

// Whether a unit sits on a page of a paged container that is not the selected page.
bool OnHiddenPage(const FormTemplate& form, size_t index);

// Control ids of units: 100 for the first unit created, then steps of 10.
inline constexpr UINT kFirstControlId = 100;
inline constexpr UINT kControlIdStep = 10;

}  // namespace forms
