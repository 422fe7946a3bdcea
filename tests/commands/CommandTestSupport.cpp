#include "tests/commands/CommandTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

#include "commands/CoreLibrary.h"
#include "commands/support/LibraryServices.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace cmdtest {

void AttachRuntime() {
  static std::once_flag once;
  std::call_once(once, [] {
    // The way a program attaches its libraries: the runtime hands RuntimeNotify to the
    // core library's notification routine at start.
    static const rt::LibraryDescriptor* libraries[] = {cmd::CoreLibraryDescriptor()};
    static rt::ImageHeader header{};
    header.libraryCount = 1;
    header.libraries = libraries;
    rt::InitRuntime(&header);
  });
}

namespace {

// Every test of this executable (death-test children included) runs with the runtime.
class RuntimeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { AttachRuntime(); }
};
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);

// A block of int32 head words followed by body bytes, sized once (growing a vector word by
// word trips the optimiser's bounds warnings in release builds).
std::vector<uint8_t> HeadAndBody(const std::vector<int32_t>& head, std::string_view body) {
  std::vector<uint8_t> out(head.size() * 4 + body.size());
  if (!head.empty()) std::memcpy(out.data(), head.data(), head.size() * 4);
  if (!body.empty()) std::memcpy(out.data() + head.size() * 4, body.data(), body.size());
  return out;
}

}  // namespace

ByteSetBlock::ByteSetBlock(std::string_view bytes) {
  if (bytes.empty()) return;
  storage_ = HeadAndBody({1, static_cast<int32_t>(bytes.size())}, bytes);
}

ArrayBlock::ArrayBlock(std::vector<int32_t> sizes, std::string_view elementBytes) {
  sizes.insert(sizes.begin(), static_cast<int32_t>(sizes.size()));
  storage_ = HeadAndBody(sizes, elementBytes);
}

std::string TakeText(const rt::ArgRecord& result) {
  EXPECT_EQ(result.type, rt::kTypeText);
  auto* text = static_cast<char*>(result.Pointer());
  if (text == nullptr) return {};
  std::string out(text);
  EXPECT_FALSE(out.empty()) << "an empty text must come back as null";
  rt::FreeMem(text);
  return out;
}

std::string TakeBytes(const rt::ArgRecord& result) {
  EXPECT_EQ(result.type, rt::kTypeByteSet);
  void* block = result.Pointer();
  if (block == nullptr) return {};
  EXPECT_EQ(rt::ReadInt32(block), 1);
  int32_t n = rt::ReadInt32(static_cast<uint8_t*>(block) + 4);
  EXPECT_GT(n, 0) << "an empty byte set must come back as null";
  std::string out;
  if (n > 0) out.assign(static_cast<char*>(block) + rt::kByteSetHeader, static_cast<size_t>(n));
  rt::FreeMem(block);
  return out;
}

std::vector<std::optional<std::string>> TakeTextArray(const rt::ArgRecord& result) {
  EXPECT_EQ(result.type, rt::kArrayFlag | rt::kTypeText);
  std::vector<std::optional<std::string>> out;
  auto* block = static_cast<uint8_t*>(result.Pointer());
  if (block == nullptr) {
    ADD_FAILURE() << "an array result is never null";
    return out;
  }
  EXPECT_EQ(rt::ReadInt32(block), 1);
  int32_t n = rt::ReadInt32(block + 4);
  for (int32_t i = 0; i < n; ++i) {
    auto* element = static_cast<const char*>(
        rt::ReadPointer(block + rt::kEmptyArrayBytes + static_cast<size_t>(i) * sizeof(char*)));
    if (element == nullptr) {
      out.emplace_back(std::nullopt);
    } else {
      out.emplace_back(element);
      EXPECT_FALSE(out.back()->empty()) << "an empty element must be null";
    }
  }
  rt::FreeArrayValue(rt::kTypeText, block);
  return out;
}

int32_t IntOf(const rt::ArgRecord& result) {
  EXPECT_EQ(result.type, rt::kTypeInt);
  return result.As<int32_t>();
}

double DoubleOf(const rt::ArgRecord& result) {
  EXPECT_EQ(result.type, rt::kTypeDouble);
  return result.As<double>();
}

}  // namespace cmdtest
