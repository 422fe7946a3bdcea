#include "forms/units/cartoon/BlockProperties.h"

namespace forms {

bool BlockProperties::Store(uint32_t property, const PropertyValue& value) {
  const BlockField* field = block_.Layout().Field(property);
  if (field == nullptr) return false;
  switch (field->kind) {
    case FieldKind::Word:
      block_.SetWord(property, static_cast<uint32_t>(value.word));
      break;
    case FieldKind::Text:
      block_.SetText(property, value.data != nullptr
                                   ? std::string_view(static_cast<const char*>(value.data))
                                   : std::string_view());
      break;
    case FieldKind::Buffer:
      block_.SetData(property, value.data != nullptr
                                   ? std::span<const uint8_t>(
                                         static_cast<const uint8_t*>(value.data), value.size)
                                   : std::span<const uint8_t>());
      break;
  }
  return true;
}

bool BlockProperties::Load(uint32_t property, PropertyValue* out) {
  const BlockField* field = block_.Layout().Field(property);
  if (field == nullptr) return false;
  if (field->kind == FieldKind::Word) {
    out->word = block_.Word(property);
  } else if (field->kind == FieldKind::Text) {
    lentText_ = block_.Text(property);
    out->data = lentText_.c_str();
    out->size = static_cast<uint32_t>(lentText_.size());
  } else {
    std::span<const uint8_t> data = block_.Data(property);
    lentData_.assign(data.begin(), data.end());
    out->data = lentData_.data();
    out->size = static_cast<uint32_t>(lentData_.size());
  }
  return true;
}

std::optional<TypeBlock> ReadBlock(UnitTypeId type, std::span<const uint8_t> bytes) {
  const TypeBlockLayout* layout = FindTypeBlockLayout(type);
  if (layout == nullptr) return std::nullopt;
  TypeBlock block(*layout);
  if (!bytes.empty() && !TypeBlock::Read(*layout, bytes, block)) return std::nullopt;
  return block;
}

}  // namespace forms
