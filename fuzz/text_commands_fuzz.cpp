// The six text commands on arbitrary texts, needles and numbers, each result checked
// against a byte-by-byte transcription of the documented scans.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "commands/text/TextCommands.h"
#include "fuzz/FuzzRuntime.h"
#include "runtime/calls/ArgRecord.h"
#include "runtime/calls/CommandCall.h"
#include "tests/commands/TextScanReference.h"

namespace {

namespace Arg = rt::Arg;
using fuzzrt::Check;

// Positions near the text are the interesting ones; the whole int range must be safe.
std::optional<int32_t> ConsumePosition(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return std::nullopt;
    case 1:
      return in.ConsumeIntegral<int32_t>();
    default:
      return in.ConsumeIntegralInRange<int32_t>(-3, 80);
  }
}

rt::ArgRecord OptionalInt(std::optional<int32_t> v) {
  return v ? Arg::Int(*v) : Arg::Omitted();
}

rt::ArgRecord Run(rt::CommandRoutine routine, std::vector<rt::ArgRecord> args) {
  return rt::CallCommand(routine, static_cast<int32_t>(args.size()), args.data());
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

textref::Pieces TakePieces(const rt::ArgRecord& r) {
  Check(r.type == (rt::kArrayFlag | rt::kTypeText));
  auto* block = static_cast<uint8_t*>(r.Pointer());
  Check(block != nullptr && rt::ReadInt32(block) == 1);
  textref::Pieces out;
  int32_t n = rt::ReadInt32(block + 4);
  for (int32_t i = 0; i < n; ++i) {
    auto* element = static_cast<const char*>(
        rt::ReadPointer(block + rt::kEmptyArrayBytes + static_cast<size_t>(i) * sizeof(char*)));
    if (element == nullptr) {
      out.emplace_back(std::nullopt);
    } else {
      out.emplace_back(element);
      Check(!out.back()->empty());
    }
  }
  fuzzrt::FreePointerArray(block);
  return out;
}

std::string UpToZero(const std::string& s) {
  return std::string(s.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzrt::Attach();
  FuzzedDataProvider in(data, size);
  std::optional<int32_t> start = ConsumePosition(in);
  std::optional<int32_t> count = ConsumePosition(in);
  std::optional<int32_t> maximum = ConsumePosition(in);
  int32_t fold = in.ConsumeIntegralInRange(-1, 2);
  bool matchCase = in.ConsumeBool();
  bool useDefaultDelimiter = in.ConsumeBool();
  std::string needle = UpToZero(in.ConsumeRandomLengthString(12));
  std::string replacement = UpToZero(in.ConsumeRandomLengthString(8));
  std::string text = UpToZero(in.ConsumeRemainingBytesAsString());
  const auto textArg = Arg::Text(text.c_str());
  const auto needleArg = Arg::Text(needle.c_str());
  const int32_t length = static_cast<int32_t>(text.size());

  rt::ArgRecord r = Run(cmd::TextLength, {textArg});
  Check(r.type == rt::kTypeInt && r.As<int32_t>() == length);

  int32_t n = start.value_or(0);
  std::string right = TakeText(Run(cmd::RightText, {textArg, Arg::Int(n)}));
  Check(right ==
        (n <= 0 ? std::string() : text.substr(text.size() - std::min<size_t>(n, text.size()))));

  std::string mid = TakeText(Run(cmd::MidText, {textArg, OptionalInt(start), OptionalInt(count)}));
  int64_t p = int64_t{start.value_or(1)} - 1;
  int64_t c = count.value_or(INT32_MAX);
  std::string expectedMid;
  if (p >= 0 && p < length && c > 0)
    expectedMid = text.substr(static_cast<size_t>(p), static_cast<size_t>(c));
  Check(mid == expectedMid);

  r = Run(cmd::FindText, {textArg, needleArg, OptionalInt(start), Arg::Int(fold)});
  Check(r.type == rt::kTypeInt &&
        r.As<int32_t>() == textref::ReferenceFind(text, needle, start, fold));

  std::string replaced = TakeText(
      Run(cmd::ReplaceText, {textArg, needleArg, Arg::Text(replacement.c_str()), OptionalInt(start),
                             OptionalInt(count), Arg::Bool(matchCase)}));
  Check(replaced == textref::ReferenceReplace(text, needle, replacement, start, count, matchCase));

  // Defaults are reached both by omitted records and by a shorter argument list.
  std::vector<rt::ArgRecord> splitArgs = {textArg};
  if (!useDefaultDelimiter || maximum)
    splitArgs.push_back(useDefaultDelimiter ? Arg::Omitted() : needleArg);
  if (maximum) splitArgs.push_back(Arg::Int(*maximum));
  textref::Pieces pieces = TakePieces(Run(cmd::SplitText, splitArgs));
  Check(pieces == textref::ReferenceSplit(text, useDefaultDelimiter ? "," : needle, maximum));

  Check(fuzzrt::TakeErrors() == 0);
  return 0;
}
