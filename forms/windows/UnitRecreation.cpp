// Re-creating a unit in place: a new unit object is made from the old one's current type
// block, takes its place in the record, the stacking order and the focus, and the old
// window goes without the record noticing.
#include <vector>

#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "forms/units/UnitTypes.h"
#include "forms/windows/WindowList.h"
#include "forms/windows/WindowLoader.h"

namespace forms {

namespace {

constexpr UINT kTabGetSelection = 0x130B;
constexpr UINT kTabSetSelection = 0x130C;

// The handle of the nearest earlier unit of the same container, or HWND_TOP.
HWND StackedAfter(const FormTemplate& form, size_t index) {
  UnitId container = form.Unit(index).Container();
  for (size_t j = index; j-- > 1;) {
    if (form.IsMenuItem(j) || form.Unit(j).Container() != container) continue;
    if (UnitObject* unit = LiveUnit(form, j)) return unit->Handle();
  }
  return HWND_TOP;
}

// Shows the children of a paged container on its selected page and hides the rest.
void ApplyPageVisibility(const FormTemplate& form, size_t container) {
  UnitRecordView record = form.Unit(container);
  for (uint32_t i = 0; i < record.ChildCount(); ++i) {
    std::optional<size_t> child = form.FindUnit(record.Child(i));
    if (!child || form.IsMenuItem(*child)) continue;
    UnitObject* unit = LiveUnit(form, *child);
    if (unit == nullptr) continue;
    bool show = form.Unit(*child).Visible() && !OnHiddenPage(form, *child);
    ShowWindow(unit->Handle(), show ? SW_SHOWNA : SW_HIDE);
  }
}

}  // namespace

bool RecreateUnit(FormTemplate& form, size_t index) {
  if (index == 0 || index >= form.UnitCount() || form.IsMenuItem(index)) return false;
  UnitObject* old = LiveUnit(form, index);
  if (old == nullptr) return false;
  const rt::DataTypeDescriptor* type = FindUnitType(form.Unit(index).Type());
  auto getAll = UnitOperation<GetAllDataOperation>(type, kOpGetAllData);
  auto create = UnitOperation<CreateOperation>(type, kOpCreate);
  if (getAll == nullptr || create == nullptr) return false;

  std::vector<uint8_t> block;
  if (!getAll(old, &block)) return false;
  HWND oldHandle = old->Handle();
  HWND parent = GetParent(oldHandle);
  RECT r{};
  GetWindowRect(oldHandle, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  auto oldStyle = static_cast<DWORD>(GetWindowLongPtrA(oldHandle, GWL_STYLE));

  UnitCreateArgs args;
  args.typeBlock = block;
  args.style = (IsWindowEnabled(oldHandle) ? 0 : WS_DISABLED) | (oldStyle & WS_TABSTOP);
  args.parent = parent;
  args.controlId = static_cast<UINT>(GetDlgCtrlID(oldHandle));
  args.left = r.left;
  args.top = r.top;
  args.width = r.right - r.left;
  args.height = r.bottom - r.top;
  args.windowId = old->WindowId();
  args.unitId = old->UnitId();
  UnitObject* fresh = create(args);
  if (fresh == nullptr) return false;
  HWND newHandle = fresh->Handle();

  if (TypeHasState(type, rt::kTypeStateMovesChildren)) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(oldHandle, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      children.push_back(c);
    }
    for (HWND c : children) SetParent(c, newHandle);
  }

  form.Runtime(index).object = fresh;
  SetWindowPos(newHandle, StackedAfter(form, index), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  SendMessageA(newHandle, kMsgUnitCreated, 0, 0);
  SendMessageA(newHandle, kMsgUnitsShown, 0, 0);
  if (TypeHasState(type, rt::kTypeStateTellsWindow)) {
    SendMessageA(parent, kMsgWindowUnitsCreated, 0, 0);
  }

  if ((oldStyle & WS_VISIBLE) != 0) ShowWindow(newHandle, SW_SHOWNA);
  if (TypeHasState(type, rt::kTypeStatePaged)) {
    LRESULT selected = SendMessageA(oldHandle, kTabGetSelection, 0, 0);
    SendMessageA(newHandle, kTabSetSelection, static_cast<WPARAM>(selected), 0);
    ApplyPageVisibility(form, index);
  }

  HWND focus = GetFocus();
  bool hadFocus = focus != nullptr && (focus == oldHandle || IsChild(oldHandle, focus));
  SetRecreating(args.windowId, args.unitId);
  DestroyWindow(oldHandle);
  SetRecreating(0, 0);
  if (hadFocus) {
    SetFocus(newHandle);
  } else if (focus != nullptr && IsWindow(focus) && GetFocus() != focus) {
    SetFocus(focus);
  }
  return true;
}

}  // namespace forms
