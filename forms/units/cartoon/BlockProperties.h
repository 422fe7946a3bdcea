// Properties of the cartoon units that live in their type block: a set stores the value in
// its field, a get lends the stored value (texts zero-terminated) until the next get.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "forms/data/TypeBlock.h"
#include "forms/units/UnitInterface.h"

namespace forms {

class BlockProperties {
 public:
  explicit BlockProperties(TypeBlock block) : block_(std::move(block)) {}

  TypeBlock& Block() { return block_; }
  const TypeBlock& Block() const { return block_; }

  // False when the property has no field in the block.
  bool Store(uint32_t property, const PropertyValue& value);
  bool Load(uint32_t property, PropertyValue* out);

 private:
  TypeBlock block_;
  std::string lentText_;
  std::vector<uint8_t> lentData_;
};

// A type block of `type` (empty bytes = defaults); nothing on an unknown version or bad data.
std::optional<TypeBlock> ReadBlock(UnitTypeId type, std::span<const uint8_t> bytes);

}  // namespace forms
