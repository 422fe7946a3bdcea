#include "forms/windows/WindowList.h"

#include <vector>

#include "forms/data/FormData.h"
#include "forms/units/UnitObject.h"
#include "forms/units/window/WindowUnit.h"

namespace forms {

namespace {
uint32_t g_recreatingWindow = 0;
uint32_t g_recreatingUnit = 0;
}  // namespace

FormTemplate* FindTemplate(uint32_t windowId) {
  return LoadedForms().Find(windowId);
}

UnitObject* LiveUnit(const FormTemplate& form, size_t index) {
  if (index >= form.UnitCount()) return nullptr;
  return static_cast<UnitObject*>(form.Runtime(index).object);
}

WindowUnit* LiveWindow(const FormTemplate& form) {
  if (form.UnitCount() == 0) return nullptr;
  auto* window = dynamic_cast<WindowUnit*>(LiveUnit(form, 0));
  if (window == nullptr || !IsWindow(window->Handle())) return nullptr;
  return window;
}

FormTemplate* FindLoadedWindow(uint32_t windowId) {
  FormTemplate* form = FindTemplate(windowId);
  return form != nullptr && LiveWindow(*form) != nullptr ? form : nullptr;
}

UnitObject* FindUnitObject(uint32_t windowId, uint32_t unitId) {
  FormTemplate* form = FindLoadedWindow(windowId);
  if (form == nullptr) return nullptr;
  std::optional<size_t> index = form->FindUnit(unitId);
  if (!index || form->IsMenuItem(*index)) return LiveUnit(*form, 0);
  return LiveUnit(*form, *index);
}

bool LocateUnit(const UnitObject* unit, FormTemplate** form, size_t* index) {
  if (unit == nullptr) return false;
  FormTemplate* found = FindLoadedWindow(unit->WindowId());
  if (found == nullptr) return false;
  std::optional<size_t> at = found->FindUnit(unit->UnitId());
  if (!at || LiveUnit(*found, *at) != unit) return false;
  *form = found;
  *index = *at;
  return true;
}

HCURSOR UnitCursor(uint32_t windowId, uint32_t unitId) {
  FormTemplate* form = FindTemplate(windowId);
  if (form == nullptr) return nullptr;
  std::optional<size_t> index = form->FindUnit(unitId);
  return index ? form->Runtime(*index).cursor : nullptr;
}

bool AnyWindowLive() {
  FormData& forms = LoadedForms();
  for (size_t i = 0; i < forms.WindowCount(); ++i) {
    if (LiveWindow(forms.WindowAt(i)) != nullptr) return true;
  }
  return false;
}

void DestroyAllWindows() {
  FormData& forms = LoadedForms();
  std::vector<HWND> windows;
  for (size_t i = 0; i < forms.WindowCount(); ++i) {
    if (WindowUnit* window = LiveWindow(forms.WindowAt(i))) {
      window->SetBeingDestroyed();
      windows.push_back(window->Handle());
    }
  }
  for (HWND window : windows) {
    if (IsWindow(window)) DestroyWindow(window);
  }
}

void DropUnitReferences(uint32_t windowId, uint32_t unitId) {
  if (windowId == g_recreatingWindow && unitId == g_recreatingUnit && windowId != 0) return;
  FormTemplate* form = FindTemplate(windowId);
  if (form == nullptr) return;
  std::optional<size_t> index = form->FindUnit(unitId);
  if (!index) return;
  UnitRuntime& slot = form->Runtime(*index);
  slot.object = nullptr;
  if (slot.cursor != nullptr) {
    DestroyCursor(slot.cursor);
    slot.cursor = nullptr;
  }
  if (*index == 0) {
    // The window went: its units' objects went with it (children are destroyed first).
    for (size_t i = 1; i < form->UnitCount(); ++i) {
      UnitRuntime& unit = form->Runtime(i);
      unit.object = nullptr;
      if (unit.cursor != nullptr) {
        DestroyCursor(unit.cursor);
        unit.cursor = nullptr;
      }
    }
  }
}

int32_t WindowTemplateCount() {
  return static_cast<int32_t>(LoadedForms().WindowCount());
}

HWND WindowHandleAt(size_t position) {
  FormData& forms = LoadedForms();
  if (position >= forms.WindowCount()) return nullptr;
  WindowUnit* window = LiveWindow(forms.WindowAt(position));
  return window != nullptr ? window->Handle() : nullptr;
}

bool IsLoadedUnitHandle(HWND window) {
  UnitObject* unit = UnitObject::FromHandle(window);
  FormTemplate* form = nullptr;
  size_t index = 0;
  return unit != nullptr && LocateUnit(unit, &form, &index);
}

void SetRecreating(uint32_t windowId, uint32_t unitId) {
  g_recreatingWindow = windowId;
  g_recreatingUnit = unitId;
}

}  // namespace forms
