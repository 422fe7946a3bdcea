// Building byte sets from values and reading typed values back out of them. Reads never
// go past the bytes there are: short reads are padded with zeros.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "commands/numeric/DateTimeText.h"
#include "commands/numeric/NumericCommands.h"
#include "commands/numeric/ValueBytes.h"
#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"

namespace cmd {

namespace {

void SetBytes(rt::ArgRecord* result, rt::ByteSetView bytes) {
  SetByteSet(result, bytes.data, bytes.size);
}

// The memory image of a value held in the value word. Subroutine pointers are code
// addresses and therefore pointer-wide (8 bytes) in this process.
size_t ImageSize(rt::TypeCode kind) {
  switch (kind) {
    case rt::kTypeByte:
      return 1;
    case rt::kTypeShort:
      return 2;
    case rt::kTypeInt:
    case rt::kTypeFloat:
    case rt::kTypeBool:
      return 4;
    case rt::kTypeLong:
    case rt::kTypeDouble:
    case rt::kTypeDateTime:
      return 8;
    case rt::kTypeSubroutine:
      return sizeof(void*);
    default:
      return 0;
  }
}

struct ReadKind {
  rt::TypeCode type;
  size_t size;  // bytes consumed; 0 for text, which ends at its zero
};

// Kinds 1 to 10 of BytesValue. The subroutine pointer is pointer-wide here, like its image
// written by ToBytes, so a round trip keeps the whole address.
constexpr ReadKind kReadKinds[] = {
    {rt::kTypeByte, 1}, {rt::kTypeShort, 2},    {rt::kTypeInt, 4},
    {rt::kTypeLong, 8}, {rt::kTypeFloat, 4},    {rt::kTypeDouble, 8},
    {rt::kTypeBool, 4}, {rt::kTypeDateTime, 8}, {rt::kTypeSubroutine, sizeof(void*)},
    {rt::kTypeText, 0},
};

}  // namespace

void ToBytes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  result->type = rt::kTypeByteSet;
  if (!in.Given(0)) return;
  rt::TypeCode kind = in.Kind(0);
  uint64_t value = in.Value(0);
  const void* pointer = reinterpret_cast<const void*>(static_cast<uintptr_t>(value));
  if (in.IsArray(0)) {
    rt::ByteSetView bytes;
    if (NumericArrayBytes(pointer, kind, &bytes)) SetBytes(result, bytes);
    return;
  }
  if (kind == rt::kTypeText) {
    const char* text = static_cast<const char*>(pointer);
    SetByteSet(result, text, text == nullptr ? 0 : std::strlen(text));
    return;
  }
  if (kind == rt::kTypeByteSet) {
    SetBytes(result, rt::ViewByteSet(pointer));
    return;
  }
  // The value word is little-endian, so its first bytes are the value's image.
  SetByteSet(result, &value, ImageSize(kind));
}

void BytesLength(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  SetInt(result, static_cast<int32_t>(in.Bytes(0).size));
}

void MidBytes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  rt::ByteSetView bytes = in.Bytes(0);
  const auto length = static_cast<int64_t>(bytes.size);
  // Widened so that no start or count can overflow; a missing count takes the rest.
  int64_t start = std::clamp<int64_t>(int64_t{in.Int(1, 1)} - 1, 0, length);
  int64_t take = std::clamp<int64_t>(in.Int(2, INT32_MAX), 0, length - start);
  SetByteSet(result, take == 0 ? nullptr : bytes.data + start, static_cast<size_t>(take));
}

void ZeroBytes(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  int32_t n = in.Int(0, 0);
  auto* block =
      static_cast<uint8_t*>(n > 0 ? MakeByteSet(nullptr, static_cast<size_t>(n)) : nullptr);
  if (block != nullptr) std::memset(block + rt::kByteSetHeader, 0, static_cast<size_t>(n));
  SetPointer(result, rt::kTypeByteSet, block);
}

void BytesValue(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  rt::ByteSetView bytes = in.Bytes(0);
  int32_t kind = in.Int(1, 0);
  if (kind < 1 || kind > 10) {
    RaiseError(kInvalidKindMessage);
    return;
  }
  const ReadKind& read = kReadKinds[kind - 1];
  result->type = read.type;

  // 0-based offset of the first byte to read; before the start nothing is available.
  int64_t offset = in.Given(2) ? int64_t{in.Int(2, 1)} - 1 : 0;
  rt::ByteSetView available;
  if (offset >= 0 && static_cast<uint64_t>(offset) < bytes.size) {
    available = {bytes.data + offset, bytes.size - static_cast<size_t>(offset)};
  }

  size_t consumed = read.size;
  if (read.type == rt::kTypeText) {
    const void* zero =
        available.size == 0 ? nullptr : std::memchr(available.data, 0, available.size);
    size_t length = zero == nullptr
                        ? available.size
                        : static_cast<size_t>(static_cast<const uint8_t*>(zero) - available.data);
    SetText(result, {reinterpret_cast<const char*>(available.data), length});
    consumed = length + (zero != nullptr ? 1 : 0);
  } else {
    uint8_t image[8] = {};
    if (available.size > 0) std::memcpy(image, available.data, std::min(available.size, read.size));
    if (read.type == rt::kTypeBool) {
      SetBool(result, image[0] != 0 || image[1] != 0 || image[2] != 0 || image[3] != 0);
    } else if (read.type == rt::kTypeDateTime) {
      double days;
      std::memcpy(&days, image, sizeof days);
      result->Set(ClampDateTime(days));
    } else {
      result->value = 0;
      std::memcpy(&result->value, image, read.size);
    }
  }

  // A position variable walks through a record and turns -1 at its end. A read from
  // before the first byte (the variable was already -1, or 0) reads nothing and leaves it
  // at the end, rather than moving it back into the middle of the record.
  if (int32_t* position = in.IntReference(2)) {
    int64_t next = offset + static_cast<int64_t>(consumed);
    *position = offset < 0 || next >= static_cast<int64_t>(bytes.size)
                    ? -1
                    : static_cast<int32_t>(next + 1);
  }
}

}  // namespace cmd
