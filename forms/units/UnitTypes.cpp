#include "forms/units/UnitTypes.h"

#include <mutex>
#include <unordered_map>

#include "runtime/calls/ServiceTable.h"

namespace forms {

namespace {

constexpr int32_t kNotifyDataType = 1002;

struct Registry {
  std::mutex lock;
  std::unordered_map<uint32_t, const rt::DataTypeDescriptor*> types;
};

Registry& Types() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterUnitType(uint32_t typeId, const rt::DataTypeDescriptor* descriptor) {
  std::lock_guard guard(Types().lock);
  Types().types[typeId] = descriptor;
}

void UnregisterUnitType(uint32_t typeId) {
  std::lock_guard guard(Types().lock);
  Types().types.erase(typeId);
}

const rt::DataTypeDescriptor* FindUnitType(uint32_t typeId) {
  {
    std::lock_guard guard(Types().lock);
    auto it = Types().types.find(typeId);
    if (it != Types().types.end()) return it->second;
  }
  return reinterpret_cast<const rt::DataTypeDescriptor*>(
      rt::RuntimeNotify(kNotifyDataType, static_cast<intptr_t>(typeId), 0));
}

}  // namespace forms
