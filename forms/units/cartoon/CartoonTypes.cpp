#include "forms/units/cartoon/CartoonTypes.h"

#include "forms/units/CommonProperties.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/cartoon/CartoonBoxUnit.h"
#include "forms/units/cartoon/CartoonObjectUnit.h"

namespace forms {

namespace {

// The operations of one unit class, reached through the unit object's own members.
template <typename Unit>
struct Operations {
  static Unit* As(UnitObject* unit) { return dynamic_cast<Unit*>(unit); }

  static int32_t Set(UnitObject* unit, int32_t index, const PropertyValue& value, uint32_t*) {
    Unit* u = As(unit);
    if (u == nullptr || index < 0) return 0;
    return u->SetProperty(static_cast<uint32_t>(index) + kFirstTypeProperty, value);
  }

  static int32_t Get(UnitObject* unit, int32_t index, PropertyValue* out) {
    Unit* u = As(unit);
    if (u == nullptr || index < 0) return 0;
    return u->Properties().Load(static_cast<uint32_t>(index) + kFirstTypeProperty, out) ? 1 : 0;
  }

  static bool GetAll(UnitObject* unit, std::vector<uint8_t>* block) {
    Unit* u = As(unit);
    if (u == nullptr) return false;
    *block = u->Properties().Block().Write();
    return true;
  }

  static void* Interface(int32_t operation) {
    switch (operation) {
      case kOpCreate:
        return reinterpret_cast<void*>(&Unit::Create);
      case kOpSetProperty:
        return reinterpret_cast<void*>(&Set);
      case kOpGetAllData:
        return reinterpret_cast<void*>(&GetAll);
      case kOpGetProperty:
        return reinterpret_cast<void*>(&Get);
      default:
        return nullptr;
    }
  }
};

}  // namespace

void* CartoonBoxInterface(int32_t operation) {
  return Operations<CartoonBoxUnit>::Interface(operation);
}

void* CartoonObjectInterface(int32_t operation) {
  return Operations<CartoonObjectUnit>::Interface(operation);
}

}  // namespace forms
