#include "forms/units/BlockProperties.h"

namespace forms {

bool StoreBlockProperty(TypeBlock& block, uint32_t property, const PropertyValue& value) {
  const BlockField* field = block.Layout().Field(property);
  if (field == nullptr) return false;
  switch (field->kind) {
    case FieldKind::Word:
      block.SetWord(property, static_cast<uint32_t>(value.word));
      break;
    case FieldKind::Text:
      block.SetText(property, value.data != nullptr
                                  ? std::string_view(static_cast<const char*>(value.data))
                                  : std::string_view());
      break;
    case FieldKind::Buffer:
      block.SetData(property, {static_cast<const uint8_t*>(value.data),
                               value.data != nullptr ? value.size : 0});
      break;
  }
  return true;
}

bool ReadBlockProperty(const TypeBlock& block, uint32_t property, PropertyValue* out,
                       ReadKeeper& keeper) {
  const BlockField* field = block.Layout().Field(property);
  if (field == nullptr) return false;
  switch (field->kind) {
    case FieldKind::Word:
      out->word = block.Word(property);
      break;
    case FieldKind::Text:
      keeper.text = block.Text(property);
      out->data = keeper.text.c_str();
      out->size = static_cast<uint32_t>(keeper.text.size());
      break;
    case FieldKind::Buffer: {
      std::span<const uint8_t> data = block.Data(property);
      keeper.data.assign(data.begin(), data.end());
      out->data = keeper.data.data();
      out->size = static_cast<uint32_t>(keeper.data.size());
      break;
    }
  }
  return true;
}

}  // namespace forms
