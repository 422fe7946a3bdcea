#include "commands/system/WindowCommands.h"

#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"
#include "platform/user32.h"

namespace cmd {

namespace {

struct UnitReference {
  uint32_t windowId = 0;
  uint32_t unitId = 0;
};

UnitReference ReferenceOf(const CommandArgs& a, int32_t i) {
  if (!a.Given(i)) return {};
  const rt::ArgRecord& r = a.Record(i);
  return {r.Low(), r.High()};
}

void* FindUnit(const UnitReference& ref, int32_t request) {
  return reinterpret_cast<void*>(
      Notify(request, static_cast<intptr_t>(ref.windowId), static_cast<intptr_t>(ref.unitId)));
}

HWND HandleOf(void* unit) {
  return reinterpret_cast<HWND>(Notify(kNotifyUnitWindowHandle, reinterpret_cast<intptr_t>(unit)));
}

}  // namespace

void LoadWindow(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  LoadWindowRequest request{static_cast<intptr_t>(ReferenceOf(a, 0).windowId), 0,
                            a.BoolWord(2, 0) != 0 ? 1 : 0};
  if (a.Given(1)) {
    void* parent = FindUnit(ReferenceOf(a, 1), kNotifyFindUnit);
    if (parent == nullptr) {
      SetBool(result, false);
      return;
    }
    request.parentObject = reinterpret_cast<intptr_t>(parent);
  }
  SetBool(result, Notify(kNotifyLoadWindow, reinterpret_cast<intptr_t>(&request)) == 0);
}

void DestroyUnit(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  void* unit = FindUnit(ReferenceOf(a, 0), kNotifyFindUnitOrFail);
  if (unit == nullptr) return;
  Notify(kNotifyDestroyUnit, reinterpret_cast<intptr_t>(unit), a.BoolWord(1, 0) != 0 ? 1 : 0);
}

void Redraw(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  UnitReference ref = ReferenceOf(a, 0);
  void* unit = FindUnit(ref, kNotifyFindUnitOrFail);
  HWND h = HandleOf(unit);
  if (h == nullptr) return;
  if (unit == FindUnit({ref.windowId, 0}, kNotifyFindUnit)) {
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  } else {
    InvalidateRect(h, nullptr, TRUE);
  }
}

void UpdateNow(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  HWND h = HandleOf(FindUnit(ReferenceOf(a, 0), kNotifyFindUnitOrFail));
  if (h != nullptr) UpdateWindow(h);
}

void GetWindowHandle(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs a(count, args);
  void* unit = FindUnit(ReferenceOf(a, 0), kNotifyFindUnit);
  HWND h = unit != nullptr ? HandleOf(unit) : nullptr;
  SetInt(result, static_cast<int32_t>(reinterpret_cast<intptr_t>(h)));
}

}  // namespace cmd
