// Every command of the core library that touches no files, called with any count and any
// mix of argument kinds a caller can build: numbers with arbitrary bits, texts, byte sets
// and arrays as well-formed blocks (or null), by-reference variables, unit references and
// unknown type codes. A command may return a value or raise its documented error; it may
// not crash, read out of bounds or leak.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/files/FileCommands.h"
#include "commands/numeric/NumericCommands.h"
#include "commands/text/TextCommands.h"
#include "fuzz/FuzzRuntime.h"
#include "runtime/calls/ArgRecord.h"
#include "runtime/values/TypeCode.h"
#include "runtime/values/ValueBlocks.h"

namespace {

using fuzzrt::Check;

const rt::CommandRoutine kCommands[] = {
    cmd::TextLength,  cmd::RightText,  cmd::MidText,   cmd::FindText,   cmd::ReplaceText,
    cmd::SplitText,   cmd::IntDivide,  cmd::BitOr,     cmd::BitXor,     cmd::ShiftLeft,
    cmd::ShiftRight,  cmd::Abs,        cmd::Sin,       cmd::ArcTan,     cmd::SetRandomSeed,
    cmd::RandomInt,   cmd::ColorValue, cmd::ToText,    cmd::ToHexText,  cmd::ToBytes,
    cmd::BytesLength, cmd::MidBytes,   cmd::ZeroBytes, cmd::BytesValue, cmd::GetRunDirectory,
};

const rt::TypeCode kKinds[] = {
    rt::kTypeNone,    rt::kTypeByte,       rt::kTypeShort,      rt::kTypeInt,      rt::kTypeLong,
    rt::kTypeFloat,   rt::kTypeDouble,     rt::kTypeBool,       rt::kTypeDateTime, rt::kTypeText,
    rt::kTypeByteSet, rt::kTypeSubroutine, rt::kTypeEightBytes, rt::kTypePicBox,   rt::kTypeObject,
};

// Storage that outlives one call: texts, byte sets, arrays and by-reference variables.
struct Frame {
  std::vector<std::string> texts;
  std::vector<std::vector<uint8_t>> blocks;
  std::vector<uint64_t> variables;

  const void* Block(std::vector<uint8_t> bytes) {
    blocks.push_back(std::move(bytes));
    return blocks.back().data();
  }
};

std::vector<uint8_t> ByteSetBlock(const std::string& bytes) {
  std::vector<uint8_t> b(rt::kByteSetHeader + bytes.size());
  rt::WriteInt32(b.data(), 1);
  rt::WriteInt32(b.data() + 4, static_cast<int32_t>(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), b.begin() + rt::kByteSetHeader);
  return b;
}

rt::ArgRecord MakeArg(FuzzedDataProvider& in, Frame& frame) {
  rt::ArgRecord a;
  rt::TypeCode kind = in.PickValueInArray(kKinds);
  if (in.ConsumeBool()) kind = in.ConsumeIntegral<uint32_t>() & ~rt::kFlagMask;  // anything
  a.type = kind;
  a.value = in.ConsumeIntegral<uint64_t>();
  const bool array = in.ConsumeProbability<double>() < 0.1;
  const bool byRef = !array && in.ConsumeProbability<double>() < 0.15;

  if (array) {
    // Numeric and text arrays only ever hold what their element kind says.
    size_t size = rt::KindSize(kind);
    int32_t count = in.ConsumeIntegralInRange<int32_t>(0, 8);
    std::vector<uint8_t> b(8 + static_cast<size_t>(count) * size, 0);
    rt::WriteInt32(b.data(), 1);
    rt::WriteInt32(b.data() + 4, count);
    if (kind == rt::kTypeText || kind == rt::kTypeByteSet || size == 0) {
      rt::WriteInt32(b.data() + 4, size == 0 ? 0 : count);  // null elements
    } else {
      for (size_t i = 8; i < b.size(); ++i) b[i] = in.ConsumeIntegral<uint8_t>();
    }
    a.SetPointer(frame.Block(std::move(b)));
    a.type = rt::kArrayFlag | kind;
    return a;
  }
  if (kind == rt::kTypeText) {
    frame.texts.push_back(in.ConsumeRandomLengthString(64));
    a.SetPointer(in.ConsumeProbability<double>() < 0.1 ? nullptr : frame.texts.back().c_str());
  } else if (kind == rt::kTypeByteSet) {
    std::string bytes = in.ConsumeRandomLengthString(64);
    a.SetPointer(bytes.empty() ? nullptr : frame.Block(ByteSetBlock(bytes)));
  } else if (kind == rt::kTypeSubroutine) {
    a.value = 0;
  }
  if (byRef) {
    frame.variables.push_back(a.value);
    a.SetPointer(&frame.variables.back());
    a.type |= rt::kByRefFlag;
  }
  return a;
}

void FreeResult(const rt::ArgRecord& r) {
  if (rt::IsArray(r.type)) {
    Check(rt::BaseKind(r.type) == rt::kTypeText);
    fuzzrt::FreePointerArray(r.Pointer());
    return;
  }
  switch (r.type) {
    case rt::kTypeText:
    case rt::kTypeByteSet:
      std::free(r.Pointer());
      return;
    case rt::kTypeNone:
      Check(r.value == 0);
      return;
    default:
      Check(rt::IsBuiltin(r.type));
      return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzrt::Attach();
  FuzzedDataProvider in(data, size);
  rt::CommandRoutine command = in.PickValueInArray(kCommands);
  int32_t count = in.ConsumeIntegralInRange<int32_t>(0, 6);

  Frame frame;
  // Addresses handed out must stay put while the vectors grow (short strings live inline).
  frame.variables.reserve(8);
  frame.texts.reserve(8);
  std::vector<rt::ArgRecord> args;
  for (int32_t i = 0; i < count; ++i) args.push_back(MakeArg(in, frame));

  rt::ArgRecord result{};
  command(&result, count, args.data());
  fuzzrt::TakeErrors();
  FreeResult(result);
  return 0;
}
