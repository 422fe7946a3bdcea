// Byte-set commands and the value conversions on arbitrary bytes and argument kinds:
// BytesValue with every kind (invalid ones must raise the runtime error and nothing else)
// and every way of passing the position, MidBytes with any start and count, and ToText /
// ToBytes with arbitrary type codes, flags and values.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "commands/numeric/DateTimeText.h"
#include "commands/numeric/NumericCommands.h"
#include "fuzz/FuzzRuntime.h"
#include "runtime/calls/ArgRecord.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/values/TypeCode.h"
#include "runtime/values/ValueBlocks.h"

namespace {

namespace Arg = rt::Arg;
using fuzzrt::Check;

// A byte-set block owned by the harness; null for no bytes.
struct OwnedByteSet {
  explicit OwnedByteSet(const std::string& bytes) {
    if (bytes.empty()) return;
    storage.resize(rt::kByteSetHeader + bytes.size());
    rt::WriteInt32(storage.data(), 1);
    rt::WriteInt32(storage.data() + 4, static_cast<int32_t>(bytes.size()));
    std::memcpy(storage.data() + rt::kByteSetHeader, bytes.data(), bytes.size());
  }
  const void* get() const { return storage.empty() ? nullptr : storage.data(); }
  std::vector<uint8_t> storage;
};

std::string TakeBytes(const rt::ArgRecord& r) {
  Check(r.type == rt::kTypeByteSet);
  auto* block = static_cast<uint8_t*>(r.Pointer());
  if (block == nullptr) return {};
  Check(rt::ReadInt32(block) == 1);
  int32_t n = rt::ReadInt32(block + 4);
  Check(n > 0);
  std::string out(reinterpret_cast<char*>(block + rt::kByteSetHeader), static_cast<size_t>(n));
  std::free(block);
  return out;
}

std::string TakeText(const rt::ArgRecord& r) {
  Check(r.type == rt::kTypeText);
  auto* text = static_cast<char*>(r.Pointer());
  if (text == nullptr) return {};
  std::string out(text);
  Check(!out.empty());
  std::free(text);
  return out;
}

std::optional<int32_t> ConsumePosition(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return std::nullopt;
    case 1:
      return in.ConsumeIntegral<int32_t>();
    default:
      return in.ConsumeIntegralInRange<int32_t>(-2, 70);
  }
}

struct KindInfo {
  rt::TypeCode type;
  size_t size;
};
constexpr KindInfo kKinds[] = {
    {rt::kTypeByte, 1}, {rt::kTypeShort, 2},    {rt::kTypeInt, 4},
    {rt::kTypeLong, 8}, {rt::kTypeFloat, 4},    {rt::kTypeDouble, 8},
    {rt::kTypeBool, 4}, {rt::kTypeDateTime, 8}, {rt::kTypeSubroutine, sizeof(void*)},
    {rt::kTypeText, 0},
};

void FuzzBytesValue(FuzzedDataProvider& in) {
  int32_t kind =
      in.ConsumeBool() ? in.ConsumeIntegralInRange(1, 10) : in.ConsumeIntegral<int32_t>();
  int mode = in.ConsumeIntegralInRange(0, 3);  // absent, omitted, by value, by reference
  int32_t position = in.ConsumeIntegralInRange<int32_t>(-2, 40);
  if (in.ConsumeBool()) position = in.ConsumeIntegral<int32_t>();
  std::string bytes = in.ConsumeRandomLengthString(48);
  OwnedByteSet set(bytes);

  const int32_t before = position;
  std::vector<rt::ArgRecord> args = {Arg::Bytes(set.get()), Arg::Int(kind)};
  if (mode == 1) args.push_back(Arg::Omitted());
  if (mode == 2) args.push_back(Arg::Int(position));
  if (mode == 3) args.push_back(Arg::ByRef(&position));
  rt::ArgRecord r =
      rt::CallCommand(cmd::BytesValue, static_cast<int32_t>(args.size()), args.data());

  if (kind < 1 || kind > 10) {
    Check(fuzzrt::TakeErrors() == 1 && r.type == rt::kTypeNone && r.value == 0 &&
          position == before);
    return;
  }
  Check(fuzzrt::TakeErrors() == 0);
  const KindInfo& info = kKinds[kind - 1];
  Check(r.type == info.type);

  int64_t offset = mode >= 2 ? int64_t{before} - 1 : 0;
  std::string available;
  if (offset >= 0 && static_cast<uint64_t>(offset) < bytes.size())
    available = bytes.substr(static_cast<size_t>(offset));
  size_t consumed = info.size;
  if (info.type == rt::kTypeText) {
    std::string text = TakeText(r);
    Check(text == std::string(available.c_str()));
    consumed = text.size() + (text.size() < available.size() ? 1 : 0);
  } else {
    uint8_t image[8] = {};
    std::memcpy(image, available.data(), std::min(available.size(), info.size));
    uint64_t expected = 0;
    std::memcpy(&expected, image, info.size);
    if (info.type == rt::kTypeBool) {
      expected = (expected & 0xFFFFFFFFu) != 0 ? 1 : 0;
    } else if (info.type == rt::kTypeDateTime) {
      double days;
      std::memcpy(&days, image, 8);
      days = cmd::ClampDateTime(days);
      std::memcpy(&expected, &days, 8);
    }
    Check(r.value == expected);
  }

  if (mode == 3) {
    int64_t next = offset + static_cast<int64_t>(consumed);
    bool atEnd = offset < 0 || next >= static_cast<int64_t>(bytes.size());
    Check(position == (atEnd ? -1 : static_cast<int32_t>(next + 1)));
    Check(position == -1 || (position > before && position <= static_cast<int32_t>(bytes.size())));
  } else {
    Check(position == before);
  }
}

void FuzzMidBytes(FuzzedDataProvider& in) {
  std::optional<int32_t> start = ConsumePosition(in);
  std::optional<int32_t> count = ConsumePosition(in);
  std::string bytes = in.ConsumeRandomLengthString(48);
  OwnedByteSet set(bytes);
  std::string mid = TakeBytes(
      rt::Call(cmd::MidBytes, {Arg::Bytes(set.get()), start ? Arg::Int(*start) : Arg::Omitted(),
                               count ? Arg::Int(*count) : Arg::Omitted()}));
  const auto length = static_cast<int64_t>(bytes.size());
  int64_t s = std::clamp<int64_t>(int64_t{start.value_or(1)} - 1, 0, length);
  int64_t c = std::clamp<int64_t>(count.value_or(INT32_MAX), 0, length - s);
  Check(mid == bytes.substr(static_cast<size_t>(s), static_cast<size_t>(c)));
  Check(fuzzrt::TakeErrors() == 0);
}

constexpr rt::TypeCode kInterestingTypes[] = {
    rt::kTypeNone,       rt::kTypeByte,   rt::kTypeShort,   rt::kTypeInt,
    rt::kTypeLong,       rt::kTypeFloat,  rt::kTypeDouble,  rt::kTypeBool,
    rt::kTypeDateTime,   rt::kTypeText,   rt::kTypeByteSet, rt::kTypeSubroutine,
    rt::kTypeEightBytes, rt::kTypeWindow, rt::kTypePicBox,  rt::kTypeVariant,
};

// One argument of a fuzzed type code. Pointer-valued kinds (texts, byte sets, arrays) are
// given real blocks, as every caller does; everything else gets arbitrary value bits.
struct FuzzedArgument {
  std::string text;
  OwnedByteSet set{std::string()};
  std::vector<uint8_t> array;
  uint64_t variable = 0;
  rt::ArgRecord record;

  explicit FuzzedArgument(FuzzedDataProvider& in) {
    rt::TypeCode type = in.ConsumeBool() ? kInterestingTypes[in.ConsumeIntegralInRange<size_t>(
                                               0, std::size(kInterestingTypes) - 1)]
                                         : in.ConsumeIntegral<uint32_t>();
    if (in.ConsumeBool()) type |= rt::kArrayFlag;
    if (in.ConsumeBool()) type |= rt::kByRefFlag;
    if (in.ConsumeIntegralInRange(0, 7) == 0) type &= ~rt::kFlagMask;
    rt::TypeCode kind = rt::BaseKind(type);
    uint64_t value = in.ConsumeIntegral<uint64_t>();
    if (type != rt::kTypeNone && rt::IsArray(type)) {
      value = reinterpret_cast<uintptr_t>(BuildArray(in, kind));
    } else if (kind == rt::kTypeText) {
      // Commands must also take the null text.
      text = std::string(in.ConsumeRandomLengthString(24).c_str());
      if (in.ConsumeIntegralInRange(0, 7) == 0) text.clear();
      value = text.empty() && in.ConsumeBool() ? 0 : reinterpret_cast<uintptr_t>(text.c_str());
    } else if (kind == rt::kTypeByteSet) {
      set = OwnedByteSet(in.ConsumeRandomLengthString(24));
      value = reinterpret_cast<uintptr_t>(set.get());
    }
    if (rt::IsByRef(type)) {
      variable = value;
      value = reinterpret_cast<uintptr_t>(&variable);
    }
    record.value = value;
    record.type = type;
  }

  // A well-formed array of up to three small dimensions. Elements of pointer kinds are
  // null: no command here reads through them.
  const void* BuildArray(FuzzedDataProvider& in, rt::TypeCode element) {
    int32_t dimensions = in.ConsumeIntegralInRange(1, 3);
    std::vector<int32_t> sizes;
    size_t count = 1;
    for (int32_t i = 0; i < dimensions; ++i) {
      sizes.push_back(in.ConsumeIntegralInRange(0, 4));
      count *= static_cast<size_t>(sizes.back());
    }
    size_t elementSize = rt::KindSize(element) == 0 ? 8 : rt::KindSize(element);
    array.assign(4 * (sizes.size() + 1) + count * elementSize, 0);
    rt::WriteInt32(array.data(), dimensions);
    for (size_t i = 0; i < sizes.size(); ++i) rt::WriteInt32(array.data() + 4 * (i + 1), sizes[i]);
    if (rt::IsNumericKind(element)) {
      std::string bytes = in.ConsumeBytesAsString(count * elementSize);
      std::memcpy(array.data() + 4 * (sizes.size() + 1), bytes.data(), bytes.size());
    }
    return array.data();
  }
};

size_t ExpectedImageSize(rt::TypeCode type) {
  if (rt::IsArray(type)) return SIZE_MAX;
  switch (rt::BaseKind(type)) {
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
    case rt::kTypeSubroutine:
      return 8;
    case rt::kTypeText:
    case rt::kTypeByteSet:
      return SIZE_MAX;
    default:
      return 0;
  }
}

void FuzzConversions(FuzzedDataProvider& in) {
  FuzzedArgument argument(in);
  const rt::ArgRecord record = argument.record;
  std::string text = TakeText(rt::Call(cmd::ToText, {record}));
  std::string bytes = TakeBytes(rt::Call(cmd::ToBytes, {record}));
  Check(fuzzrt::TakeErrors() == 0);

  const rt::TypeCode type = record.type;
  const rt::TypeCode kind = rt::BaseKind(type);
  size_t size = ExpectedImageSize(type);
  if (type == rt::kTypeNone) {
    Check(text.empty() && bytes.empty());
  } else if (size != SIZE_MAX) {
    Check(bytes.size() == size);
  } else if (!rt::IsArray(type) && kind == rt::kTypeText) {
    Check(text == argument.text && bytes == argument.text);
  } else if (!rt::IsArray(type) && kind == rt::kTypeByteSet) {
    Check(bytes.size() ==
          argument.set.storage.size() - std::min<size_t>(argument.set.storage.size(), 8));
  } else if (!rt::IsNumericKind(kind)) {
    Check(text.empty() && bytes.empty());
  }
  // Whatever ToText made of raw bytes stops before their first zero.
  if (!rt::IsArray(type) && (kind == rt::kTypeByteSet)) Check(text == std::string(bytes.c_str()));
  if (rt::IsArray(type) && rt::IsNumericKind(kind)) Check(text == std::string(bytes.c_str()));

  // Numbers read back through BytesValue bit for bit.
  if (!rt::IsArray(type) && size != SIZE_MAX && size > 0 && kind != rt::kTypeBool &&
      kind != rt::kTypeDateTime) {
    const int32_t readKind = kind == rt::kTypeByte     ? 1
                             : kind == rt::kTypeShort  ? 2
                             : kind == rt::kTypeInt    ? 3
                             : kind == rt::kTypeLong   ? 4
                             : kind == rt::kTypeFloat  ? 5
                             : kind == rt::kTypeDouble ? 6
                                                       : 9;
    OwnedByteSet set(bytes);
    rt::ArgRecord back = rt::Call(cmd::BytesValue, {Arg::Bytes(set.get()), Arg::Int(readKind)});
    Check(std::memcmp(&back.value, bytes.data(), size) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzrt::Attach();
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
      FuzzBytesValue(in);
      break;
    case 1:
      FuzzMidBytes(in);
      break;
    default:
      FuzzConversions(in);
      break;
  }
  return 0;
}
