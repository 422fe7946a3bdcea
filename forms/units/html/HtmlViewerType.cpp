// The viewer type's interface routine: create, set and get a property, the type block, and
// the texts of the unit.
#include "forms/units/html/HtmlViewerUnit.h"

namespace forms::html {

namespace {

HtmlViewerUnit* AsViewer(UnitObject* unit) {
  return dynamic_cast<HtmlViewerUnit*>(unit);
}

int32_t SetViewerProperty(UnitObject* unit, int32_t index, const PropertyValue& value, uint32_t*) {
  HtmlViewerUnit* viewer = AsViewer(unit);
  if (viewer == nullptr || index < 0) return 0;
  return viewer->SetProperty(static_cast<uint32_t>(index) + 8, value);
}

int32_t GetViewerProperty(UnitObject* unit, int32_t index, PropertyValue* out) {
  HtmlViewerUnit* viewer = AsViewer(unit);
  if (viewer == nullptr || index < 0) return 0;
  return viewer->GetProperty(static_cast<uint32_t>(index) + 8, out);
}

bool GetViewerData(UnitObject* unit, std::vector<uint8_t>* block) {
  HtmlViewerUnit* viewer = AsViewer(unit);
  if (viewer == nullptr) return false;
  *block = viewer->Properties().Write();
  return true;
}

}  // namespace

void* HtmlViewerInterface(int32_t operation) {
  switch (operation) {
    case kOpCreate:
      return reinterpret_cast<void*>(&HtmlViewerUnit::Create);
    case kOpSetProperty:
      return reinterpret_cast<void*>(&SetViewerProperty);
    case kOpGetAllData:
      return reinterpret_cast<void*>(&GetViewerData);
    case kOpGetProperty:
      return reinterpret_cast<void*>(&GetViewerProperty);
    default:
      return nullptr;
  }
}

}  // namespace forms::html
