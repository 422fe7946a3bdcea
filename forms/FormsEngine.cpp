#include "forms/FormsEngine.h"

#include "commands/system/WindowCommands.h"
#include "forms/FormsMessages.h"
#include "forms/RuntimeLink.h"
#include "forms/data/FormData.h"
#include "forms/events/EventRouting.h"
#include "forms/events/PreTranslate.h"
#include "forms/properties/UnitProperties.h"
#include "forms/units/UnitObject.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "forms/windows/WindowLoader.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"

namespace forms {

namespace {

bool ReadForms(const void* data, uint32_t size, const void* codeBase) {
  return ReadFormData(data, size, codeBase);
}

bool IdleWork(uint32_t elapsedMs) {
  bool more = false;
  FormData& forms = LoadedForms();
  for (size_t i = 0; i < forms.WindowCount(); ++i) {
    if (WindowUnit* window = LiveWindow(forms.WindowAt(i))) more |= window->IdleWork(elapsedMs);
  }
  return more;
}

// Units made at run time carry ids above the last one the form data uses.
bool MadeAtRunTime(uint32_t unitId) {
  const rt::ImageHeader* header = rt::Runtime().header;
  uint32_t last = header != nullptr ? header->lastIdNumber : 0;
  return IdSerial(unitId) > last;
}

}  // namespace

void DestroyUnit(void* object, bool atOnce) {
  if (!UnitObject::IsLive(object)) return;
  auto* unit = static_cast<UnitObject*>(object);
  HWND h = unit->Handle();
  if (auto* window = dynamic_cast<WindowUnit*>(unit)) {
    window->SetBeingDestroyed();
    if (atOnce) {
      window->RestoreDisabledWindows();
      DestroyWindow(h);
    } else {
      PostMessageA(h, kMsgCloseWindow, 0, 0);
    }
    return;
  }
  if (!MadeAtRunTime(unit->UnitId())) return;
  FormTemplate* form = nullptr;
  size_t index = 0;
  bool located = LocateUnit(unit, &form, &index);
  bool hadChildren = GetWindow(h, GW_CHILD) != nullptr;
  DestroyWindow(h);
  if (located && !hadChildren) form->RemoveUnit(index);
}

intptr_t FormsNotify(int32_t code, intptr_t arg1, intptr_t arg2, bool* handled) {
  *handled = true;
  const auto windowId = static_cast<uint32_t>(arg1);
  const auto unitId = static_cast<uint32_t>(arg2);
  switch (code) {
    case 1001:
      return reinterpret_cast<intptr_t>(&LoadedForms());
    case 1014:
      return IsLoadedUnitHandle(reinterpret_cast<HWND>(arg1)) ? 1 : 0;
    case 2000:
      DropUnitReferences(windowId, unitId);
      return 0;
    case 2005: {
      const auto* request = reinterpret_cast<const cmd::LoadWindowRequest*>(arg1);
      if (request == nullptr) return -1;
      return LoadWindow(static_cast<uint32_t>(request->windowId),
                        reinterpret_cast<UnitObject*>(request->parentObject), request->modal != 0);
    }
    case 2006:
      return reinterpret_cast<intptr_t>(FindUnitObject(windowId, unitId));
    case 2007: {
      UnitObject* unit = FindUnitObject(windowId, unitId);
      if (unit == nullptr) link::Fail(msg::kUnitMissing);
      return reinterpret_cast<intptr_t>(unit);
    }
    case 2008:
      return RaiseWordEvent(reinterpret_cast<EventRecord*>(arg1));
    case 2031:
      return RaiseTypedEvent(reinterpret_cast<TypedEventRecord*>(arg1));
    case 2032:
      return WindowTemplateCount();
    case 2033:
      return reinterpret_cast<intptr_t>(WindowHandleAt(static_cast<size_t>(arg1)));
    case cmd::kNotifyUnitWindowHandle: {
      const void* object = reinterpret_cast<const void*>(arg1);
      return UnitObject::IsLive(object)
                 ? reinterpret_cast<intptr_t>(static_cast<const UnitObject*>(object)->Handle())
                 : 0;
    }
    case cmd::kNotifyDestroyUnit:
      DestroyUnit(reinterpret_cast<void*>(arg1), arg2 != 0);
      return 0;
    default:
      *handled = false;
      return 0;
  }
}

void InstallFormsEngine() {
  RegisterUnitType(kTypeWindow, WindowTypeDescriptor());
  RegisterUnitType(kTypeMenu, MenuTypeDescriptor());
  rt::ServiceTable& services = rt::MutableServices();
  services.getUnitProperty = GetUnitProperty;
  services.setUnitProperty = SetUnitProperty;
  rt::FormsHooks hooks;
  hooks.readFormData = ReadForms;
  hooks.loadStartupWindow = LoadStartupWindow;
  hooks.preTranslateMessage = PreTranslateMessage;
  hooks.idleWork = IdleWork;
  hooks.anyWindowLive = AnyWindowLive;
  hooks.destroyAllWindows = DestroyAllWindows;
  hooks.notify = FormsNotify;
  rt::InstallFormsHooks(hooks);
}

}  // namespace forms
