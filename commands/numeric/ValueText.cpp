// Values as text: numbers in the fixed formats every part of the program shows them in,
// bools and date-times in words, and raw bytes taken as text.
#include "commands/numeric/ValueText.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "commands/numeric/DateTimeText.h"
#include "commands/numeric/NumericCommands.h"
#include "commands/numeric/ValueBytes.h"

namespace cmd {

namespace {

// "真"
inline constexpr const char kTrueText[] = "\xD5\xE6";
// "假"
inline constexpr const char kFalseText[] = "\xBC\xD9";

template <typename T>
T FromWord(uint64_t value) {
  T out;
  std::memcpy(&out, &value, sizeof(T));
  return out;
}

template <typename... Values>
std::string Format(const char* format, Values... values) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, values...);
  return std::string(buffer,
                     n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

// Raw bytes read as a text end at the first zero byte, or with the bytes.
std::string BytesAsText(rt::ByteSetView bytes) {
  if (bytes.size == 0) return {};
  const void* zero = std::memchr(bytes.data, 0, bytes.size);
  size_t length = zero == nullptr
                      ? bytes.size
                      : static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes.data);
  return std::string(reinterpret_cast<const char*>(bytes.data), length);
}

}  // namespace

std::string ValueText(const CommandArgs& in, int32_t i) {
  if (!in.Given(i)) return {};
  rt::TypeCode kind = in.Kind(i);
  uint64_t value = in.Value(i);
  if (in.IsArray(i)) {
    rt::ByteSetView bytes;
    if (!NumericArrayBytes(reinterpret_cast<const void*>(static_cast<uintptr_t>(value)), kind,
                           &bytes)) {
      return {};
    }
    return BytesAsText(bytes);
  }
  switch (kind) {
    case rt::kTypeByte:
      return Format("%u", unsigned{FromWord<uint8_t>(value)});
    case rt::kTypeShort:
      return Format("%d", int{FromWord<int16_t>(value)});
    case rt::kTypeInt:
      return Format("%d", FromWord<int32_t>(value));
    case rt::kTypeLong:
      return Format("%" PRId64, FromWord<int64_t>(value));
    case rt::kTypeFloat:
      return Format("%.6g", static_cast<double>(FromWord<float>(value)));
    case rt::kTypeDouble:
      return Format("%.13g", FromWord<double>(value));
    case rt::kTypeBool:
      return FromWord<uint32_t>(value) != 0 ? kTrueText : kFalseText;
    case rt::kTypeDateTime:
      return DateTimeText(FromWord<double>(value));
    case rt::kTypeText: {
      const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(value));
      return text == nullptr ? std::string() : std::string(text);
    }
    case rt::kTypeByteSet:
      return BytesAsText(
          rt::ViewByteSet(reinterpret_cast<const void*>(static_cast<uintptr_t>(value))));
    default:
      return {};
  }
}

void ToText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  SetText(result, ValueText(in, 0));
}

void ToHexText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  // Through unsigned, a negative value shows its eight two's-complement digits.
  SetText(result, Format("%X", static_cast<unsigned>(static_cast<uint32_t>(in.Int(0, 0)))));
}

}  // namespace cmd
