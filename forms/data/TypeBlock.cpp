#include "forms/data/TypeBlock.h"

#include <strings.h>

#include "platform/wingdi.h"

namespace forms {

static_assert(sizeof(LOGFONTA) == kLogFontBytes, "a stored font is one LOGFONTA");

const BlockField* TypeBlockLayout::Field(uint32_t property) const {
  int i = FieldIndex(property);
  return i < 0 ? nullptr : &fields[static_cast<size_t>(i)];
}

int TypeBlockLayout::FieldIndex(uint32_t property) const {
  if (property == kKeptWord) return -1;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].property == property) return static_cast<int>(i);
  }
  return -1;
}

const TypeBlockLayout* FindTypeBlockLayout(UnitTypeId type) {
  for (const TypeBlockLayout& layout : AllTypeBlockLayouts()) {
    if (layout.type == type) return &layout;
  }
  return nullptr;
}

const TypeBlockLayout* FindTypeBlockLayout(std::string_view englishName) {
  for (const TypeBlockLayout& layout : AllTypeBlockLayouts()) {
    std::string_view name = layout.englishName;
    if (name.size() == englishName.size() &&
        strncasecmp(name.data(), englishName.data(), name.size()) == 0) {
      return &layout;
    }
  }
  return nullptr;
}

TypeBlock::TypeBlock(const TypeBlockLayout& layout)
    : layout_(&layout),
      version_(layout.version),
      words_(layout.fields.size()),
      data_(layout.fields.size()) {
  for (size_t i = 0; i < layout.fields.size(); ++i) words_[i] = layout.fields[i].defaultWord;
}

bool TypeBlock::Read(const TypeBlockLayout& layout, std::span<const uint8_t> bytes,
                     TypeBlock& out) {
  TypeBlock block(layout);
  if (bytes.empty()) {
    out = std::move(block);
    return true;
  }
  ArchiveReader r(bytes);
  if (!r.ReadU32(block.version_) || block.version_ == 0 || block.version_ > layout.version)
    return false;
  for (size_t i = 0; i < layout.fields.size(); ++i) {
    const BlockField& field = layout.fields[i];
    if (field.sinceVersion > block.version_) continue;
    if (field.kind == FieldKind::Word) {
      if (!r.ReadU32(block.words_[i])) return false;
    } else {
      if (!r.ReadBuffer(block.data_[i])) return false;
      size_t size = block.data_[i].size();
      if (field.typeCode == kPropFont && size != 0 && size != kLogFontBytes) return false;
    }
  }
  out = std::move(block);
  return true;
}

Bytes TypeBlock::Write() const {
  ArchiveWriter w;
  w.WriteU32(layout_->version);
  for (size_t i = 0; i < layout_->fields.size(); ++i) {
    if (layout_->fields[i].kind == FieldKind::Word) {
      w.WriteU32(words_[i]);
    } else {
      w.WriteBuffer(data_[i]);
    }
  }
  return w.Take();
}

uint32_t TypeBlock::Word(uint32_t property) const {
  int i = layout_->FieldIndex(property);
  return i < 0 ? 0 : words_[static_cast<size_t>(i)];
}

std::span<const uint8_t> TypeBlock::Data(uint32_t property) const {
  int i = layout_->FieldIndex(property);
  if (i < 0) return {};
  return data_[static_cast<size_t>(i)];
}

std::string TypeBlock::Text(uint32_t property) const {
  auto bytes = Data(property);
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void TypeBlock::SetWord(uint32_t property, uint32_t value) {
  int i = layout_->FieldIndex(property);
  if (i >= 0) words_[static_cast<size_t>(i)] = value;
}

void TypeBlock::SetData(uint32_t property, std::span<const uint8_t> bytes) {
  int i = layout_->FieldIndex(property);
  if (i >= 0) SetDataAt(static_cast<size_t>(i), bytes);
}

}  // namespace forms
