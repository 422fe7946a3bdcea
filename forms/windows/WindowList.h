// The loaded windows: every window template of the form data, and for each the live unit
// objects in its records' run-time slots. A window is loaded while entry 0 of its unit table
// (the window's own unit) has a live object whose window handle is valid.
#pragma once

#include <cstddef>
#include <cstdint>

#include "forms/data/FormTemplate.h"
#include "platform/user32.h"

namespace forms {

class UnitObject;
class WindowUnit;

FormTemplate* FindTemplate(uint32_t windowId);
// The window object of a template while the window is loaded, else null.
WindowUnit* LiveWindow(const FormTemplate& form);
// The template of a loaded window, or null.
FormTemplate* FindLoadedWindow(uint32_t windowId);
// The live object of entry `index`, or null.
UnitObject* LiveUnit(const FormTemplate& form, size_t index);
// The unit object of (window id, unit id) in a loaded window; unit id 0, the window's own
// unit id or an id that is no unit of the window stand for the window itself.
UnitObject* FindUnitObject(uint32_t windowId, uint32_t unitId);
// The template and entry of a unit object, when it belongs to a loaded window.
bool LocateUnit(const UnitObject* unit, FormTemplate** form, size_t* index);
// The unit's mouse cursor made at load, or null for the standard cursor.
HCURSOR UnitCursor(uint32_t windowId, uint32_t unitId);

bool AnyWindowLive();
// Program end: every loaded window is destroyed, even one whose close handler refuses.
void DestroyAllWindows();
// Notify 2000: a unit's window is gone; its record lets go of the object.
void DropUnitReferences(uint32_t windowId, uint32_t unitId);
// Notify 2032 and 2033.
int32_t WindowTemplateCount();
HWND WindowHandleAt(size_t position);
// Notify 1014: the handle belongs to a unit of a loaded window.
bool IsLoadedUnitHandle(HWND window);

// While a unit is re-created, the destroy notice of its old window leaves its record alone
// (the record already holds the new unit). 0, 0 when none is.
void SetRecreating(uint32_t windowId, uint32_t unitId);

}  // namespace forms
