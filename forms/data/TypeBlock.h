// The type block at the end of every unit record: the unit type's own initial property
// values. Each unit type's block is described once, as a list of fields in stored order
// (TypeBlockLayouts.cpp), and that one description is what the form compiler writes and what
// the unit types read, so the two cannot disagree.
//
// A block that is not empty starts with its version word; then come the fields present in
// that version: 32-bit words, archive buffers (pictures, icons, sounds, fonts as a 60-byte
// LOGFONTA or nothing, other binary data) and archive texts (GBK). An empty block means every
// field has its default. A version above the layout's, or of 0, is refused, and so is a font
// buffer that is neither empty nor a whole LOGFONTA. Bytes after the last field are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/data/Archive.h"
#include "forms/data/UnitId.h"

namespace forms {

enum class FieldKind : uint8_t { Word, Buffer, Text };

// Property type codes that decide how a field is stored.
inline constexpr uint16_t kPropInteger = 1001;
inline constexpr uint16_t kPropLogical = 1003;
inline constexpr uint16_t kPropText = 1005;
inline constexpr uint16_t kPropChoice = 1006;
inline constexpr uint16_t kPropPicture = 1009;
inline constexpr uint16_t kPropIcon = 1010;
inline constexpr uint16_t kPropCursor = 1011;
inline constexpr uint16_t kPropSound = 1012;
inline constexpr uint16_t kPropFont = 1013;
inline constexpr uint16_t kPropColor = 1014;
inline constexpr uint16_t kPropAlphaColor = 1015;
inline constexpr uint16_t kPropFileName = 1016;
inline constexpr uint16_t kPropDefaultColor = 1017;
inline constexpr uint16_t kPropTypeData1 = 1018;
inline constexpr uint16_t kPropTypeData2 = 1020;
inline constexpr uint16_t kPropTypeBytes1 = 1023;
inline constexpr uint16_t kPropTypeBytes2 = 1024;

inline constexpr uint32_t kSystemDefaultColor = 0xFF000000;
inline constexpr size_t kLogFontBytes = 60;

// A field that belongs to no property: a word kept as read.
inline constexpr uint16_t kKeptWord = 0;

struct BlockField {
  uint16_t property;  // the property index (8 and up), or kKeptWord
  uint16_t typeCode;  // the property's type code
  FieldKind kind;
  uint8_t sinceVersion;  // blocks of an older version stop before this field
  const char* name;      // the property's English name, as form sources write it
  uint32_t defaultWord;  // words only
};

// A property of the type that is not stored in the block (read from the live control).
struct RunTimeProperty {
  uint16_t property;
  uint16_t typeCode;
  const char* name;
};

struct TypeBlockLayout {
  UnitTypeId type;
  const char* englishName;
  uint32_t version;  // the version written, and the highest one read
  std::span<const BlockField> fields;
  std::span<const RunTimeProperty> runTimeOnly;

  // The field of a property, or null.
  const BlockField* Field(uint32_t property) const;
  // The number of the field of a property within `fields`, or -1.
  int FieldIndex(uint32_t property) const;
};

// The layout of a unit type; null for types without a block (menu items) or unknown types.
const TypeBlockLayout* FindTypeBlockLayout(UnitTypeId type);
// By English name, ignoring case ("PicBox", "window").
const TypeBlockLayout* FindTypeBlockLayout(std::string_view englishName);
std::span<const TypeBlockLayout> AllTypeBlockLayouts();

// The values of one block. A new block holds the defaults at the layout's version.
class TypeBlock {
 public:
  explicit TypeBlock(const TypeBlockLayout& layout);

  // False on a version the layout does not know, a truncated field or a malformed font;
  // `out` is then unchanged.
  static bool Read(const TypeBlockLayout& layout, std::span<const uint8_t> bytes, TypeBlock& out);
  // Always at the layout's version, every field present.
  Bytes Write() const;

  const TypeBlockLayout& Layout() const { return *layout_; }
  uint32_t Version() const { return version_; }

  // Property access; a property that is not in the block reads as 0 or empty and ignores
  // writes (the caller asked the layout first when it cares).
  uint32_t Word(uint32_t property) const;
  int32_t Int(uint32_t property) const { return static_cast<int32_t>(Word(property)); }
  bool Logical(uint32_t property) const { return Word(property) != 0; }
  std::span<const uint8_t> Data(uint32_t property) const;
  std::string Text(uint32_t property) const;
  void SetWord(uint32_t property, uint32_t value);
  void SetData(uint32_t property, std::span<const uint8_t> bytes);
  void SetText(uint32_t property, std::string_view text) { SetData(property, AsBytes(text)); }

  // By position in the layout's field list (kept words have no property).
  uint32_t WordAt(size_t field) const { return words_[field]; }
  std::span<const uint8_t> DataAt(size_t field) const { return data_[field]; }
  void SetWordAt(size_t field, uint32_t value) { words_[field] = value; }
  void SetDataAt(size_t field, std::span<const uint8_t> bytes) {
    data_[field].assign(bytes.begin(), bytes.end());
  }

  bool operator==(const TypeBlock& other) const {
    return layout_ == other.layout_ && words_ == other.words_ && data_ == other.data_;
  }

 private:
  const TypeBlockLayout* layout_;
  uint32_t version_;
  std::vector<uint32_t> words_;  // one per field; unused for buffers and texts
  std::vector<Bytes> data_;      // one per field; unused for words
};

}  // namespace forms
