#include "forms/windows/WindowLoader.h"

#include <map>
#include <vector>

#include "forms/RuntimeLink.h"
#include "forms/events/EventRecord.h"
#include "forms/units/IconFiles.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/MenuBar.h"
#include "forms/windows/WindowList.h"

namespace forms {

namespace {

// The tab control's selection messages (paged containers are tab controls).
constexpr UINT kTabGetSelection = 0x130B;

HWND g_currentModal = nullptr;

// Events stay suppressed while the window is built, and are allowed again however the
// build ends.
class SuppressedEvents {
 public:
  SuppressedEvents() { link::SuppressEvents(); }
  ~SuppressedEvents() { Allow(); }
  void Allow() {
    if (active_) link::AllowEvents();
    active_ = false;
  }

 private:
  bool active_ = true;
};

// The page of a paged container's child list that holds `child` (0 for the first).
int PageOf(const UnitRecordView& container, UnitId child) {
  int page = 0;
  for (uint32_t i = 0; i < container.ChildCount(); ++i) {
    UnitId id = container.Child(i);
    if (id == 0) {
      ++page;
    } else if (id == child) {
      return page;
    }
  }
  return 0;
}

// The container's entry when it is a paged container, else nothing.
std::optional<size_t> PagedContainer(const FormTemplate& form, size_t index) {
  UnitId container = form.Unit(index).Container();
  if (container == 0) return std::nullopt;
  std::optional<size_t> at = form.FindUnit(container);
  if (!at || form.IsMenuItem(*at)) return std::nullopt;
  if (!TypeHasState(FindUnitType(form.Unit(*at).Type()), rt::kTypeStatePaged)) {
    return std::nullopt;
  }
  return at;
}

HWND HandleOf(const FormTemplate& form, size_t index) {
  UnitObject* unit = LiveUnit(form, index);
  return unit != nullptr ? unit->Handle() : nullptr;
}

// The window handle a unit is placed in: its container's, or the window's.
HWND ContainerHandle(const FormTemplate& form, size_t index, HWND window) {
  UnitId container = form.Unit(index).Container();
  if (container == 0) return window;
  std::optional<size_t> at = form.FindUnit(container);
  HWND h = at && !form.IsMenuItem(*at) ? HandleOf(form, *at) : nullptr;
  return h != nullptr ? h : window;
}

// Entries in creation order: the window, then the last entry to entry 1; no menu items.
std::vector<size_t> CreationOrder(const FormTemplate& form) {
  std::vector<size_t> order{0};
  for (size_t i = form.UnitCount(); i-- > 1;) {
    if (!form.IsMenuItem(i)) order.push_back(i);
  }
  return order;
}

void SendToUnits(const FormTemplate& form, UINT message) {
  for (size_t i = form.UnitCount(); i-- > 0;) {
    if (HWND h = form.IsMenuItem(i) ? nullptr : HandleOf(form, i)) SendMessageA(h, message, 0, 0);
  }
}

// The innermost unit of this window holding `focus`, or null.
UnitObject* FocusedUnit(const FormTemplate& form, HWND window, HWND focus) {
  for (HWND h = focus; h != nullptr; h = GetParent(h)) {
    UnitObject* unit = UnitObject::FromHandle(h);
    if (unit != nullptr && unit->WindowId() == form.WindowId()) return unit;
    if (h == window) break;
  }
  return nullptr;
}

UnitObject* CreateUnit(const FormTemplate& form, size_t index, const UnitCreateArgs& base) {
  UnitRecordView record = form.Unit(index);
  CreateOperation create = UnitOperation<CreateOperation>(FindUnitType(record.Type()), kOpCreate);
  if (create == nullptr) return nullptr;
  UnitCreateArgs args = base;
  args.typeBlock = record.TypeBlock();
  if (record.Disabled()) args.style |= WS_DISABLED;
  if (record.TabStop()) args.style |= WS_TABSTOP;
  args.left = record.Left();
  args.top = record.Top();
  args.width = record.Width();
  args.height = record.Height();
  args.windowId = form.WindowId();
  args.unitId = form.UnitIdAt(index);
  return create(args);
}

// Removes what a failed build created.
void AbandonBuild(FormTemplate& form, MenuBar& bar) {
  WindowUnit* window = dynamic_cast<WindowUnit*>(LiveUnit(form, 0));
  if (window != nullptr && IsWindow(window->Handle())) {
    window->SetBeingDestroyed();
    SetMenu(window->Handle(), nullptr);
    DestroyWindow(window->Handle());
  }
  for (size_t i = 0; i < form.UnitCount(); ++i) {
    if (UnitObject* unit = LiveUnit(form, i); unit != nullptr && IsWindow(unit->Handle())) {
      DestroyWindow(unit->Handle());
    }
    form.Runtime(i).object = nullptr;
  }
  bar.Destroy();
}

void BringToFront(WindowUnit& window) {
  HWND h = window.Handle();
  if (IsIconic(h)) {
    ShowWindow(h, SW_RESTORE);
  } else {
    SetActiveWindow(h);
  }
}

}  // namespace

HWND CurrentModalWindow() {
  return g_currentModal;
}

bool OnHiddenPage(const FormTemplate& form, size_t index) {
  if (form.IsMenuItem(index)) return false;
  std::optional<size_t> container = PagedContainer(form, index);
  if (!container) return false;
  int selected = 0;
  if (HWND h = HandleOf(form, *container)) {
    selected = static_cast<int>(SendMessageA(h, kTabGetSelection, 0, 0));
    if (selected < 0) selected = 0;
  }
  return PageOf(form.Unit(*container), form.UnitIdAt(index)) != selected;
}

bool BuildWindow(FormTemplate& form, HWND parent, bool modal) {
  if (form.UnitCount() == 0 || form.IsMenuItem(0)) return false;
  if (WindowUnit* open = LiveWindow(form)) {
    if (!open->BeingDestroyed()) {
      BringToFront(*open);
      return true;
    }
    DestroyWindow(open->Handle());
  }
  if (modal) {
    parent = nullptr;
  } else if (parent != nullptr && !IsWindow(parent)) {
    return false;
  }

  SuppressedEvents suppressed;
  MenuBar bar = BuildMenuBar(form);

  // Units are remembered as shown only when visible and not of a non-visual type.
  std::vector<bool> visible(form.UnitCount(), false);
  std::vector<bool> onLaterPage(form.UnitCount(), false);
  HWND window = nullptr;
  UINT controlId = kFirstControlId;
  for (size_t index : CreationOrder(form)) {
    UnitRecordView record = form.Unit(index);
    const rt::DataTypeDescriptor* type = FindUnitType(record.Type());
    visible[index] = record.Visible() && !TypeHasState(type, rt::kTypeStateNonVisual);
    UnitCreateArgs args;
    if (index == 0) {
      args.parent = parent;
      args.menu = bar.menu;
    } else {
      args.parent = window;
      args.controlId = controlId;
      controlId += kControlIdStep;
    }
    UnitObject* unit = CreateUnit(form, index, args);
    if (unit == nullptr || (index == 0 && dynamic_cast<WindowUnit*>(unit) == nullptr)) {
      if (unit != nullptr) DestroyWindow(unit->Handle());
      AbandonBuild(form, bar);
      return false;
    }
    form.Runtime(index).object = unit;
    if (index == 0) window = unit->Handle();
  }
  auto* windowUnit = dynamic_cast<WindowUnit*>(LiveUnit(form, 0));

  // Parents, and the pages after the first of every paged container.
  for (size_t i = 1; i < form.UnitCount(); ++i) {
    if (form.IsMenuItem(i)) continue;
    SetParent(HandleOf(form, i), ContainerHandle(form, i, window));
    if (PagedContainer(form, i)) {
      onLaterPage[i] = PageOf(form.Unit(*PagedContainer(form, i)), form.UnitIdAt(i)) != 0;
    }
  }

  // Stacking: table order is top to bottom among the units of one container.
  std::map<UnitId, HWND> lastOfContainer;
  for (size_t i = 1; i < form.UnitCount(); ++i) {
    if (form.IsMenuItem(i)) continue;
    UnitId container = form.Unit(i).Container();
    HWND h = HandleOf(form, i);
    auto previous = lastOfContainer.find(container);
    SetWindowPos(h, previous == lastOfContainer.end() ? HWND_TOP : previous->second, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    lastOfContainer[container] = h;
  }

  for (size_t i = 0; i < form.UnitCount(); ++i) {
    if (!form.IsMenuItem(i)) form.Runtime(i).cursor = CursorFromUnitData(form.Unit(i).CursorData());
  }

  SendToUnits(form, kMsgUnitCreated);
  SendMessageA(window, kMsgWindowUnitsCreated, 0, 0);

  for (size_t i = 1; i < form.UnitCount(); ++i) {
    if (form.IsMenuItem(i)) continue;
    ShowWindow(HandleOf(form, i), visible[i] && !onLaterPage[i] ? SW_SHOWNA : SW_HIDE);
  }

  windowUnit->SetAccelerators(bar.accelerators);
  suppressed.Allow();

  windowUnit->RaiseEvent(kWindowBuilt);
  if (IsWindow(window)) windowUnit->RaiseEvent(kWindowMoved);
  if (IsWindow(window)) windowUnit->RaiseEvent(kWindowResized);
  if (!IsWindow(window)) return true;

  if (visible[0]) {
    // A window stored minimised or maximised opens that way; the state property reads the
    // live window afterwards.
    const uint32_t state = windowUnit->Properties().Word(kWindowState);
    ShowWindow(window, state == 2 ? SW_SHOWMINIMIZED : state == 3 ? SW_SHOWMAXIMIZED : SW_SHOW);
    HWND focus = GetFocus();
    if (focus != nullptr && (focus == window || IsChild(window, focus))) {
      if (UnitObject* focused = FocusedUnit(form, window, focus)) {
        focused->RaiseEvent(kEventGotFocus);
      }
    }
    if (!IsWindow(window)) return true;
  }

  if (modal) windowUnit->BeginModal();

  HWND focusBefore = GetFocus();
  SendToUnits(form, kMsgUnitsShown);
  if (!IsWindow(window)) return true;
  if (GetFocus() != focusBefore && focusBefore != nullptr && IsWindow(focusBefore)) {
    SetFocus(focusBefore);
  }
  windowUnit->SetCreated(true);
  return true;
}

int32_t LoadWindow(uint32_t windowId, UnitObject* parent, bool modal) {
  FormTemplate* form = FindTemplate(windowId);
  if (form == nullptr || form->UnitCount() == 0 || form->IsMenuItem(0)) return -1;
  if (WindowUnit* open = LiveWindow(*form); open != nullptr && !open->BeingDestroyed()) {
    BringToFront(*open);
    return 0;
  }
  if (parent != nullptr && !UnitObject::IsLive(parent)) return -1;
  HWND parentHandle = parent != nullptr ? parent->Handle() : nullptr;
  if (!BuildWindow(*form, parentHandle, modal)) return -1;

  WindowUnit* window = LiveWindow(*form);
  if (window == nullptr || !form->Unit(0).Visible()) return 0;
  window->SetCreated(false);
  if (!modal) return 0;
  HWND h = window->Handle();
  if (parentHandle != nullptr &&
      (GetWindowLongPtrA(GetAncestor(parentHandle, GA_ROOT), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  HWND previous = g_currentModal;
  g_currentModal = h;
  link::RunModalLoop(h);
  g_currentModal = previous;
  return 0;
}

bool LoadStartupWindow(uint32_t windowId) {
  FormTemplate* form = FindTemplate(windowId);
  return form != nullptr && BuildWindow(*form, nullptr, false);
}

}  // namespace forms
