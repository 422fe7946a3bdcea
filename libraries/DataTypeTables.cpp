#include "libraries/DataTypeTables.h"

#include <deque>
#include <iterator>

#include "forms/units/CommonProperties.h"

namespace libs {

namespace {

// The common property entries name their texts from the engine's message table.
namespace msg = forms::msg;

constexpr rt::PropertyEntry kCommonProperties[] = {VELMORA_COMMON_UNIT_PROPERTIES};

// Descriptor arrays and property tables live as long as the program; a deque keeps the
// addresses of earlier elements stable while later ones are added.
std::deque<std::vector<rt::DataTypeDescriptor>>& DescriptorArrays() {
  static auto* arrays = new std::deque<std::vector<rt::DataTypeDescriptor>>();
  return *arrays;
}

std::deque<std::vector<rt::PropertyEntry>>& PropertyTables() {
  static auto* tables = new std::deque<std::vector<rt::PropertyEntry>>();
  return *tables;
}

const std::vector<rt::PropertyEntry>& BuildProperties(const TypeRow& type) {
  std::vector<rt::PropertyEntry> entries;
  if (type.hasCommonProperties) {
    entries.assign(std::begin(kCommonProperties), std::end(kCommonProperties));
  }
  for (const PropertyRow& p : type.ownProperties) {
    entries.push_back({p.name, p.englishName, nullptr, p.typeCode, 0});
  }
  return PropertyTables().emplace_back(std::move(entries));
}

}  // namespace

std::vector<PropertyRow> Unnamed(std::initializer_list<uint32_t> typeCodes) {
  std::vector<PropertyRow> rows;
  for (uint32_t code : typeCodes) rows.push_back({code});
  return rows;
}

const rt::DataTypeDescriptor* BuildDataTypes(uint32_t count, std::initializer_list<TypeRow> types) {
  std::vector<rt::DataTypeDescriptor> descriptors(count, rt::DataTypeDescriptor{});
  for (const TypeRow& type : types) {
    if (type.number == 0 || type.number > count) continue;
    const std::vector<rt::PropertyEntry>& properties = BuildProperties(type);
    rt::DataTypeDescriptor& d = descriptors[type.number - 1];
    d.name = type.name;
    d.englishName = type.englishName;
    d.stateBits = type.stateBits;
    d.propertyCount = static_cast<uint32_t>(properties.size());
    d.properties = properties.empty() ? nullptr : properties.data();
    d.interfaceRoutine = type.interfaceRoutine;
  }
  return DescriptorArrays().emplace_back(std::move(descriptors)).data();
}

intptr_t ExtensionLibraryNotify(int32_t code, intptr_t, intptr_t) {
  switch (code) {
    case 1:  // the runtime's notify routine; their commands reach the runtime on their own
    case 6:
    case 8:
      return 0;
    default:
      return -1;
  }
}

}  // namespace libs
