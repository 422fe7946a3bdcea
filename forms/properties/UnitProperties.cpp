#include "forms/properties/UnitProperties.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "forms/FormsMessages.h"
#include "forms/RuntimeLink.h"
#include "forms/properties/FontValue.h"
#include "forms/units/CommonProperties.h"
#include "forms/units/IconFiles.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "forms/units/UnitTypes.h"
#include "forms/windows/MenuBar.h"
#include "forms/windows/WindowList.h"
#include "forms/windows/WindowLoader.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace forms {

namespace {

constexpr int32_t kMenuPropCaption = 0;
constexpr int32_t kMenuPropChecked = 1;
constexpr int32_t kMenuPropDisabled = 2;
constexpr int32_t kMenuPropVisible = 3;

enum : uint16_t {
  kCodeInteger = 1001,
  kCodeDecimal = 1002,
  kCodeLogical = 1003,
  kCodeDateTime = 1004,
  kCodeText = 1005,
  kCodeChoice = 1006,
  kCodePicture = 1009,
  kCodeIcon = 1010,
  kCodeCursor = 1011,
  kCodeSound = 1012,
  kCodeFont = 1013,
  kCodeFileName = 1016,
  kCodeTypeBytes1 = 1023,
  kCodeTypeBytes2 = 1024,
};

bool IsByteData(uint32_t code) {
  return code == kCodePicture || code == kCodeIcon || code == kCodeCursor || code == kCodeSound ||
         code == kCodeTypeBytes1 || code == kCodeTypeBytes2 || code == kCodeFont;
}
bool IsText(uint32_t code) {
  return code == kCodeText || code == kCodeFileName;
}

const void* PointerOf(uint32_t low, uint32_t high) {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(uint64_t{high} << 32 | low));
}
int64_t FromPointer(const void* p) {
  return static_cast<int64_t>(reinterpret_cast<uintptr_t>(p));
}

int64_t NewText(std::string_view text) {
  return FromPointer(rt::BuildText(rt::AllocMemSized, text));
}
int64_t NewByteSet(const void* data, size_t size) {
  return FromPointer(rt::BuildByteSet(rt::AllocMemSized, data, size));
}

FormTemplate& LoadedWindowOrFail(uint32_t windowId) {
  FormTemplate* form = FindLoadedWindow(windowId);
  if (form == nullptr) link::Fail(msg::kPropertyWindowMissing);
  return *form;
}

UnitObject* LiveObject(const FormTemplate& form, size_t index) {
  UnitObject* unit = LiveUnit(form, index);
  return unit != nullptr && IsWindow(unit->Handle()) ? unit : nullptr;
}

// The window rectangle in the parent's client coordinates (screen coordinates for a
// top-level window).
RECT RectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  if ((GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

const rt::DataTypeDescriptor* TypeOfUnit(const FormTemplate& form, size_t index) {
  return FindUnitType(form.Unit(index).Type());
}

uint32_t DeclaredCode(const rt::DataTypeDescriptor* type, int32_t index) {
  if (type == nullptr || index < 0 || static_cast<uint32_t>(index) >= type->propertyCount) {
    return kCodeInteger;
  }
  return type->properties[index].TypeCode();
}

// ---- Menu items ---------------------------------------------------------------------------

int64_t GetMenuItemProperty(const FormTemplate& form, size_t index, int32_t property) {
  MenuItemRecordView item = form.MenuItem(index);
  switch (property) {
    case kMenuPropCaption:
      return NewText(item.Caption());
    case kMenuPropChecked:
      return item.Checked() ? 1 : 0;
    case kMenuPropDisabled:
      return item.Disabled() ? 1 : 0;
    case kMenuPropVisible:
      return item.Hidden() ? 0 : 1;
    default:
      return 0;
  }
}

void SetMenuItemProperty(FormTemplate& form, size_t index, int32_t property, uint32_t low,
                         uint32_t high) {
  MenuItemRecordView item = form.MenuItem(index);
  bool changed = false;
  if (property == kMenuPropCaption) {
    std::string_view caption = rt::ViewText(static_cast<const char*>(PointerOf(low, high)));
    if (caption != item.Caption()) {
      form.SetMenuCaption(index, caption);
      changed = true;
    }
  } else {
    uint32_t bit = property == kMenuPropChecked    ? kMenuChecked
                   : property == kMenuPropDisabled ? kMenuDisabled
                   : property == kMenuPropVisible  ? kMenuHidden
                                                   : 0;
    if (bit == 0) return;
    bool on = low != 0;
    if (bit == kMenuHidden) on = !on;
    uint32_t flags = item.StateFlags();
    uint32_t next = on ? flags | bit : flags & ~bit;
    if (next != flags) {
      form.SetMenuStateFlags(index, next);
      changed = true;
    }
  }
  // A change the menu cannot show is not worth a new menu bar.
  if (changed) RebuildMenuBar(form);
}

// ---- Common properties --------------------------------------------------------------------

int64_t GetCommonProperty(const FormTemplate& form, size_t index, uint32_t property) {
  UnitRecordView record = form.Unit(index);
  UnitObject* unit = LiveObject(form, index);
  switch (property) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: {
      if (unit == nullptr) {
        const int32_t stored[] = {record.Left(), record.Top(), record.Width(), record.Height()};
        return stored[property];
      }
      RECT r = RectInParent(unit->Handle());
      const int32_t live[] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
      return live[property];
    }
    case kPropVisible:
      return unit != nullptr ? (IsWindowVisible(unit->Handle()) ? 1 : 0)
                             : (record.Visible() ? 1 : 0);
    case kPropDisabled:
      return unit != nullptr ? (IsWindowEnabled(unit->Handle()) ? 0 : 1)
                             : (record.Disabled() ? 1 : 0);
    case kPropTag:
      return NewText(record.Tag());
    case kPropMousePointer: {
      std::span<const uint8_t> cursor = record.CursorData();
      return NewByteSet(cursor.data(), cursor.size());
    }
    default:
      return 0;
  }
}

void ShowUnit(FormTemplate& form, size_t index, UnitObject* unit, bool show) {
  if (unit == nullptr) return;
  HWND h = unit->Handle();
  if (!show) {
    ShowWindow(h, SW_HIDE);
  } else if (index == 0) {
    ShowWindow(h, SW_SHOW);
  } else if (!OnHiddenPage(form, index) &&
             !TypeHasState(TypeOfUnit(form, index), rt::kTypeStateNonVisual)) {
    ShowWindow(h, SW_SHOW);
  }
}

void SetCommonProperty(FormTemplate& form, size_t index, uint32_t property, uint32_t low,
                       uint32_t high) {
  UnitObject* unit = LiveObject(form, index);
  HWND h = unit != nullptr ? unit->Handle() : nullptr;
  auto value = static_cast<int32_t>(low);
  switch (property) {
    case kPropLeft:
    case kPropTop: {
      value = std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
      property == kPropLeft ? form.SetLeft(index, value) : form.SetTop(index, value);
      if (h == nullptr) return;
      RECT r = RectInParent(h);
      int x = property == kPropLeft ? value : r.left;
      int y = property == kPropTop ? value : r.top;
      MoveWindow(h, x, y, r.right - r.left, r.bottom - r.top, TRUE);
      return;
    }
    case kPropWidth:
    case kPropHeight: {
      value = std::clamp(value, 0, kCoordinateLimit);
      property == kPropWidth ? form.SetWidth(index, value) : form.SetHeight(index, value);
      if (h == nullptr) return;
      RECT r = RectInParent(h);
      int width = property == kPropWidth ? value : r.right - r.left;
      int height = property == kPropHeight ? value : r.bottom - r.top;
      SetWindowPos(h, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return;
    }
    case kPropTag:
      form.SetTag(index, rt::ViewText(static_cast<const char*>(PointerOf(low, high))));
      return;
    case kPropVisible: {
      uint32_t flags = form.Unit(index).StateFlags();
      form.SetStateFlags(index, low != 0 ? flags | kUnitVisible : flags & ~kUnitVisible);
      ShowUnit(form, index, unit, low != 0);
      return;
    }
    case kPropDisabled: {
      uint32_t flags = form.Unit(index).StateFlags();
      form.SetStateFlags(index, low != 0 ? flags | kUnitDisabled : flags & ~kUnitDisabled);
      if (h != nullptr) EnableWindow(h, low != 0 ? FALSE : TRUE);
      return;
    }
    case kPropMousePointer: {
      rt::ByteSetView bytes = rt::ViewByteSet(PointerOf(low, high));
      form.SetCursorData(index, {bytes.data, bytes.size});
      UnitRuntime& slot = form.Runtime(index);
      if (slot.cursor != nullptr) DestroyCursor(slot.cursor);
      slot.cursor = CursorFromUnitData(form.Unit(index).CursorData());
      return;
    }
    default:
      return;
  }
}

// ---- Type properties ----------------------------------------------------------------------

int64_t ConvertRead(uint32_t code, const PropertyValue& raw, int32_t part) {
  if (code == kCodeFont) {
    LOGFONTA font = raw.size == sizeof(LOGFONTA) ? LOGFONTA{} : DefaultGuiFont();
    if (raw.size == sizeof(LOGFONTA)) std::memcpy(&font, raw.data, sizeof font);
    if (part == kFontFace) return NewText(font.lfFaceName);
    if (part >= kFontAngle && part < kFontFace) return FontAspect(font, part);
    return NewByteSet(&font, sizeof font);
  }
  if (IsText(code)) {
    return NewText(raw.data != nullptr ? static_cast<const char*>(raw.data) : "");
  }
  if (IsByteData(code)) return NewByteSet(raw.data, raw.data != nullptr ? raw.size : 0);
  if (code == kCodeDecimal || code == kCodeDateTime) return static_cast<int64_t>(raw.word);
  return static_cast<int64_t>(static_cast<uint32_t>(raw.word));
}

// The current font of a unit, or the default interface font when it has none to give.
LOGFONTA CurrentFont(UnitObject* unit, GetPropertyOperation get, int32_t index) {
  PropertyValue current;
  if (get != nullptr && get(unit, index, &current) != 0 && current.size == sizeof(LOGFONTA) &&
      current.data != nullptr) {
    LOGFONTA font;
    std::memcpy(&font, current.data, sizeof font);
    return font;
  }
  return DefaultGuiFont();
}

void SetTypeProperty(FormTemplate& form, size_t index, int32_t property, int32_t part, uint32_t low,
                     uint32_t high) {
  UnitObject* unit = LiveObject(form, index);
  if (unit == nullptr) link::Fail(msg::kWindowNotLoaded);
  const rt::DataTypeDescriptor* type = TypeOfUnit(form, index);
  auto set = UnitOperation<SetPropertyOperation>(type, kOpSetProperty);
  if (set == nullptr) return;
  const int32_t typeIndex = property - static_cast<int32_t>(kFirstTypeProperty);
  const uint32_t code = DeclaredCode(type, property);
  const void* pointer = PointerOf(low, high);

  PropertyValue value;
  std::string cursorCopy;
  LOGFONTA font{};
  switch (code) {
    case kCodeDecimal:
    case kCodeDateTime:
      value.word = uint64_t{high} << 32 | low;
      break;
    case kCodeLogical:
      value.word = low != 0 ? 1 : 0;
      break;
    case kCodeChoice:
      value.word = static_cast<int32_t>(low) < 0 ? 0 : low;
      break;
    case kCodeText:
    case kCodeFileName:
      value.data = pointer != nullptr ? pointer : "";
      value.size = static_cast<uint32_t>(std::strlen(static_cast<const char*>(value.data)));
      break;
    case kCodeFont: {
      if (part < 0) {
        const auto* record = static_cast<const FontRecord*>(pointer);
        font = FontFromRecord(record != nullptr ? *record : FontRecord{});
      } else {
        font =
            CurrentFont(unit, UnitOperation<GetPropertyOperation>(type, kOpGetProperty), typeIndex);
        if (!SetFontAspect(&font, part, low, static_cast<const char*>(pointer))) return;
      }
      value.data = &font;
      value.size = sizeof font;
      break;
    }
    default:
      if (IsByteData(code)) {
        rt::ByteSetView bytes = rt::ViewByteSet(pointer);
        value.data = bytes.data;
        value.size = static_cast<uint32_t>(bytes.size);
      } else {
        value.word = low;
      }
      break;
  }

  uint32_t out = 0;
  if (set(unit, typeIndex, value, &out) != 1) return;
  UnitObject* window = LiveUnit(form, 0);
  if (window == nullptr || !IsWindow(window->Handle())) return;
  link::SuppressEvents();
  RecreateUnit(form, index);
  link::AllowEvents();
}

}  // namespace

int64_t GetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t part) {
  FormTemplate& form = LoadedWindowOrFail(windowId);
  std::optional<size_t> entry = form.FindUnit(unitId);
  if (!entry || index < 0) return 0;
  if (form.IsMenuItem(*entry)) return GetMenuItemProperty(form, *entry, index);
  if (index < static_cast<int32_t>(kFirstTypeProperty)) {
    return GetCommonProperty(form, *entry, static_cast<uint32_t>(index));
  }
  UnitObject* unit = LiveObject(form, *entry);
  if (unit == nullptr) link::Fail(msg::kWindowNotLoaded);
  const rt::DataTypeDescriptor* type = TypeOfUnit(form, *entry);
  auto get = UnitOperation<GetPropertyOperation>(type, kOpGetProperty);
  PropertyValue raw;
  if (get == nullptr || get(unit, index - static_cast<int32_t>(kFirstTypeProperty), &raw) == 0) {
    return 0;
  }
  return ConvertRead(DeclaredCode(type, index), raw, part);
}

void SetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t part, uint32_t low,
                     uint32_t high) {
  FormTemplate& form = LoadedWindowOrFail(windowId);
  std::optional<size_t> entry = form.FindUnit(unitId);
  if (!entry || index < 0) return;
  if (form.IsMenuItem(*entry)) {
    SetMenuItemProperty(form, *entry, index, low, high);
  } else if (index < static_cast<int32_t>(kFirstTypeProperty)) {
    SetCommonProperty(form, *entry, static_cast<uint32_t>(index), low, high);
  } else {
    SetTypeProperty(form, *entry, index, part, low, high);
  }
}

}  // namespace forms
